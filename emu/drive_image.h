// One drive of the bay: a floppy drive, a hard-disk drive or a cartridge slot.
//
// A drive is empty or holds one image file of the host, opened read-write when the file
// allows it, else read-only. Every insert, eject and latch change is announced to the bay
// before and after (OnDriveChange), except that a successful insert announces only the
// "after". The drive never reads the indicator fields; the main window keeps its menu
// item and blink counter there.
//
// Status flags, set and cleared by their users:
//   latch     the medium is latched: machines use an image only while it is set
//   in use    the ROM-slot device took the drive (the main window clears it on blinking)
//   accepted  a machine loaded the image in full
//   examined  a machine looked at the image, accepted or not
//   read      a device read data from the image (saved in states)
//   changed   set by every insert, eject, latch change and state load; machines clear it
//             when they take or refuse the image
//   removed   the drive is being destroyed (its last notice)
// Flag A, flag B and the second access flag are kept for the indicators; nothing sets
// them.
#pragma once

#include "base/object_list.h"
#include "base/string_a.h"
#include "base/string_w.h"
#include "emu/drive_file.h"

class DriveBayBase;

class DriveImage {
public:
    explicit DriveImage(DriveBayBase* owner);
    // Announces its removal (before, eject, removed, after).
    virtual ~DriveImage();

    DriveImage(const DriveImage&) = delete;
    DriveImage& operator=(const DriveImage&) = delete;

    // Opens path in the empty drive. The bay's last path moves to the path's folder
    // first, whatever the outcome. False when the drive holds a file or the file does
    // not open; then the drive is unchanged. Callers pass 0 for the two further
    // arguments, which change nothing.
    bool InsertFile(const PathString& path, u32 reserved1 = 0, u32 reserved2 = 0);
    bool OpenFile(const PathString& path) { return InsertFile(path, 0, 0); }
    // Closes the file and clears the path and status flags (the latch stays).
    void Eject();
    void SetLatch(bool latch);
    // Menus and the console bracket their own changes: true before, false after (which
    // also sets the changed flag).
    void SetChanged(bool before);
    // Resets the read flag and the second access flag.
    void ClearAccessFlags();

    // Nothing for an empty extension; an empty description stands for the extension.
    void AddFileType(const PathString& extension, const StringA& description);
    // False past the last type.
    bool GetFileType(i32 index, PathString& extension, StringA& description);
    i32 GetFileTypeCount() const { return extensions_.Count(); }
    // null name empties it; null second name copies the name.
    void SetNames(const char* name, const char* secondName);
    // True unless flag A is set; with flags A and B set, clears B and answers false.
    bool PollFlags();

    DriveBayBase* GetOwner() const { return owner_; }
    const PathString& GetLastPath() const;
    DriveFile& GetStream() { return stream_; }
    bool HasFile() const { return stream_.IsOpen(); }
    // Size of the open file; 0 when empty.
    u64 GetFileSize() const { return stream_.GetSize(); }
    const PathString& GetPath() const { return path_; }
    const StringA& GetDriveName() const { return name_; }
    const StringA& GetSecondName() const { return secondName_; }

    bool GetLatch() const { return latch_; }
    bool IsInUse() const { return inUse_; }
    void SetInUse(bool on) { inUse_ = on; }
    bool IsAccepted() const { return accepted_; }
    void SetAccepted(bool on) { accepted_ = on; }
    bool IsExamined() const { return examined_; }
    void SetExamined(bool on) { examined_ = on; }
    bool WasRead() const { return read_; }
    void SetRead(bool on) { read_ = on; }
    bool WasAccessed() const { return accessed_; }
    bool IsChanged() const { return changed_; }
    void SetChangedFlag(bool on) { changed_ = on; }
    bool IsRemoved() const { return removed_; }
    void* GetIndicator() const { return indicator_; }
    void SetIndicator(void* indicator) { indicator_ = indicator; }
    i32 GetIndicatorState() const { return indicatorState_; }
    void SetIndicatorState(i32 state) { indicatorState_ = state; }

private:
    void Notify(bool before);
    // Eject without the bracketing notices.
    void CloseFile();
    // A new or removed medium starts unread, unexamined and not in use.
    void ResetMediaFlags();

    DriveBayBase* owner_;
    DriveHostFile stream_;
    PathString path_;
    ObjectList extensions_;    // file-dialog extensions ("rom")
    ObjectList descriptions_;  // one per extension ("MSX ROM")
    StringA name_;
    StringA secondName_;
    bool latch_ = false;
    bool inUse_ = false;
    void* indicator_ = nullptr;
    i32 indicatorState_ = 0;
    bool accepted_ = false;
    bool examined_ = false;
    bool flagA_ = false;
    bool flagB_ = false;
    bool accessed_ = false;    // the second access flag
    bool read_ = false;
    bool changed_ = false;
    bool removed_ = false;
};
