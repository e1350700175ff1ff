#include "app/drive_menu.h"

#include "app/break_hold.h"
#include "app/drive_icon.h"
#include "app/menu_item_entry.h"
#include "base/file_system.h"
#include "base/string_a.h"
#include "core/emu_core.h"
#include "emu/drive_bay.h"
#include "emu/drive_image.h"

namespace {

bool Running(EmuCore* core)
{
    return core && core->IsStarted();
}

// The drive submenu of one drive; false when an entry could not be added.
bool AddDriveSubmenu(PopupMenu* drives, const StringW& caption, i32 index)
{
    PopupMenu* popup = drives->AddPopup(caption, true);
    if (!popup)
        return false;
    popup->userValue = index;
    const struct {
        const char* text;
        MenuHandler handler;
    } entries[] = {{"Load From File", &DriveMenu::OnLoadFromFile}, {"Unload", &DriveMenu::OnUnload},
                   {nullptr, nullptr}, {"Latch", &DriveMenu::OnLatch}};
    for (const auto& [text, handler] : entries) {
        MenuItem* entry = text ? popup->AddItem(StringW(text), true) : popup->AddSeparator(false);
        if (!entry)
            return false;
        entry->userValue = index;
        entry->handler = handler;
    }
    return true;
}

StringW Caption(const char* name, i32 number)
{
    StringA text;
    text.Format("%s %ld", name, static_cast<long>(number));
    return StringW(text);
}

} // namespace

void DriveMenu::Build(EmuCore* core, PopupMenu* drivesMenu, DrivePanelInterface* panel)
{
    if (!drivesMenu)
        return;
    i32 floppies = 0, hardDisks = 0, cartridges = 0;
    const i32 total = core ? core->GetDriveCounts(&floppies, &hardDisks, &cartridges) : 0;
    // The panel's controls go now: no drive may keep pointing at one.
    for (i32 i = 0; i < total; ++i) {
        if (DriveImage* drive = core->GetDrive(i))
            drive->SetIndicator(nullptr);
    }
    drivesMenu->Clear();
    if (panel)
        panel->Clear();
    if (!core)
        return;
    const bool running = Running(core);
    auto fail = [drivesMenu] { drivesMenu->Clear(); };

    if (cartridges > 0) {
        if (panel)
            panel->AddGroupHead("ROM:");
        for (i32 i = 0; i < cartridges; ++i) {
            const i32 index = floppies + hardDisks + i;
            if (panel)
                panel->AddIcon(kDriveCartridge, i, index, core->GetDrive(index), running);
            if (!AddDriveSubmenu(drivesMenu, Caption(DriveBay::kKindCaptions[DriveBay::kCartridge], i + 1), index))
                return fail();
        }
        if (total != cartridges && !drivesMenu->AddSeparator(false))
            return fail();
        if (panel)
            panel->AddGroupTail();
    }
    if (floppies > 0) {
        if (panel)
            panel->AddGroupHead("FDD:");
        for (i32 i = 0; i < floppies; ++i) {
            if (panel)
                panel->AddIcon(kDriveFloppy, i, i, core->GetDrive(i), running);
            // Without hard drives the third and later floppy drives stand below a line.
            if (i == 2 && hardDisks == 0 && !drivesMenu->AddSeparator(false))
                return fail();
            if (!AddDriveSubmenu(drivesMenu, Caption(DriveBay::kKindCaptions[DriveBay::kFloppy], i + 1), i))
                return fail();
        }
        if (hardDisks > 0 && !drivesMenu->AddSeparator(false))
            return fail();
        if (panel)
            panel->AddGroupTail();
    }
    if (hardDisks > 0) {
        if (panel)
            panel->AddGroupHead("HDD:");
        for (i32 i = 0; i < hardDisks; ++i) {
            const i32 index = floppies + i;
            if (panel)
                panel->AddIcon(kDriveHardDisk, i, index, core->GetDrive(index), running);
            if (!AddDriveSubmenu(drivesMenu, Caption(DriveBay::kKindCaptions[DriveBay::kHardDisk], i + 1), index))
                return fail();
        }
        if (panel)
            panel->AddGroupTail();
    }
}

void DriveMenu::BlinkIndicators(ShellPartsInterface& shell, bool refreshAll)
{
    EmuCore* core = shell.GetCore();
    if (!core)
        return;
    const i32 total = core->GetDriveCounts(nullptr, nullptr, nullptr);
    for (i32 i = 0; i < total; ++i) {
        DriveImage* drive = core->GetDrive(i);
        if (!drive)
            continue;
        const i32 phase = drive->GetIndicatorState();
        bool changed = false;
        if (drive->WasRead() || drive->WasAccessed()) {
            drive->ClearAccessFlags();
            drive->SetIndicatorState(phase < 0 ? phase + 1000 : phase - 1000);
            changed = true;
        } else if (phase < 0) {
            drive->SetIndicatorState(phase + 1000);
            changed = true;
        }
        if (changed || refreshAll)
            shell.RefreshIndicator(drive, false);
    }
}

bool DriveMenu::Refresh(ShellPartsInterface& shell, Command command, MenuItem* entry)
{
    EmuCore* core = shell.GetCore();
    DriveImage* drive = core ? core->GetDrive(entry->userValue) : nullptr;
    switch (command) {
    case Command::kLoadFromFile:
        SetEntryState(entry, drive != nullptr, entry->checked != 0);
        break;
    case Command::kUnload:
        SetEntryState(entry, drive && drive->HasFile(), entry->checked != 0);
        break;
    case Command::kLatch:
        SetEntryState(entry, drive != nullptr, drive && drive->GetLatch());
        break;
    }
    return true;
}

bool DriveMenu::Execute(ShellPartsInterface& shell, Command command, MenuItem* entry)
{
    EmuCore* core = shell.GetCore();
    if (!core)
        return false;
    MenuItemEntry adapter(entry);
    if (adapter.IsEnabled())
        adapter.Disable();
    const i32 index = entry->userValue;
    if (command == Command::kLoadFromFile) {
        LoadFromFile(shell, index);
    } else if (DriveImage* drive = core->GetDrive(index)) {
        BreakHold hold(core);
        if (command == Command::kUnload) {
            drive->Eject();
            if (drive->GetLatch())
                drive->SetLatch(false);
        } else {
            drive->SetLatch(!drive->GetLatch());
        }
        hold.Release();
        shell.RefreshIndicator(drive, command == Command::kUnload);
    }
    entry->UpdateAll();
    return true;
}

bool DriveMenu::LoadFromFile(ShellPartsInterface& shell, i32 index)
{
    EmuCore* core = shell.GetCore();
    if (!core)
        return false;
    DriveImage* drive = core->GetDrive(index);
    PathString path;
    BreakHold hold(core);
    const bool chosen = shell.ChooseImageFile(drive, &path);
    if (!chosen || !drive || !FileReadable(path))
        return false;
    const bool inserted = ReplaceImage(drive, path);
    hold.Release();
    shell.RefreshIndicator(drive, true);
    return inserted;
}

bool DriveMenu::ReplaceImage(DriveImage* drive, const PathString& path)
{
    const bool hadImage = drive->HasFile();
    const PathString oldPath(drive->GetPath());
    const bool oldLatch = drive->GetLatch();
    drive->Eject();
    if (drive->InsertFile(path))
        return true;
    // The chosen folder stays the start of the next dialog.
    const PathString chosenFolder(drive->GetLastPath());
    if (hadImage && drive->InsertFile(oldPath) && !oldLatch)
        drive->SetLatch(false);
    if (drive->GetOwner())
        drive->GetOwner()->SetLastPath(chosenFolder);
    return false;
}

bool DriveMenu::ToggleLatch(ShellPartsInterface& shell, DriveImage* drive)
{
    if (!drive)
        return false;
    BreakHold hold(shell.GetCore());
    drive->SetLatch(!drive->GetLatch());
    return true;
}

bool DriveMenu::OnLoadFromFile(MenuItem* entry, int, int kind, void*)
{
    ShellPartsInterface* shell = ShellOf(entry);
    if (!shell)
        return false;
    if (kind == menu_event::kUpdate)
        return Refresh(*shell, Command::kLoadFromFile, entry);
    return kind == menu_event::kCommand && Execute(*shell, Command::kLoadFromFile, entry);
}

bool DriveMenu::OnUnload(MenuItem* entry, int, int kind, void*)
{
    ShellPartsInterface* shell = ShellOf(entry);
    if (!shell)
        return false;
    if (kind == menu_event::kUpdate)
        return Refresh(*shell, Command::kUnload, entry);
    return kind == menu_event::kCommand && Execute(*shell, Command::kUnload, entry);
}

bool DriveMenu::OnLatch(MenuItem* entry, int, int kind, void*)
{
    ShellPartsInterface* shell = ShellOf(entry);
    if (!shell)
        return false;
    if (kind == menu_event::kUpdate)
        return Refresh(*shell, Command::kLatch, entry);
    return kind == menu_event::kCommand && Execute(*shell, Command::kLatch, entry);
}

int DriveMenu::OnDriveIconMouse(WindowInterface* control, int, int, int event)
{
    TopLevelInterface* top = control ? control->GetTopLevel() : nullptr;
    auto* shell = top ? dynamic_cast<ShellPartsInterface*>(top) : nullptr;
    EmuCore* core = shell ? shell->GetCore() : nullptr;
    if (!core || (event != 0 && event != 4))
        return 0;
    const auto index = static_cast<i32>(reinterpret_cast<intptr_t>(control->UserData()));
    DriveImage* drive = core->GetDrive(index);
    if (!drive)
        return 0;
    if (event == 0)
        LoadFromFile(*shell, index);
    else
        ToggleLatch(*shell, drive);
    shell->RefreshAfterIconChange();
    return 1;
}
