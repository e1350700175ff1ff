// The main window's side of the Computer menu's option entries, the Drives menu and its
// icons, the state commands' question and the About box.
#include <windows.h>

#include "app/about_box.h"
#include "app/drive_menu.h"
#include "app/drive_panel.h"
#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "app/option_menus.h"
#include "base/program_folders.h"
#include "base/string_a.h"
#include "core/emu_core.h"
#include "emu/drive_image.h"
#include "gui/file_dialog.h"
#include "gui/message_box.h"
#include "gui/panel.h"

namespace {

MainWindow* MainOf(MenuItem* entry)
{
    TopLevelInterface* top = entry ? entry->GetTopLevelWindow() : nullptr;
    return top ? dynamic_cast<MainWindow*>(top) : nullptr;
}

// Brackets a modal dialog of the main window: a close that arrived meanwhile is posted
// once the last dialog has returned, so the dialog's handler finishes first.
class DialogScope {
public:
    explicit DialogScope(MainWindow& main) : main_(main) { main_.closeGuard.Enter(); }
    ~DialogScope()
    {
        if (main_.closeGuard.Leave() && main_.GetHandle())
            PostMessageW(static_cast<HWND>(main_.GetHandle()), WM_CLOSE, 0, 0);
    }
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;

private:
    MainWindow& main_;
};

} // namespace

// --- menu bar ---

bool MainMenuBar::AddCoreOptionMenus()
{
    MainWindow* main = dynamic_cast<MainWindow*>(GetTopLevelWindow());
    if (!main)
        return false;
    OptionMenuTargets targets;
    targets.computer = computerMenu;
    targets.input = inputMenu;
    targets.debug = debugMenu;
    targets.video = videoMenu;
    targets.sound = soundMenu;
    targets.settings = settingsMenu;
    return ::AddCoreOptionMenus(main->core, targets, &CmdOptionItem);
}

void MainMenuBar::BuildDrivesMenu()
{
    MainWindow* main = dynamic_cast<MainWindow*>(GetTopLevelWindow());
    if (!main || !drivesMenu)
        return;
    if (main->drivePanel) {
        DrivePanel panel(main->drivePanel);
        DriveMenu::Build(main->core, drivesMenu, &panel);
    } else {
        DriveMenu::Build(main->core, drivesMenu, nullptr);
    }
}

bool MainMenuBar::CmdOptionItem(MenuItem* entry, int index, int kind, void*)
{
    MainWindow* main = MainOf(entry);
    return main && OptionEntryEvent(entry, index, kind, main->core != nullptr);
}

// --- main window ---

void MainWindow::RemoveOptionEntries()
{
    if (MainMenuBar* menu = GetMainMenu())
        menu->RemoveOptionEntries();
}

bool MainWindow::AddCoreOptionMenus()
{
    MainMenuBar* menu = GetMainMenu();
    return menu && menu->AddCoreOptionMenus();
}

void MainWindow::BuildDrivesMenu()
{
    if (MainMenuBar* menu = GetMainMenu())
        menu->BuildDrivesMenu();
    if (drivePanel)
        drivePanel->LayoutChildren();
}

void MainWindow::RefreshIndicator(DriveImage* drive, bool tooltip)
{
    DrivePanel::RefreshIcon(drive, core && core->IsStarted(), tooltip);
}

void MainWindow::RefreshAllIndicators()
{
    const i32 total = core ? core->GetDriveCounts(nullptr, nullptr, nullptr) : 0;
    for (i32 i = 0; i < total; ++i)
        RefreshIndicator(core->GetDrive(i), true);
}

void MainWindow::BlinkDriveIndicators(bool refreshAll)
{
    DriveMenu::BlinkIndicators(*this, refreshAll);
}

void MainWindow::RefreshAfterIconChange()
{
    BlinkDriveIndicators(true);
    Refresh(true);
}

bool MainWindow::AskConfirmation(const StringW& message, i32 kind)
{
    DialogScope scope(*this);
    MessageBox box;
    box.SetKind(kind);
    return box.AskWith(this, message, StringW("Confirmation")) && box.GetResult() == 1;
}

void MainWindow::ShowError(const StringW& message)
{
    DialogScope scope(*this);
    MessageBox box;
    box.SetKind(kMessageBoxError);
    box.AskWith(this, message, StringW("Error"));
}

bool MainWindow::ChooseImageFile(DriveImage* drive, PathString* path)
{
    DialogScope scope(*this);
    FileDialogBox dialog;
    PathString start;
    if (drive) {
        for (i32 i = 0; i < drive->GetFileTypeCount(); ++i) {
            PathString extension;
            StringA description;
            if (drive->GetFileType(i, extension, description))
                dialog.AddFileType(extension, StringW(description));
        }
        dialog.AddFileType(StringW("*"), StringW("All Files"));
        start = drive->GetLastPath();
    } else {
        start = ProgramFolder();
    }
    const bool chosen = dialog.DoModal(this, start) && dialog.GetResult() == 1;
    if (chosen)
        *path = dialog.GetPath();
    dialog.Destroy();
    return chosen;
}

void MainWindow::RunAboutDialog()
{
    DialogScope scope(*this);
    RunAboutDialogBox(this, StringW(title));
}
