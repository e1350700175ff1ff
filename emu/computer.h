// Computer: the base of every emulated machine.
//
// On top of the system base it adds the start and stop lines of the console, the
// machine's own state block "_MCH" (after "_DEV"), the identifiers that name its settings
// files and saved states, the texts the emulation core shows, and the configuration
// snapshot "_EMUINIT" that a saved state carries ahead of the component records:
//
//   F0 "_EMUINIT"
//   "SIZE" u64   bytes of DATA
//   "DATA" blob  only when SIZE is not 0: one settings-tree node (no file head) whose
//                only child, named after the machine's settings name, holds the settings
//                of the whole enabled device tree
//   FF "_EMUINIT"
//
// Loading the snapshot assigns the stored settings straight to the devices and reports
// whether any differed; it does not rebuild the machine (the emulation core restarts it
// when something changed, before it reads the component records).
#pragma once

#include "emu/settings_file_notice.h"
#include "emu/system_base.h"

class ObjectList;
class StreamInterface;
class StringW;

class Computer : public SystemBase {
public:
    // Larger snapshots are refused as damaged.
    static constexpr u64 kMaxSnapshotSize = 16u << 20;

    Computer();
    ~Computer() override;

    // "[INIT] Started emulation of %s" (printed whether the start succeeds or not), then
    // the system's start.
    bool Start(i32* rate) override;
    // The system's stop, then "[DONE] Emulation stopped!".
    void Stop() override;
    // "_DEV", then "_MCH" (machines extend both).
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // --- identity (machines override) ---
    // A new machine of the same kind (a prototype's copy), or null.
    virtual Computer* Clone() const { return nullptr; }
    // The next prototype in a chain of variants; every machine ends it at once.
    virtual Computer* GetNextVariant() const { return nullptr; }
    // A second id beside the model id; no machine has one.
    virtual const char* GetAuxId() const { return nullptr; }
    // Model id ("msx_1", "coleco_v"): the machine's identity and data-file folder.
    virtual const char* GetId() const { return nullptr; }
    // Names the drive file and the data-file folders ("msx").
    virtual const char* GetFamilyId() const { return GetId(); }
    // Names the settings file and the machine's node in settings trees.
    virtual const char* GetSettingsName() const { return GetFamilyId(); }
    // Names saved-state files.
    virtual const char* GetStateName() const { return GetId(); }
    // "CPU=3.58 MHz": the main CPU's current frequency while running, its nominal one
    // while stopped ("%s=@%.2f MHz" when the CPU runs off its nominal clock). Empty
    // without a CPU.
    virtual void GetSpeedText(StringA& out);
    // Appends the machine's description lines: "Computer \"<name>\"".
    virtual void GetDescription(ObjectList& lines);
    using Component::GetDescription;
    // Whether the emulation core offers the sync-frequency choice for this machine.
    virtual bool HasSyncFrequency() const { return true; }
    virtual bool GetMachineFlag() const { return false; }

    // --- machine settings files (machine_settings.cpp) ---
    // In the per-user "settings" folder: <settings name>.ini with the settings of every
    // device, and the drive bay's <family id>.drv. Saving makes the folders it needs and
    // leaves the old files intact unless the new ones were written in full; true when both
    // were, else failures (when given) gets a line for each file not written, saying where
    // and why (lines apart by "\n"). Without the program's folder nothing is written.
    // Loading reads the drive file, then the settings file, each from a "settings" folder
    // beside the program when the per-user one has none; true when the settings file was
    // read in full. A per-user file that cannot be read is kept as "<file>.bad", and
    // notices gets a line naming it and the settings used; one that could not be kept is
    // kept at the next save instead, or else left as it is and counted as not written.
    bool SaveMachineSettings(StringW* failures = nullptr);
    bool LoadMachineSettings(ObjectList* notices = nullptr);

    // --- configuration snapshot (computer_snapshot.cpp) ---
    bool SaveInitState(Archive& archive);
    // changed: set when a stored setting differs from the device's current one, or when
    // the stored node cannot be parsed.
    bool LoadInitState(Archive& archive, bool* changed);
    // Settings-tree child hooks (context: the machine): the node named after the
    // machine's settings name loads the device tree, any other is left to be skipped.
    // The first is for the machine settings file, the second (tracked) for the snapshot.
    static bool LoadSettingsNode(void* machine, StreamInterface& stream, const StringA& key, bool& changed);
    static bool LoadSettingsNodeEx(void* machine, StreamInterface& stream, const StringA& key, bool& changed);

private:
    UnkeptSettingsFiles unkeptSettings_;

    static bool LoadNode(void* machine, StreamInterface& stream, const StringA& key, bool* changed,
                         bool tracked);
};
