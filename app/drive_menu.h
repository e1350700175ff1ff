// The Drives menu and the drive icons of the toolbar.
//
// Drives are addressed by one index over all drives of the machine: floppy drives
// first, then hard drives, then cartridge slots (EmuCore::GetDrive). The Drives menu
// holds one submenu per drive ("Load From File", "Unload", separator, "Latch"; every
// entry carries the index in its user value); the toolbar's drive panel holds, per kind
// of drive, a caption and one icon per drive that shows the drive's state, blinks while
// the machine reads it, loads an image on a left double-click and toggles the latch on
// a right click. Menu and panel are rebuilt together.
//
// A drive's indicator points at its icon. A rebuild first unlinks every drive of the
// core from its icon and links only the icons it added, so no drive keeps a pointer to
// a deleted control. Every drive change made here (insert, eject, latch) happens with
// the emulation held in break (BreakHold) when it ran.
//
// The picture of a drive's icon is DriveIconIndex's (drive_icon.h).
#pragma once

#include "base/string_w.h"
#include "gui/menu.h"

class DriveImage;
class EmuCore;
class ShellPartsInterface;
class WindowInterface;

// The toolbar's drive panel (Windows); absent in the native build.
class DrivePanelInterface {
public:
    virtual ~DrivePanelInterface() = default;
    // Deletes every control of the panel.
    virtual void Clear() = 0;
    // A spacer and the group's caption ("ROM:", "FDD:", "HDD:").
    virtual void AddGroupHead(const char* caption) = 0;
    // The icon of a drive (null: the core has none at that index), picture set by kind
    // (DriveKind), position within its group. Links the drive to its icon once added.
    virtual void AddIcon(i32 kind, i32 position, i32 driveIndex, DriveImage* drive, bool running) = 0;
    // A spacer and a thin rule after a group.
    virtual void AddGroupTail() = 0;
};

enum DriveKind : i32 { kDriveFloppy = 0, kDriveHardDisk = 1, kDriveCartridge = 2 };

class DriveMenu {
public:
    // Rebuilds the menu (and the panel when given) from core; nothing without a menu.
    static void Build(EmuCore* core, PopupMenu* drivesMenu, DrivePanelInterface* panel);
    // One blink step: a drive read since the last step toggles its lamp, an unread one
    // puts a lit lamp out; icons that change are refreshed, every icon with refreshAll.
    static void BlinkIndicators(ShellPartsInterface& shell, bool refreshAll);

    // Menu handlers (entry, index, kind, argument): kind 1 refresh, kind 0 execute.
    static bool OnLoadFromFile(MenuItem* entry, int index, int kind, void* argument);
    static bool OnUnload(MenuItem* entry, int index, int kind, void* argument);
    static bool OnLatch(MenuItem* entry, int index, int kind, void* argument);
    // Mouse callback of every icon (drive index in its user data): event 0 a left
    // double-click loads a file, event 4 a right click toggles the latch.
    static int OnDriveIconMouse(WindowInterface* control, int x, int y, int event);

    // --- the commands behind them, against the shell ---
    enum class Command { kLoadFromFile, kUnload, kLatch };
    static bool Refresh(ShellPartsInterface& shell, Command command, MenuItem* entry);
    static bool Execute(ShellPartsInterface& shell, Command command, MenuItem* entry);
    // Lets the user choose a file for drive index and puts it in (emulation held in
    // break meanwhile). False when nothing went in.
    static bool LoadFromFile(ShellPartsInterface& shell, i32 index);
    static bool ToggleLatch(ShellPartsInterface& shell, DriveImage* drive);
    // Puts path in place of the drive's image. When the new image does not open, the
    // old one is put back (with its latch), so a failed replacement loses nothing.
    static bool ReplaceImage(DriveImage* drive, const PathString& path);
};
