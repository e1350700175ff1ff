// The application settings file: "<program name>.ini" in the per-user folder, a settings
// tree whose root node holds ten values bound to the manager's fields. The same key map
// serves load and save, so a key cannot be read without being written back.
#include <memory>
#include <vector>

#include "app/emu_manager.h"
#include "base/dictionary.h"
#include "base/file_stream.h"
#include "base/file_system.h"
#include "base/path_text.h"
#include "base/program_folders.h"
#include "emu/device.h"
#include "emu/safe_file_write.h"
#include "emu/settings_file_notice.h"
#include "sound/sound_buffer_ring.h"
#include "video/display_surface.h"

PathString EmuManager::SettingsPath(bool createFolder)
{
    const PathString folder = MakeDataFolder(StringW(kDataFolderName), createFolder);
    return JoinPath(folder, StringW(), ProgramName(), StringW("ini"));
}

Dictionary* EmuManager::BuildSettingsMap()
{
    auto map = std::make_unique<Dictionary>();
    const bool bound = map->BindBool("EmuCaptureMouseOnDblClick", &captureMouseOnDblClick) &&
                       map->BindBool("EmuFastInit", &fastInit) &&
                       map->BindString("EmuDefaultConfig", &machineId) &&
                       map->BindString("EmuDefaultSound", &soundName) &&
                       map->BindString("EmuDefaultScreen", &rendererName) &&
                       map->BindBool("guiMaximizeOnStartup", &maximizeOnStartup) &&
                       map->BindBool("guiAutoStartEmulation", &autoStartEmulation) &&
                       map->BindBool("guiShowToolbar", &showToolbar) &&
                       map->BindBool("dbgIgnoreConsoleDupStr", &ignoreConsoleDupStr);
    ValueRef* sync = bound ? map->NewBinding("EmuSyncFreq") : nullptr;
    if (!sync)
        return nullptr;
    sync->Bind(kValueInt32, &syncFrequency);
    return map.release();
}

bool EmuManager::LoadSettings()
{
    if (settingsLoaded_)
        return true;
    settingsLoaded_ = true;

    const PathString userPath = SettingsPath(false);
    const bool userFile = FileReadable(userPath);
    const bool userUnreadable = SettingsFileUnreadable(userPath);
    const PathString path =
        userFile ? userPath : JoinPath(ProgramFolder(), StringW(), ProgramName(), StringW("ini"));
    bool complete = false;
    bool taken = false;
    FileStream file;
    std::unique_ptr<Dictionary> map(file.Open(path, false) ? BuildSettingsMap() : nullptr);
    if (map) {
        // Whether a value read is in use is judged once the choices have settled: a name
        // no output has goes back to the default.
        SettleChoices();
        const std::vector<u8> defaults = SettingsBytes(*map);
        complete = map->Load(file, kSettingsFileHead);
        SettleChoices();
        taken = SettingsBytes(*map) != defaults;
        map.reset();
    }
    file.Close();
    // A load that fails part way keeps the values read before the damage. The save at
    // exit writes over a file that could not be read: it is kept beside it first.
    if (userUnreadable || (userFile && !complete))
        settingsNotice_ =
            KeepUnreadableSettingsFile(userPath, SettingsUsedText(userUnreadable, complete, taken), &unkeptSettings_);
    return complete;
}

bool EmuManager::SaveSettings(StringW* failure)
{
    PullCoreSettings();
    std::unique_ptr<Dictionary> map(BuildSettingsMap());
    if (!map)
        return false;
    if (ProgramFolder().IsEmpty()) {
        // Its data folder is unknown too; the working folder is no place for the file.
        if (failure) {
            *failure = StringW("The program's settings ");
            failure->Append(SaveFailureWhere(PathString(), std::error_code()));
        }
        return false;
    }
    const PathString path = SettingsPath(true);
    std::error_code folderError;
    CreateFolders(MakeDataFolder(StringW(kDataFolderName), true), &folderError);
    std::error_code error;
    if (!unkeptSettings_.KeepBeforeSave(path, error)) {
        if (failure)
            *failure = UnkeptFailureLine(path, error);
        return false;
    }
    if (SaveSettingsTreeFile(path, *map, kSettingsFileHead, &error))
        return true;
    if (failure)
        *failure = SaveFailureLine(path, error, folderError);
    return false;
}

// A file names its choices; indices are worked out here, and stale or empty names are
// replaced by those of the outputs actually chosen.
void EmuManager::SettleChoices()
{
    if (syncFrequency < 0 || syncFrequency > 4)
        syncFrequency = 0;
    PushCoreSettings();

    soundIndex = GetSoundOutputCount() >= 2 ? 1 : 0;
    for (i32 i = 0; !soundName.IsEmpty() && i < GetSoundOutputCount(); ++i) {
        SoundBufferRing* output = GetSoundOutputFactory(i);
        if (output && soundName.CompareNarrow(output->GetName()) == 0) {
            soundIndex = i;
            break;
        }
    }
    SoundBufferRing* sound = GetSoundOutputFactory(soundIndex);
    soundName.Assign(sound ? sound->GetName() : "");

    rendererIndex = 0;
    for (i32 i = 0; !rendererName.IsEmpty() && i < GetRendererCount(); ++i) {
        LockedDisplaySurface* renderer = GetRendererFactory(i);
        if (renderer && rendererName.CompareNarrow(renderer->GetName()) == 0) {
            rendererIndex = i;
            break;
        }
    }
    LockedDisplaySurface* renderer = GetRendererFactory(rendererIndex);
    rendererName.Assign(renderer ? renderer->GetName() : "");
}
