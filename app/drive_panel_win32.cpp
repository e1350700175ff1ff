#include "app/drive_panel.h"

#include "app/drive_icon.h"
#include "emu/drive_image.h"
#include "gui/builtin_icons.h"
#include "gui/cursor.h"
#include "gui/panel.h"
#include "gui/picture_control.h"
#include "gui/text_label.h"

namespace {

// Adds control to the panel with its hide group; a refused control is deleted.
template <typename T>
T* Add(Panel* panel, T* control, int hideGroup = 0)
{
    if (hideGroup)
        control->SetHideGroup(hideGroup);
    if (panel->AddChild(control))
        return control;
    delete control;
    return nullptr;
}

Panel* AddSpacer(Panel* panel, int width, int hideGroup)
{
    Panel* spacer = Add(panel, new Panel(0, 0, width, 0, kAlignLeft, 0, true), hideGroup);
    if (spacer)
        spacer->SetCursorVisible(true);
    return spacer;
}

ImageBase* LoadIcon(i32 kind, unsigned index)
{
    switch (kind) {
    case kDriveFloppy: return LoadFloppyDriveIcon(index);
    case kDriveHardDisk: return LoadHardDriveIcon(index);
    default: return LoadCartridgeIcon(index);
    }
}

StringW TooltipOf(const DriveImage* drive)
{
    return drive->HasFile() ? StringW(drive->GetPath()) : StringW();
}

} // namespace

void DrivePanel::Clear()
{
    panel_->DeleteAllChildren();
}

void DrivePanel::AddGroupHead(const char* caption)
{
    AddSpacer(panel_, 12, 0);
    auto* label = new TextLabel(0, 0, 42, 0, StringW(caption), kAlignLeft, true);
    label->SetTextAlign(1);
    label->LabelFont().SetKindSizeColor(1, 10, OptionalColor::Of(0xFF000000));
    label->LabelFont().SetBoldItalic(true, false);
    Add(panel_, label, 1);
}

void DrivePanel::AddIcon(i32 kind, i32 position, i32 driveIndex, DriveImage* drive, bool running)
{
    // The icons stand in pairs.
    if (position > 0)
        AddSpacer(panel_, position % 2 ? 2 : 10, 3);
    auto* icon = new PictureControl(ControlBounds{0, 0, 9, 0}, nullptr, kAlignLeftFit, true, kUnitMillimetres);
    for (unsigned i = 0;; ++i) {
        ImageBase* image = LoadIcon(kind, i);
        if (!image)
            break;
        icon->AddImage(image);
    }
    icon->SetCurrentIndex(drive ? DriveIconIndex(*drive, running) : 3);
    icon->UserData() = reinterpret_cast<void*>(static_cast<intptr_t>(driveIndex));
    icon->MouseCallback() = &DriveMenu::OnDriveIconMouse;
    if (drive)
        icon->SetTooltip(TooltipOf(drive));
    if (!Add(panel_, icon, position > 0 ? 3 : 0))
        return;
    icon->GetCursor()->SetKind(2);
    // Linked only once the panel holds it, so a drive never points at a deleted icon.
    if (drive) {
        drive->SetIndicator(static_cast<PictureControl*>(icon));
        drive->SetIndicatorState(driveIndex);
    }
}

void DrivePanel::AddGroupTail()
{
    AddSpacer(panel_, 12, 4);
    if (Panel* rule = Add(panel_, new Panel(0, 0, 2, 0, kAlignLeft, 3, true), 4))
        rule->SetBorderEdges(true, false, false, false);
}

void DrivePanel::RefreshIcon(DriveImage* drive, bool running, bool tooltip)
{
    auto* icon = drive ? static_cast<PictureControl*>(drive->GetIndicator()) : nullptr;
    if (!icon)
        return;
    const int index = DriveIconIndex(*drive, running);
    if (icon->GetCurrentIndex() != index) {
        icon->SetCurrentIndex(index);
        icon->Invalidate();
    }
    if (tooltip)
        icon->SetTooltip(TooltipOf(drive));
}
