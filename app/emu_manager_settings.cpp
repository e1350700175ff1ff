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
    PathString path = userPath;
    const bool userFile = FileReadable(userPath);
    if (!userFile) {
        if (FileExists(userPath))
            KeepUnreadableSettings(userPath);
        path = JoinPath(ProgramFolder(), StringW(), ProgramName(), StringW("ini"));
    }
    FileStream file;
    if (!file.Open(path, false))
        return false;
    std::unique_ptr<Dictionary> map(BuildSettingsMap());
    if (!map)
        return false;
    const bool complete = map->Load(file, kSettingsFileHead);
    map.reset();
    SettleChoices();
    file.Close();
    if (!complete && userFile)
        KeepUnreadableSettings(userPath);
    return complete;
}

// The save at exit writes the defaults over a file that could not be read: the user's
// file is kept beside it, and the user is told.
void EmuManager::KeepUnreadableSettings(const PathString& path)
{
    PathString kept(path);
    kept.Append(".bad");
    std::error_code error;
    fs::copy_file(NativePath(path), NativePath(kept), fs::copy_options::overwrite_existing, error);
    const StringA name(GetFileNamePart(path).GetNarrow());
    if (error)
        settingsNotice_.Format("Settings file \"%s\" could not be read nor kept: the defaults are used.",
                               name.CStr());
    else
        settingsNotice_.Format("Settings file \"%s\" could not be read: kept as \"%s.bad\", the defaults are used.",
                               name.CStr(), name.CStr());
}

bool EmuManager::SaveSettings()
{
    PullCoreSettings();
    std::unique_ptr<Dictionary> map(BuildSettingsMap());
    if (!map)
        return false;
    const PathString path = SettingsPath(true);
    CreateFolders(MakeDataFolder(StringW(kDataFolderName), true));
    return SaveSettingsTreeFile(path, *map, kSettingsFileHead);
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
