// The drive bay's "_DRIVES" block: which files the drives held, not their contents; and
// the snapshot that a refused state load puts back.
#include <algorithm>
#include <iterator>

#include "base/archive.h"
#include "base/file_stream.h"
#include "base/path_text.h"
#include "emu/drive_bay.h"
#include "emu/state_block.h"

namespace {

const char* const kDrivesBlock = "_DRIVES";

// Key prefixes in states.
constexpr const char* kKindPrefixes[DriveBay::kKindCount] = {"FD", "HD", "CR"};

StringA Key(const char* prefix, const char* field, i32 index)
{
    StringA key;
    key.Format("%s%s%ld", prefix, field, index);
    return key;
}

StringA Key(const char* prefix, const char* field)
{
    StringA key;
    key.Format("%s%s", prefix, field);
    return key;
}

// Loading a state reopens files through the drives, which moves the last path; the
// user's last folder must survive that.
class LastPathKeeper {
public:
    explicit LastPathKeeper(DriveBayBase& bay) : bay_(bay), saved_(bay.GetLastPath()) {}
    ~LastPathKeeper() { bay_.SetLastPath(saved_); }

    LastPathKeeper(const LastPathKeeper&) = delete;
    LastPathKeeper& operator=(const LastPathKeeper&) = delete;

private:
    DriveBayBase& bay_;
    PathString saved_;
};

} // namespace

bool DriveBay::SaveState(Archive& archive)
{
    const i32 total = GetDriveCount();
    if (!StateBlock::SaveVersion(archive) || !archive.WriteMarker(kDrivesBlock, Archive::kBlockOpen) ||
        !archive.WriteInt32(&total, "DCNT"))
        return false;
    for (i32 kind = 0; kind < kKindCount; ++kind) {
        if (!SaveKind(archive, kind))
            return false;
    }
    return archive.WriteMarker(kDrivesBlock, Archive::kBlockClose);
}

bool DriveBay::SaveKind(Archive& archive, i32 kind)
{
    const Group& group = groups_[kind];
    const char* prefix = kKindPrefixes[kind];
    if (!archive.WriteInt32(&group.count, Key(prefix, "CNT")))
        return false;
    for (i32 i = 0; i < group.count; ++i) {
        const DriveImage* drive = GetKindDrive(kind, i);
        if (!drive)
            return false;
        const u64 size = drive->GetFileSize();
        const bool latch = drive->GetLatch();
        const bool read = drive->WasRead();
        if (!archive.WriteStringValue(drive->GetPath(), Key(prefix, "FLE", i)) ||
            !archive.WriteUInt64(&size, Key(prefix, "SIZ", i)) ||
            !archive.WriteBool(&latch, Key(prefix, "LCH", i)) || !archive.WriteBool(&read, Key(prefix, "RDD", i)))
            return false;
    }
    return true;
}

bool DriveBay::LoadState(Archive& archive, LoadContext context)
{
    (void)context;
    if (!StateBlock::LoadVersion(archive) || !archive.ReadMarker(kDrivesBlock, Archive::kBlockOpen))
        return false;
    // The drives are the machine's own; a state made for another set of drives is refused
    // before any drive changes.
    i32 total = 0;
    if (!archive.ReadInt32(&total, "DCNT") || total != GetDriveCount())
        return false;
    LastPathKeeper keeper(*this);
    for (i32 kind = 0; kind < kKindCount; ++kind) {
        if (!LoadKind(archive, kind))
            return false;
    }
    return archive.ReadMarker(kDrivesBlock, Archive::kBlockClose);
}

bool DriveBay::LoadKind(Archive& archive, i32 kind)
{
    Group& group = groups_[kind];
    const char* prefix = kKindPrefixes[kind];
    const char* tag = kKindNames[kind];
    i32 count = 0;
    if (!archive.ReadInt32(&count, Key(prefix, "CNT")) || count != group.count)
        return false;
    for (i32 i = 0; i < count; ++i) {
        DriveImage* drive = GetKindDrive(kind, i);
        if (!drive)
            return false;
        PathString path;
        u64 size = 0;
        bool latch = false;
        bool read = false;
        if (!archive.ReadStringValue(path, Key(prefix, "FLE", i)) || !archive.ReadUInt64(&size, Key(prefix, "SIZ", i)) ||
            !archive.ReadBool(&latch, Key(prefix, "LCH", i)) || !archive.ReadBool(&read, Key(prefix, "RDD", i)))
            return false;
        const auto cannotLoad = [&] {
            LogColoredF("[%s_%ld ERROR] Can not load file \"%s\"!", tag, i, MessageText(path).CStr());
            return false;
        };
        const auto wrongSize = [&] {
            LogColoredF("[%s_%ld ERROR] Incorrect file \"%s\" size (need %llu)!", tag, i, MessageText(path).CStr(),
                        static_cast<unsigned long long>(size));
            return false;
        };
        if (drive->GetPath().Compare(path) != 0) {
            // The named file is tried before the drive gives up its own: a state that
            // names a file deleted since is refused with the drive as it was.
            if (!path.IsEmpty()) {
                FileStream probe;
                if (!probe.Open(path, false))
                    return cannotLoad();
                if (probe.GetSize() != size)
                    return wrongSize();
            }
            drive->Eject();
            if (!path.IsEmpty() && !drive->OpenFile(path))
                return cannotLoad();
        }
        if (drive->GetFileSize() != size)
            return wrongSize();
        if (i < kMaxDrivesPerKind)
            group.latch[i] = latch;
        drive->SetLatch(latch);
        drive->SetRead(true);
    }
    return true;
}

DriveBay::Snapshot DriveBay::TakeSnapshot() const
{
    Snapshot snapshot;
    for (const DriveImage* drive : drives_) {
        DriveRecord record;
        if (drive) {
            record.path = drive->GetPath();
            record.latch = drive->GetLatch();
            record.inUse = drive->IsInUse();
            record.accepted = drive->IsAccepted();
            record.examined = drive->IsExamined();
            record.read = drive->WasRead();
            record.changed = drive->IsChanged();
        }
        snapshot.drives.push_back(record);
    }
    for (i32 kind = 0; kind < kKindCount; ++kind)
        std::copy(std::begin(groups_[kind].latch), std::end(groups_[kind].latch), std::begin(snapshot.latch[kind]));
    return snapshot;
}

bool DriveBay::RestoreSnapshot(const Snapshot& snapshot)
{
    if (snapshot.drives.size() != drives_.size())
        return false;
    LastPathKeeper keeper(*this);
    bool all = true;
    for (size_t i = 0; i < drives_.size(); ++i) {
        DriveImage* drive = drives_[i];
        const DriveRecord& record = snapshot.drives[i];
        if (!drive)
            continue;
        if (drive->GetPath().Compare(record.path) != 0) {
            drive->Eject();
            if (!record.path.IsEmpty() && !drive->OpenFile(record.path))
                all = false;
        }
        drive->SetLatch(record.latch);
        if (drive->GetPath().Compare(record.path) != 0)
            continue;
        drive->SetInUse(record.inUse);
        drive->SetAccepted(record.accepted);
        drive->SetExamined(record.examined);
        drive->SetRead(record.read);
        drive->SetChangedFlag(record.changed);
    }
    for (i32 kind = 0; kind < kKindCount; ++kind)
        std::copy(std::begin(snapshot.latch[kind]), std::end(snapshot.latch[kind]), std::begin(groups_[kind].latch));
    return all;
}
