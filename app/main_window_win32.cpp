#include <windows.h>

#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "app/menu_commands.h"
#include "core/emu_core.h"
#include "gui/builtin_icons.h"
#include "gui/button.h"
#include "gui/canvas.h"
#include "gui/cursor.h"
#include "gui/panel.h"

namespace {

// The toolbar's run buttons: bounds in millimetres, text, click callback, picture.
Button* MakeRunButton(Panel* toolbar, const wchar_t* text, ButtonClickFn onClick, ImageBase* (*icon)(),
                      MainWindow* owner, bool enabled)
{
    auto* button = new Button(ControlBounds{8, 0, 16, 0}, StringW(text), 0, 15, true, 1);
    if (!enabled)
        button->SetEnabled(false);
    if (!toolbar->AddChild(button)) {
        delete button;
        return nullptr;
    }
    button->onClick = onClick;
    button->OwnerData() = owner;
    button->SetHotTrack(true);
    button->SetFocusable(false);
    button->SetImage(icon());
    button->SetCursorVisible(true);
    return button;
}

Panel* MakeSpacer(Panel* toolbar)
{
    auto* spacer = new Panel(0, 0, 2, 0, 1, 3, true);
    if (!toolbar->AddChild(spacer)) {
        delete spacer;
        return nullptr;
    }
    spacer->SetBorderEdges(true, false, false, false);
    return spacer;
}

// The cursor display count back to exactly 0.
void ShowPointer()
{
    int count = ShowCursor(TRUE);
    if (count > 0)
        ShowCursor(FALSE);
    while (count < 0)
        count = ShowCursor(TRUE);
}

} // namespace

MainWindow::MainWindow(int x, int y, int width, int height, int extra)
    : FrameWindow(x, y, width, height, extra), manager(AddStandardOutputs)
{
    title.Format("KUV%s Emulator", manager.titleLabel.GetNarrow());
}

MainWindow::~MainWindow() = default;

MainMenuBar* MainWindow::GetMainMenu()
{
    return dynamic_cast<MainMenuBar*>(GetMenu());
}

bool MainWindow::OnCreate()
{
    manager.LoadSettings();
    showState = manager.maximizeOnStartup ? 3 : 2;
    if (!SetPosition(0, 0, 800, 600, 0))
        return false;
    SetSizeLimits(520, 390, 0, 2048);
    SetTitle(StringW(title));
    KeyCallback() = &MainWindow::OnScreenKey;
    firstDrawPending = true;

    toolbar = new Panel(ControlBounds{0, 0, 0, 72}, 3, 3, manager.showToolbar, 2);
    if (!AddChild(toolbar)) {
        delete toolbar;
        toolbar = nullptr;
        return false;
    }
    startButton = MakeRunButton(toolbar, L"Start", &MainWindow::OnToolbarStart, &LoadStartIcon, this, true);
    startSpacer = startButton ? MakeSpacer(toolbar) : nullptr;
    if (!startSpacer)
        return false;
    pauseButton = MakeRunButton(toolbar, L"Pause", &MainWindow::OnToolbarPause, &LoadPauseIcon, this, false);
    Panel* pauseSpacer = pauseButton ? MakeSpacer(toolbar) : nullptr;
    if (!pauseSpacer)
        return false;
    pauseButton->SetHideGroup(4);
    pauseSpacer->SetHideGroup(4);
    stopButton = MakeRunButton(toolbar, L"Stop", &MainWindow::OnToolbarStop, &LoadStopIcon, this, false);
    stopSpacer = stopButton ? MakeSpacer(toolbar) : nullptr;
    if (!stopSpacer)
        return false;
    statusPanel = new Panel(0, 0, 400, 0, 15, 0, true);
    if (!toolbar->AddChild(statusPanel)) {
        delete statusPanel;
        statusPanel = nullptr;
        return false;
    }
    statusPanel->SetCursorVisible(true);
    // The drive icons live in the status area: a narrow window clips its empty end, never
    // the icons, and a wide one keeps them beside the run buttons.
    drivePanel = new Panel(0, 0, 0, 0, kAlignFill, 0, true);
    if (!statusPanel->AddChild(drivePanel)) {
        delete drivePanel;
        drivePanel = nullptr;
        return false;
    }

    screen = new Canvas(0, 0, 0, 0, 6, true);
    if (!AddChild(screen)) {
        delete screen;
        screen = nullptr;
        return false;
    }
    screen->onPaint = &MainWindow::OnScreenPaint;
    screen->DoubleBuffered() = false;
    screen->MouseCallback() = &MainWindow::OnScreenMouse;

    if (!core) {
        core = manager.CreateCore(-1);
        if (core)
            coreMachineIndex = core->GetCoreIndex();
    }
    MainMenuBar* menu = GetMainMenu();
    if (!menu || !menu->Build())
        return false;
    uiTick = UiTick();
    lastDisplayResult = false;
    AddTimer(2, &MainWindow::OnUiTimer, nullptr);
    return true;
}

bool MainWindow::Create()
{
    if (!FrameWindow::Create())
        return false;
    if (core) {
        HandOwnerWindow(*this, core->GetSoundOutput());
        if (!core->IsStarted() && manager.autoStartEmulation)
            core->Start(false, false);
        Refresh(true);
        SyncToolbarWithMenu();
    }
    return true;
}

void MainWindow::Show(bool show)
{
    FrameWindow::Show(show);
}

void* MainWindow::GetOwnerWindow()
{
    return GetHandle();
}

void MainWindow::UpdateCaption()
{
    StringW status;
    if (core)
        core->GetStatusText(status);
    StringW caption(title);
    if (!status.IsEmpty()) {
        const bool captured = screen && screen->GetHandle() && GetCapture() == screen->GetHandle();
        StringA tail;
        tail.Format(" - %s%s", status.GetNarrow(),
                    captured ? "   [press middle button or \"Win\" key to release mouse]" : "");
        caption.Append(tail);
    }
    if (GetTitle().Compare(caption) != 0)
        SetTitle(caption);
}

void MainWindow::ReleaseMouse(bool resetMode)
{
    if (resetMode) {
        mouseCaptured = false;
        SetScreenCursor(0);
    }
    HWND captor = GetCapture();
    if (captor && (captor == GetHandle() || (screen && captor == screen->GetHandle()))) {
        ReleaseCapture();
        ClipCursor(nullptr);
    }
    ShowPointer();
}

void MainWindow::Refresh(bool force)
{
    if (!core)
        return;
    // Both flags are taken, whichever is set.
    const bool drivesChanged = core->TakeDrivesChanged();
    if (!force && !core->TakeStatusChanged() && !drivesChanged)
        return;
    if (mouseCaptured && !core->IsStarted())
        ReleaseMouse(true);
    // A start, a stop, a loaded state or a console MOUNT changes what the drive icons show.
    RefreshAllIndicators();
    UpdateAllEntries();
}

void MainWindow::SyncToolbarWithMenu()
{
    MainMenuBar* menu = GetMainMenu();
    if (!menu || !menu->startItem || !startButton)
        return;
    startButton->SetEnabled(menu->startItem->enabled != 0);
    pauseButton->SetEnabled(menu->pauseItem->enabled != 0);
    pauseButton->SetChecked(menu->pauseItem->checked != 0);
    stopButton->SetEnabled(menu->stopItem->enabled != 0);
}

void MainWindow::UpdateAllEntries()
{
    if (MainMenuBar* menu = GetMainMenu())
        menu->UpdateAll();
}

void MainWindow::DisableRunButton(RunButton button)
{
    Button* target = button == RunButton::kStart ? startButton : button == RunButton::kPause ? pauseButton : stopButton;
    if (target)
        target->SetEnabled(false);
}

void MainWindow::ShowToolbar(bool show)
{
    if (toolbar)
        toolbar->Show(show);
}

void MainWindow::SetScreenCursor(i32 kind)
{
    if (screen)
        screen->GetCursor()->SetKind(kind);
}

void MainWindow::RedrawScreen()
{
    if (screen)
        screen->Redraw(0, 0, -1, -1);
}

void MainWindow::CloseWindow()
{
    if (GetHandle())
        SendMessageW(static_cast<HWND>(GetHandle()), WM_CLOSE, 0, 0);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE && !closeGuard.AllowClose())
        return 0;
    return FrameWindow::HandleMessage(message, wParam, lParam);
}

void MainWindow::Destroy()
{
    // What could not be saved is kept for the box the program shows once the window is
    // gone (EmulatorApp::Run): its console cannot be read any more.
    StringW failures;
    if (core) {
        // The worker writes the machine's settings as it ends.
        core->Shutdown();
        if (!core->IsWorkerGivenUp())
            failures = core->GetSettingsSaveFailure();
        manager.RemoveCore(core);
        core = nullptr;
    }
    StringW failure;
    if (!manager.SaveSettings(&failure) && !failure.IsEmpty()) {
        if (!failures.IsEmpty())
            failures.Append("\n");
        failures.Append(failure);
    }
    if (!failures.IsEmpty())
        exitSaveFailure = SettingsNotSavedText(failures);
    FrameWindow::Destroy();
}
