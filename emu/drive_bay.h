// The machine's media drives: floppy drives, hard-disk drives and cartridge slots.
//
// The system creates one bay with its services, hangs it into the services group without
// a name and hands it to every device; machines set the number of drives of each kind
// while they build their devices. The bay tells the system before and after every change
// of its media through the change callback; the system turns that into the Connect
// broadcasts 0x0200 (before) and 0x0040 (after).
//
// Drives are indexed two ways: by their place in the all-drives list (creation order; the
// emulation core and the GUI use it) and by kind and index. A kind holds at most
// kMaxDrivesPerKind drives, one entry each in the drive settings file.
//
// "_DRIVES" state block (drive_bay_state.cpp). It holds each drive's path, file size,
// latch and read flag, not the image data: a load reopens the same files and checks
// their sizes. A drive keeps its file when the one named does not open or has another
// size. <K> is FD, HD, CR for floppies, hard disks, cartridges; %ld the index.
//   "VER" u8 0, then F0 "_DRIVES"
//   "DCNT" i32          drives of every kind (must match on load)
//   per kind: "<K>CNT" i32 (must match), then per drive
//             "<K>FLE%ld" string, "<K>SIZ%ld" u64, "<K>LCH%ld" bool, "<K>RDD%ld" bool
//   FF "_DRIVES"
//
// Drive settings file (drive_settings_file.cpp): a settings tree file ("KUVINI") with the
// values "lastPath" and, per kind (prefix fdd, hdd, cart), "<k>Max" u8 and for entries
// 0 to 7 "<k>%.1ldLatch" bool and "<k>%.1ldPath" string. The bay keeps these entries in
// its saved-settings tables between a load and the next save, so entries of drives the
// machine does not have are written back as they were read.
#pragma once

#include <memory>
#include <vector>

#include "base/string_a.h"
#include "base/string_w.h"
#include "base/types.h"
#include "emu/component.h"
#include "emu/drive_bay_base.h"
#include "emu/drive_image.h"

class Dictionary;
class ObjectList;

class DriveBay : public DriveBayBase, public Component {
public:
    using ChangeCallback = void (*)(void* context, DriveImage* drive, bool before);
    using DriveList = std::vector<DriveImage*>;

    enum Kind : i32 { kFloppy = 0, kHardDisk = 1, kCartridge = 2, kKindCount = 3 };
    static constexpr i32 kMaxDrivesPerKind = 8;
    // What lines and lookups call the first drive of each kind.
    static constexpr const char* kKindNames[kKindCount] = {"FDD", "HDD", "CART"};
    // What the menus and notices call the drives of a kind, numbered from 1 ("Cartridge 1").
    static constexpr const char* kKindCaptions[kKindCount] = {"Floppy Drive", "Hard Drive", "Cartridge"};

    DriveBay() = default;
    // Deletes every drive without the set-of-drives notices.
    ~DriveBay() override;

    // Resize one kind (last drives go first, ejected and deleted). False for a negative
    // count, one above kMaxDrivesPerKind, or the present count; otherwise the change is
    // bracketed by OnDriveChange (null, true / false).
    bool SetFloppyCount(i32 count) { return SetKindCount(kFloppy, count); }
    bool SetHardDiskCount(i32 count) { return SetKindCount(kHardDisk, count); }
    bool SetCartridgeCount(i32 count) { return SetKindCount(kCartridge, count); }
    bool SetKindCount(i32 kind, i32 count);
    // All three counts to 0, with notices.
    void RemoveAllDrives();
    // Every drive of every kind, last first, without the set-of-drives notices.
    void DeleteAllDrives();

    // "FDD", "HDD", "CART" (or the given texts) name the first drive of a kind; the name
    // is compared whole after upper-casing, so "fdd" matches and "FDD1" does not. Null for
    // names shorter than 3 characters and kinds without drives.
    DriveImage* FindDriveByName(StringA name, const char* floppyText = nullptr,
                                const char* hardDiskText = nullptr, const char* cartridgeText = nullptr);

    i32 GetDriveCount() const { return static_cast<i32>(drives_.size()); }
    // By place in the all-drives list; null outside it.
    DriveImage* GetDrive(i32 index) const;
    i32 GetKindCount(i32 kind) const;
    DriveImage* GetKindDrive(i32 kind, i32 index) const;
    const DriveList& GetDrives() const { return drives_; }

    // Resets every drive's read and second access flags.
    void ClearAccessFlags();
    bool AnyDriveAccessed() const;

    // A null callback removes it; the owner does so before it goes away.
    void SetChangeCallback(ChangeCallback callback, void* context)
    {
        changeCallback_ = callback;
        changeContext_ = callback ? context : nullptr;
    }
    ChangeCallback GetChangeCallback() const { return changeCallback_; }
    void* GetChangeContext() const { return changeContext_; }
    void OnDriveChange(DriveImage* drive, bool before) override;

    // What a drive held and showed, to be given back when a state that changed it is
    // refused (drive_bay_state.cpp).
    struct DriveRecord {
        PathString path;
        bool latch = false;
        bool inUse = false;
        bool accepted = false;
        bool examined = false;
        bool read = false;
        bool changed = false;
    };
    struct Snapshot {
        std::vector<DriveRecord> drives;        // in all-drives order
        bool latch[kKindCount][kMaxDrivesPerKind] = {};
    };
    Snapshot TakeSnapshot() const;
    // Every drive back to its record: a drive whose file changed is emptied and gets its
    // old file again. False when the set of drives differs or an old file no longer opens
    // (that drive stays empty); the other drives are put back all the same.
    bool RestoreSnapshot(const Snapshot& snapshot);

    // --- component ---
    // Clears the access flags (the rate is not used).
    bool Start(i32* rate) override;
    void Stop() override {}
    // drive_bay_state.cpp
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // --- drive settings file (drive_settings_file.cpp) ---
    // Binds the file's keys to the saved-settings tables: all eight entries of every kind
    // with all set (loading), else those below each kind's recorded count (saving).
    std::unique_ptr<Dictionary> BuildSettingsTree(bool all);
    // Resets the tables and the last path (to the program folder), reads the file and
    // puts its images back into the drives. True when the file was read in full. A file
    // that is missing leaves the drives alone; so does one that is damaged (the tables
    // and the last path are then left reset). An image that does not open leaves its
    // drive empty, its entry as read, and a line in notices (when given):
    //   Drive "<caption> <n>": image "<path>" could not be opened (<reason>), the drive is left empty.
    bool LoadSettingsFile(const PathString& path, ObjectList* notices = nullptr);
    // Copies the drives' paths and latches into the tables and writes the file; the old
    // file stays intact unless the new one was written in full; error (when given) holds
    // the system's reason for a failure.
    bool SaveSettingsFile(const PathString& path, std::error_code* error = nullptr);

    // The saved-settings tables of one kind (for tests and the settings dialogs).
    u8 GetRecordedCount(i32 kind) const;
    bool GetRecordedLatch(i32 kind, i32 index) const;
    const PathString& GetRecordedPath(i32 kind, i32 index) const;

private:
    struct Group {
        DriveList drives;                       // shared with drives_, which owns them
        i32 count = 0;                          // kept equal to drives.size()
        u8 recorded = 0;                        // entries kept in the drive file, 0..8
        bool latch[kMaxDrivesPerKind] = {};     // saved latch per entry
        PathString path[kMaxDrivesPerKind];     // saved image path per entry
    };

    // Drives of a kind that take part in the drive file: min(list, count), at most 8.
    i32 ActiveCount(const Group& group) const;
    bool AddDrive(DriveList& list, DriveImage* drive);
    bool RemoveDrive(DriveList& list, DriveImage* drive);
    bool SaveKind(Archive& archive, i32 kind);
    bool LoadKind(Archive& archive, i32 kind);
    void ResetRecorded();

    DriveList drives_;  // owns every drive
    Group groups_[kKindCount];
    ChangeCallback changeCallback_ = nullptr;
    void* changeContext_ = nullptr;
};
