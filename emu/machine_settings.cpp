// A machine's settings between runs: <settings name>.ini holds the settings of every
// device under one node named after the machine, <family id>.drv the drive bay's images.
// Both live in the "settings" folder of the per-user data folder; a "settings" folder
// beside the program is read when the per-user one has no file (a preset that ships
// with the program), and the next save makes the per-user file, which wins from then on.
#include <memory>
#include <vector>

#include "base/dictionary.h"
#include "base/file_stream.h"
#include "base/file_system.h"
#include "base/object_list.h"
#include "base/path_text.h"
#include "base/program_folders.h"
#include "emu/computer.h"
#include "emu/drive_bay.h"
#include "emu/safe_file_write.h"
#include "emu/settings_file_notice.h"

namespace {

const char* const kSettingsFolder = "settings";

PathString SettingsFolder(bool create)
{
    const PathString data = MakeDataFolder(StringW(kDataFolderName), create);
    return JoinPath(data, StringW(kSettingsFolder), StringW(), StringW());
}

// The per-user file, and the file read: the per-user one when it is readable, else the
// one beside the program.
struct SettingsSource {
    SettingsSource(const PathString& folder, const StringW& name, const char* extension)
        : own(JoinPath(folder, StringW(), name, StringW(extension))), ownRead(FileReadable(own)),
          ownUnreadable(SettingsFileUnreadable(own)),
          path(ownRead ? own : JoinPath(ProgramFolder(), StringW(kSettingsFolder), name, StringW(extension)))
    {
    }

    // A per-user file that was not read to its end is kept before the save at exit
    // replaces it, and the user is told which settings are in use.
    void Report(bool complete, bool taken, ObjectList* notices, UnkeptSettingsFiles& unkept) const
    {
        if (!(ownUnreadable || (ownRead && !complete)))
            return;
        const StringA notice =
            KeepUnreadableSettingsFile(own, SettingsUsedText(ownUnreadable, complete, taken), &unkept);
        if (notices)
            notices->Add(notice);
    }

    const PathString own;
    const bool ownRead;
    const bool ownUnreadable;
    const PathString path;
};

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
    std::error_code folderError;
    if (!folder.IsEmpty())
        CreateFolders(folder, &folderError);
    // A failed file adds its line; the message says where and why (first of all, why
    // the folder could not be made). A damaged file whose bytes are not kept aside yet is
    // not written over.
    const auto failed = [failures](const StringW& line) {
        if (failures) {
            if (!failures->IsEmpty())
                failures->Append("\n");
            failures->Append(line);
        }
        return false;
    };

    const StringW family = NameText(GetFamilyId());
    DriveBay* bay = GetDriveBay();
    bool drivesSaved = true;
    std::error_code error;
    if (bay && !family.IsEmpty()) {
        const PathString drv = JoinPath(folder, StringW(), family, StringW("drv"));
        if (!unkeptSettings_.KeepBeforeSave(drv, error))
            drivesSaved = failed(UnkeptFailureLine(drv, error));
        else if (folder.IsEmpty() || !bay->SaveSettingsFile(drv, &error))
            drivesSaved = failed(SaveFailureLine(drv, error, folderError));
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
    if (!unkeptSettings_.KeepBeforeSave(file, error))
        return failed(UnkeptFailureLine(file, error));
    if (folder.IsEmpty() || !SaveSettingsTreeFile(file, root, kSettingsFileHead, &error))
        return failed(SaveFailureLine(file, error, folderError));
    return drivesSaved;
}

bool Computer::LoadMachineSettings(ObjectList* notices)
{
    const PathString folder = SettingsFolder(false);

    const StringW family = NameText(GetFamilyId());
    DriveBay* bay = GetDriveBay();
    if (bay && !family.IsEmpty()) {
        const SettingsSource drives(folder, family, "drv");
        // A damaged drive file opens no image and keeps nothing it read.
        drives.Report(bay->LoadSettingsFile(drives.path, notices), false, notices, unkeptSettings_);
    }

    const char* settingsName = GetSettingsName();
    if (!settingsName || !settingsName[0])
        return false;
    const SettingsSource settings(folder, NameText(settingsName), "ini");
    // The devices' settings before and after the load tell whether a damaged file left
    // any of them changed.
    Dictionary snapshot;
    auto machine = std::make_unique<Dictionary>();
    if (BindSettingsTree(machine.get(), false) && snapshot.AddChild(settingsName, machine.get()))
        machine.release();
    const std::vector<u8> before = SettingsBytes(snapshot);
    bool complete = false;
    FileStream file;
    if (file.Open(settings.path, false)) {
        // Only the node named after this machine is read, straight into its devices;
        // values of the root and nodes of other machines are dropped.
        Dictionary root;
        root.SetHookContext(this);
        root.SetChildLoader(LoadSettingsNode);
        complete = root.Load(file, kSettingsFileHead);
    }
    file.Close();
    settings.Report(complete, SettingsBytes(snapshot) != before, notices, unkeptSettings_);
    return complete;
}
