// EmuManager: everything the emulator runs on, owned by the main window.
//
// It holds the prototypes the user chooses from (machines, sound outputs, renderers),
// the application settings (emu_manager_settings.cpp) and the emulation cores it made.
// The menus list the prototypes by name; a choice clones the prototype and hands the
// copy to a core, so prototypes themselves are never started or attached.
//
// Prototype lists of the program (AddStandardOutputs, standard_outputs_win32.cpp):
//   machines       0 MSX-1 "msx_1"        1 ColecoVision "coleco_v"
//   sound outputs  0 "No Sound"           1 "WaveSound"        2 "DirectSound"
//   renderers      0 "WinGDI"             1 "OpenGL"
// The machines are portable and listed by the constructor; the outputs and renderers
// need the host and come from the filler given to it (tests give their own).
//
// Invariants: the sound-output and renderer lists are never empty once a filler has
// run, and soundIndex / rendererIndex stay valid indices into them.
//
// GUI thread only; the cores lock themselves.
#pragma once

#include <vector>

#include "base/string_a.h"
#include "base/types.h"
#include "core/emu_core.h"
#include "emu/settings_file_notice.h"

class Computer;
class Dictionary;
class LockedDisplaySurface;
class SoundBufferRing;

class EmuManager {
public:
    // Appends the host's sound outputs and renderers to a new manager.
    using OutputFiller = void (*)(EmuManager& manager);

    explicit EmuManager(OutputFiller fillOutputs);
    // Shuts down and deletes every core still listed, then every prototype.
    ~EmuManager();

    EmuManager(const EmuManager&) = delete;
    EmuManager& operator=(const EmuManager&) = delete;

    // --- prototypes ---
    // A machine is listed when its Clone works (the probe copy is deleted at once); a
    // null machine is listed as a null entry (a separator in the Computer menu).
    void AddMachine(Computer* machine);
    void AddSoundOutput(SoundBufferRing* output);
    void AddRenderer(LockedDisplaySurface* renderer);
    i32 GetMachineCount() const { return static_cast<i32>(machines_.size()); }
    i32 GetSoundOutputCount() const { return static_cast<i32>(soundOutputs_.size()); }
    i32 GetRendererCount() const { return static_cast<i32>(renderers_.size()); }
    // Null for an index out of range.
    Computer* GetMachineFactory(i32 i) const;
    SoundBufferRing* GetSoundOutputFactory(i32 i) const;
    LockedDisplaySurface* GetRendererFactory(i32 i) const;
    // New copies owned by the caller; null for an index out of range.
    SoundBufferRing* CloneSoundOutput(i32 i) const;
    LockedDisplaySurface* CloneRenderer(i32 i) const;

    // --- choices ---
    // machineId := the id of machine i, or empty for an index out of range.
    void SelectMachine(i32 i);
    // Index and name of the choice; out of range empties the name and keeps the index.
    void SelectSound(i32 i);
    void SelectRenderer(i32 i);

    // --- cores ---
    // A running core for machine machineIndex (-1: the one named by machineId, else the
    // first); null when anything failed, with nothing left behind.
    EmuCore* CreateCore(i32 machineIndex);
    // Gives core a copy of machine machineIndex (stopping it first), or creates the core
    // when there is none. False leaves the core with its old machine.
    bool SetCoreMachine(EmuCore*& core, i32 machineIndex);
    // Shuts core down and deletes it, listed or not; null is ignored.
    void RemoveCore(EmuCore* core);
    i32 GetCoreCount() const { return static_cast<i32>(cores_.size()); }

    // --- application settings (emu_manager_settings.cpp) ---
    // Ten bindings to the fields below; owned by the caller.
    Dictionary* BuildSettingsMap();
    // Reads "<program name>.ini" from the per-user folder, else from the program folder,
    // once per manager. True when it had been read already or was read to its end.
    // A per-user file that cannot be read is copied to "<file>.bad", since the next save
    // replaces it (a folder in its place is left as it is); the next core made prints
    // where it went, and which settings are in use, on its console. One that could not be
    // copied is copied at the next save instead, or else left as it is (the save fails).
    bool LoadSettings();
    // Writes the file into the per-user folder (a temporary file renamed over the old
    // one, so a failed save keeps the previous settings). False when it failed; failure
    // (when given) then says which file, where and why (SaveFailureLine). Without the
    // program's folder nothing is written.
    bool SaveSettings(StringW* failure = nullptr);
    // The file LoadSettings reads first and SaveSettings writes.
    static PathString SettingsPath(bool createFolder);
    // What the next core made prints on its console about the settings file; empty when
    // the file was read or there was none.
    const StringA& GetSettingsNotice() const { return settingsNotice_; }

    // What the cores read through their settings pointer; LoadSettings fills it and
    // SaveSettings reads it back (the core's menus change it).
    EmuCoreSettings* GetCoreSettings() { return &coreSettings_; }

    // --- settings, bound to the settings file ---
    bool maximizeOnStartup = false;      // "guiMaximizeOnStartup"
    bool autoStartEmulation = false;     // "guiAutoStartEmulation"
    bool showToolbar = true;             // "guiShowToolbar"
    bool fastInit = false;               // "EmuFastInit"
    bool captureMouseOnDblClick = true;  // "EmuCaptureMouseOnDblClick"
    bool ignoreConsoleDupStr = false;    // "dbgIgnoreConsoleDupStr"
    i32 syncFrequency = 0;               // "EmuSyncFreq": 0..4
    StringA titleLabel;                  // the %s of the window title "KUV%s Emulator"
    StringA machineId;                   // "EmuDefaultConfig"
    StringA rendererName;                // "EmuDefaultScreen"
    i32 rendererIndex = 0;
    StringA soundName;                   // "EmuDefaultSound"
    i32 soundIndex = 0;

private:
    void SettleChoices();
    void PushCoreSettings();
    void PullCoreSettings();

    std::vector<EmuCore*> cores_;
    std::vector<Computer*> machines_;
    std::vector<SoundBufferRing*> soundOutputs_;
    std::vector<LockedDisplaySurface*> renderers_;
    EmuCoreSettings coreSettings_;
    bool settingsLoaded_ = false;
    StringA settingsNotice_;
    UnkeptSettingsFiles unkeptSettings_;
};

// The program's sound outputs and renderers (Windows build only).
void AddStandardOutputs(EmuManager& manager);
