// The drive settings file: which images were in the drives, their latches, and the
// folder last used to pick an image.
#include <algorithm>

#include "base/dictionary.h"
#include "base/file_io.h"
#include "base/file_stream.h"
#include "base/file_system.h"
#include "base/object_list.h"
#include "base/path_text.h"
#include "base/program_folders.h"
#include "emu/drive_bay.h"
#include "emu/safe_file_write.h"

namespace {

const char* const kKindPrefixes[DriveBay::kKindCount] = {"fdd", "hdd", "cart"};

StringA EntryKey(const char* prefix, i32 index, const char* field)
{
    StringA key;
    key.Format("%s%.1ld%s", prefix, index, field);
    return key;
}

// An image the drive file names that did not open: the user would otherwise see only an
// empty drive at the start, never why.
StringA ImageNotOpenedText(i32 kind, i32 index, const PathString& path)
{
    const PathProbe probe = ProbePath(path);
    const StringW reason = probe.holds == PathHolds::kNonFile ? StringW("not a file") : FileErrorText(probe.reason);
    StringA text;
    text.Format("Drive \"%s %ld\": image \"%s\" could not be opened (%s), the drive is left empty.",
                DriveBay::kKindCaptions[kind], index + 1, MessageText(path).CStr(), reason.GetNarrow());
    return text;
}

} // namespace

std::unique_ptr<Dictionary> DriveBay::BuildSettingsTree(bool all)
{
    auto dict = std::make_unique<Dictionary>();
    dict->BindString("lastPath", &lastPath_);
    for (i32 kind = 0; kind < kKindCount; ++kind) {
        Group& group = groups_[kind];
        const char* prefix = kKindPrefixes[kind];
        const i32 active = ActiveCount(group);
        if (group.recorded < active)
            group.recorded = static_cast<u8>(active);
        StringA maxKey;
        maxKey.Format("%sMax", prefix);
        dict->BindUInt8(maxKey, &group.recorded);
        if (group.recorded > kMaxDrivesPerKind)
            group.recorded = kMaxDrivesPerKind;
        for (i32 i = 0; i < kMaxDrivesPerKind; ++i) {
            if (!all && i >= group.recorded)
                break;
            dict->BindBool(EntryKey(prefix, i, "Latch"), &group.latch[i]);
            dict->BindString(EntryKey(prefix, i, "Path"), &group.path[i]);
        }
    }
    return dict;
}

void DriveBay::ResetRecorded()
{
    for (Group& group : groups_) {
        group.recorded = 0;
        std::fill(std::begin(group.latch), std::end(group.latch), false);
        for (PathString& path : group.path)
            path.Clear();
    }
}

bool DriveBay::LoadSettingsFile(const PathString& path, ObjectList* notices)
{
    lastPath_.Assign(ProgramFolder());
    ResetRecorded();
    if (path.IsEmpty())
        return false;
    FileStream file;
    if (!file.Open(path, false))
        return false;
    bool read = false;
    {
        std::unique_ptr<Dictionary> dict = BuildSettingsTree(true);
        read = dict->Load(file, kSettingsFileHead);
    }
    file.Close();
    if (!read) {
        // A damaged file says nothing reliable about the drives it did not reach: they
        // keep their images rather than being emptied, and nothing it held is used (the
        // user is told the defaults are; the file itself is kept aside by the caller).
        lastPath_.Assign(ProgramFolder());
        ResetRecorded();
        return false;
    }
    // The file may claim any count; the tables hold eight entries.
    for (Group& group : groups_)
        group.recorded = std::min<u8>(group.recorded, kMaxDrivesPerKind);
    if (lastPath_.IsEmpty() || !(FolderExists(lastPath_) || FileExists(lastPath_)))
        lastPath_.Assign(ProgramFolder());
    const PathString keep(lastPath_);
    for (i32 kind = 0; kind < kKindCount; ++kind) {
        Group& group = groups_[kind];
        const i32 active = ActiveCount(group);
        for (i32 i = 0; i < active; ++i) {
            DriveImage* drive = group.drives[static_cast<size_t>(i)];
            if (!drive)
                continue;
            drive->Eject();
            if (!group.path[i].IsEmpty() && !drive->OpenFile(group.path[i]) && notices)
                notices->Add(ImageNotOpenedText(kind, i, group.path[i]));
            drive->SetLatch(group.latch[i]);
        }
    }
    // Reopening moved the last path to each image's folder; the recorded one stays.
    lastPath_.Assign(keep);
    return true;
}

bool DriveBay::SaveSettingsFile(const PathString& path, std::error_code* error)
{
    if (path.IsEmpty()) {
        if (error)
            *error = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    for (Group& group : groups_) {
        const i32 active = ActiveCount(group);
        if (group.recorded < active)
            group.recorded = static_cast<u8>(active);
    }
    std::unique_ptr<Dictionary> dict = BuildSettingsTree(false);
    for (Group& group : groups_) {
        const i32 active = ActiveCount(group);
        for (i32 i = 0; i < active; ++i) {
            const DriveImage* drive = group.drives[static_cast<size_t>(i)];
            if (!drive)
                continue;
            group.path[i].Assign(drive->GetPath());
            group.latch[i] = drive->GetLatch();
        }
    }
    return SaveSettingsTreeFile(path, *dict, kSettingsFileHead, error);
}
