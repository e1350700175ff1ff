// What a drive knows of the bay it sits in: where to announce its changes, and the
// folder of the last image opened in any drive (the file dialogs start there).
#pragma once

#include "base/string_w.h"

class DriveImage;

class DriveBayBase {
public:
    DriveBayBase() = default;
    virtual ~DriveBayBase() = default;

    DriveBayBase(const DriveBayBase&) = delete;
    DriveBayBase& operator=(const DriveBayBase&) = delete;

    // Called with before = true just ahead of a change and false just after it; drive is
    // null when the set of drives itself changes. Base: nothing.
    virtual void OnDriveChange(DriveImage* drive, bool before)
    {
        (void)drive;
        (void)before;
    }

    const PathString& GetLastPath() const { return lastPath_; }
    void SetLastPath(const StringW& path) { lastPath_.Assign(path); }

protected:
    PathString lastPath_;
};
