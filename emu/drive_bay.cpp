// The drive bay: its drives by kind, their counts, lookup by name, access flags.
#include "emu/drive_bay.h"

#include <algorithm>

DriveBay::~DriveBay()
{
    DeleteAllDrives();
}

void DriveBay::OnDriveChange(DriveImage* drive, bool before)
{
    if (changeCallback_)
        changeCallback_(changeContext_, drive, before);
}

bool DriveBay::AddDrive(DriveList& list, DriveImage* drive)
{
    if (!drive)
        return false;
    list.push_back(drive);
    if (&list != &drives_)
        drives_.push_back(drive);
    return true;
}

bool DriveBay::RemoveDrive(DriveList& list, DriveImage* drive)
{
    if (!drive)
        return false;
    auto it = std::find(list.begin(), list.end(), drive);
    if (it == list.end())
        return false;
    list.erase(it);
    if (&list != &drives_) {
        auto all = std::find(drives_.begin(), drives_.end(), drive);
        if (all == drives_.end())
            return false;
        drives_.erase(all);
    }
    drive->Eject();
    delete drive;
    return true;
}

bool DriveBay::SetKindCount(i32 kind, i32 count)
{
    if (kind < 0 || kind >= kKindCount)
        return false;
    Group& group = groups_[kind];
    // The drive file has eight entries per kind; more drives could not be kept.
    if (count < 0 || count > kMaxDrivesPerKind || static_cast<size_t>(count) == group.drives.size())
        return false;
    OnDriveChange(nullptr, true);
    while (group.drives.size() > static_cast<size_t>(count)) {
        DriveImage* last = group.drives.back();
        if (!last)
            return false;
        group.drives.pop_back();
        if (!RemoveDrive(drives_, last))
            return false;
    }
    group.count = count;
    while (group.drives.size() < static_cast<size_t>(count))
        AddDrive(group.drives, new DriveImage(this));
    OnDriveChange(nullptr, false);
    return true;
}

void DriveBay::RemoveAllDrives()
{
    for (i32 kind = 0; kind < kKindCount; ++kind)
        SetKindCount(kind, 0);
}

void DriveBay::DeleteAllDrives()
{
    for (Group& group : groups_) {
        while (!group.drives.empty()) {
            DriveImage* last = group.drives.back();
            group.drives.pop_back();
            // A drive missing from the all-drives list is still this bay's to delete.
            if (!RemoveDrive(drives_, last))
                delete last;
        }
        group.count = 0;
    }
    // Only drives of a kind are made; anything left over is still owned here.
    for (DriveImage* drive : drives_)
        delete drive;
    drives_.clear();
}

DriveImage* DriveBay::FindDriveByName(StringA name, const char* floppyText, const char* hardDiskText,
                                      const char* cartridgeText)
{
    if (name.GetLength() < 3)
        return nullptr;
    name.ToUpper();
    const char* texts[kKindCount] = {
        floppyText ? floppyText : kKindNames[kFloppy],
        hardDiskText ? hardDiskText : kKindNames[kHardDisk],
        cartridgeText ? cartridgeText : kKindNames[kCartridge],
    };
    for (i32 kind = 0; kind < kKindCount; ++kind) {
        if (name.CompareNarrow(texts[kind]) != 0)
            continue;
        return GetKindDrive(kind, 0);
    }
    return nullptr;
}

DriveImage* DriveBay::GetDrive(i32 index) const
{
    if (index < 0 || static_cast<size_t>(index) >= drives_.size())
        return nullptr;
    return drives_[static_cast<size_t>(index)];
}

i32 DriveBay::GetKindCount(i32 kind) const
{
    return kind >= 0 && kind < kKindCount ? groups_[kind].count : 0;
}

DriveImage* DriveBay::GetKindDrive(i32 kind, i32 index) const
{
    if (kind < 0 || kind >= kKindCount || index < 0)
        return nullptr;
    const Group& group = groups_[kind];
    if (index >= group.count || static_cast<size_t>(index) >= group.drives.size())
        return nullptr;
    return group.drives[static_cast<size_t>(index)];
}

i32 DriveBay::ActiveCount(const Group& group) const
{
    const i32 listed = static_cast<i32>(group.drives.size());
    return std::min({listed, group.count, kMaxDrivesPerKind});
}

void DriveBay::ClearAccessFlags()
{
    for (DriveImage* drive : drives_) {
        if (drive)
            drive->ClearAccessFlags();
    }
}

bool DriveBay::AnyDriveAccessed() const
{
    for (const DriveImage* drive : drives_) {
        if (drive && (drive->WasAccessed() || drive->WasRead()))
            return true;
    }
    return false;
}

bool DriveBay::Start(i32* rate)
{
    (void)rate;
    ClearAccessFlags();
    return true;
}

u8 DriveBay::GetRecordedCount(i32 kind) const
{
    return kind >= 0 && kind < kKindCount ? groups_[kind].recorded : 0;
}

bool DriveBay::GetRecordedLatch(i32 kind, i32 index) const
{
    if (kind < 0 || kind >= kKindCount || index < 0 || index >= kMaxDrivesPerKind)
        return false;
    return groups_[kind].latch[index];
}

const PathString& DriveBay::GetRecordedPath(i32 kind, i32 index) const
{
    static const PathString none;
    if (kind < 0 || kind >= kKindCount || index < 0 || index >= kMaxDrivesPerKind)
        return none;
    return groups_[kind].path[index];
}
