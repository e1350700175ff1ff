// The machine's media drives: the part the system base needs today.
//
// The system creates one bay with its services, hangs it into the services group without
// a name and hands it to every device. The bay tells the system before and after every
// change of its media through the change callback; the system turns that into the Connect
// broadcasts 0x0200 (before) and 0x0040 (after). Drives, images and the "_DRIVES" state
// block come with the media support; until then a bay holds no drives and saves nothing
// of its own.
#pragma once

#include "emu/component.h"

class DriveImage;

class DriveBayBase {
public:
    virtual ~DriveBayBase() = default;

    // Called with before = true just ahead of a change and false just after it; drive is
    // null when the set of drives itself changes.
    virtual void OnDriveChange(DriveImage* drive, bool before) { (void)drive, (void)before; }
};

class DriveBay : public DriveBayBase, public Component {
public:
    using ChangeCallback = void (*)(void* context, DriveImage* drive, bool before);

    DriveBay() = default;
    ~DriveBay() override = default;

    void OnDriveChange(DriveImage* drive, bool before) override
    {
        if (changeCallback_)
            changeCallback_(changeContext_, drive, before);
    }

    // A null callback removes it; the owner does so before it goes away.
    void SetChangeCallback(ChangeCallback callback, void* context)
    {
        changeCallback_ = callback;
        changeContext_ = callback ? context : nullptr;
    }
    ChangeCallback GetChangeCallback() const { return changeCallback_; }
    void* GetChangeContext() const { return changeContext_; }

private:
    ChangeCallback changeCallback_ = nullptr;
    void* changeContext_ = nullptr;
};
