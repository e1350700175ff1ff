// A machine's settings between runs: <settings name>.ini holds the settings of every
// device under one node named after the machine, <family id>.drv the drive bay's images.
// Both live in the "settings" folder of the per-user data folder; a "settings" folder
// beside the program is read when the per-user one has no file (a preset that ships
// with the program), and the next save makes the per-user file, which wins from then on.
#include <memory>

#include "base/dictionary.h"
#include "base/file_stream.h"
#include "base/file_system.h"
#include "base/path_text.h"
#include "base/program_folders.h"
#include "emu/computer.h"
#include "emu/drive_bay.h"
#include "emu/safe_file_write.h"

namespace {

const char* const kSettingsFolder = "settings";

PathString SettingsFolder(bool create)
{
    const PathString data = MakeDataFolder(StringW(kDataFolderName), create);
    return JoinPath(data, StringW(kSettingsFolder), StringW(), StringW());
}

// The per-user file when it is readable, else the one beside the program.
PathString FileToRead(const PathString& folder, const StringW& name, const char* extension)
{
    const PathString own = JoinPath(folder, StringW(), name, StringW(extension));
    if (FileReadable(own))
        return own;
    return JoinPath(ProgramFolder(), StringW(kSettingsFolder), name, StringW(extension));
}

StringW NameText(const char* name)
{
    StringW text;
    text.FromNarrow(name ? name : "");
    return text;
}

} // namespace

bool Computer::SaveMachineSettings(StringW* failures)
{
    // Without the program's folder there is no data folder: nothing is written elsewhere.
    const PathString folder = ProgramFolder().IsEmpty() ? PathString() : SettingsFolder(true);
    if (!folder.IsEmpty())
        CreateFolder(folder);
    // A failed file adds its line; the message says where and why.
    const auto failed = [failures](const PathString& path, const std::error_code& error) {
        if (failures) {
            if (!failures->IsEmpty())
                failures->Append("\n");
            failures->Append(SaveFailureLine(path, error));
        }
        return false;
    };

    const StringW family = NameText(GetFamilyId());
    DriveBay* bay = GetDriveBay();
    bool drivesSaved = true;
    std::error_code error;
    if (bay && !family.IsEmpty()) {
        const PathString drv = JoinPath(folder, StringW(), family, StringW("drv"));
        if (folder.IsEmpty() || !bay->SaveSettingsFile(drv, &error))
            drivesSaved = failed(drv, error);
    }

    const char* settingsName = GetSettingsName();
    if (!settingsName || !settingsName[0])
        return false;
    Dictionary root;
    auto machine = std::make_unique<Dictionary>();
    if (!BindSettingsTree(machine.get(), false) || !root.AddChild(settingsName, machine.get()))
        return false;
    machine.release();
    const PathString file = JoinPath(folder, StringW(), NameText(settingsName), StringW("ini"));
    if (folder.IsEmpty() || !SaveSettingsTreeFile(file, root, kSettingsFileHead, &error))
        return failed(file, error);
    return drivesSaved;
}

bool Computer::LoadMachineSettings()
{
    const PathString folder = SettingsFolder(false);

    const StringW family = NameText(GetFamilyId());
    DriveBay* bay = GetDriveBay();
    if (bay && !family.IsEmpty())
        bay->LoadSettingsFile(FileToRead(folder, family, "drv"));

    const char* settingsName = GetSettingsName();
    if (!settingsName || !settingsName[0])
        return false;
    FileStream file;
    if (!file.Open(FileToRead(folder, NameText(settingsName), "ini"), false))
        return false;
    // Only the node named after this machine is read, straight into its devices; values
    // of the root and nodes of other machines are dropped.
    Dictionary root;
    root.SetHookContext(this);
    root.SetChildLoader(LoadSettingsNode);
    return root.Load(file, kSettingsFileHead);
}
