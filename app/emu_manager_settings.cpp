// The application settings file: "<program name>.ini" in the per-user folder, a settings
// tree whose root node holds ten values bound to the manager's fields. The same key map
// serves load and save, so a key cannot be read without being written back.
#include <filesystem>
#include <memory>
#include <system_error>

#include "app/emu_manager.h"
#include "base/dictionary.h"
#include "base/file_stream.h"
#include "base/file_system.h"
#include "base/native_path.h"
#include "base/path_text.h"
#include "base/program_folders.h"
#include "emu/device.h"
#include "emu/safe_file_write.h"
#include "sound/sound_buffer_ring.h"
#include "video/display_surface.h"

namespace fs = std::filesystem;

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
    const bool userUnreadable = !userFile && FileExists(userPath);
    const PathString path =
        userFile ? userPath : JoinPath(ProgramFolder(), StringW(), ProgramName(), StringW("ini"));
    // The fields hold the defaults until the load: taken tells that a value read differs.
    bool complete = false;
    bool taken = false;
    FileStream file;
    std::unique_ptr<Dictionary> map(file.Open(path, false) ? BuildSettingsMap() : nullptr);
    if (map) {
        complete = map->LoadEx(file, taken, kSettingsFileHead);
        map.reset();
        SettleChoices();
    }
    file.Close();
    // A load that fails part way keeps the values read before the damage.
    const char* used = "the defaults are used.";
    if (userUnreadable && complete)
        used = "the program folder's settings are used.";
    else if (userUnreadable && taken)
        used = "the program folder's settings read before the damage are used, the defaults for the rest.";
    else if (taken)
        used = "the values read before the damage are used, the defaults for the rest.";
    if (userUnreadable || (userFile && !complete))
        KeepUnreadableSettings(userPath, used);
    return complete;
}

// The save at exit writes over a file that could not be read: the user's file is kept
// beside it, and the user is told which settings are in use instead.
void EmuManager::KeepUnreadableSettings(const PathString& path, const char* used)
{
    PathString kept(path);
    kept.Append(".bad");
    std::error_code error;
    fs::copy_file(NativePath(path), NativePath(kept), fs::copy_options::overwrite_existing, error);
    const StringA name(GetFileNamePart(path).GetNarrow());
    if (error)
        settingsNotice_.Format("Settings file \"%s\" could not be read nor kept: %s", name.CStr(), used);
    else
        settingsNotice_.Format("Settings file \"%s\" could not be read: kept as \"%s.bad\", %s", name.CStr(),
                               name.CStr(), used);
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
    CreateFolders(MakeDataFolder(StringW(kDataFolderName), true));
    std::error_code error;
    if (SaveSettingsTreeFile(path, *map, kSettingsFileHead, &error))
        return true;
    if (failure)
        *failure = SaveFailureLine(path, error);
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
