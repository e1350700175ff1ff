// DrivePanel: the toolbar's drive panel (Windows). Per kind of drive a caption and one
// icon per drive; each icon is linked to its drive (the drive's indicator) once it was
// added, and answers the mouse through DriveMenu::OnDriveIconMouse.
#pragma once

#include "app/drive_menu.h"

class Panel;

class DrivePanel : public DrivePanelInterface {
public:
    explicit DrivePanel(Panel* panel) : panel_(panel) {}

    void Clear() override;
    void AddGroupHead(const char* caption) override;
    void AddIcon(i32 kind, i32 position, i32 driveIndex, DriveImage* drive, bool running) override;
    void AddGroupTail() override;

    // The icon linked to drive shows its state; with tooltip also the image's path.
    static void RefreshIcon(DriveImage* drive, bool running, bool tooltip);

private:
    Panel* panel_;
};
