// The emulation screen: the UI tick that presents the core's display at a throttled
// rate, the paint callback, the keys handed to the core and the captured mouse.
#include <windows.h>

#include "app/main_menu_bar.h"
#include "app/main_window.h"
#include "base/system_utils.h"
#include "core/emu_core.h"
#include "gui/button.h"
#include "gui/canvas.h"
#include "gui/cursor.h"
#include "gui/draw_context.h"
#include "video/display_surface.h"

namespace {

constexpr int kKeyF11 = 0x7A;
constexpr int kKeyF12 = 0x7B;

MainWindow* MainOf(WindowInterface* window)
{
    if (!window)
        return nullptr;
    if (auto* main = dynamic_cast<MainWindow*>(window))
        return main;
    return dynamic_cast<MainWindow*>(window->GetFrame());
}

// What the screen shows: nothing without a machine, the console while it is shown and
// has its surface, else the renderer. The GUI thread is the only one that changes these
// pointers, so it reads them without the core lock.
LockedDisplaySurface* DisplayToShow(EmuCore* core)
{
    if (!core || !core->GetMachine())
        return nullptr;
    if (core->IsConsoleMode() && core->GetConsoleSurface())
        return core->GetConsoleSurface();
    return core->GetRenderer();
}

HWND ScreenHandle(const MainWindow* main)
{
    return main->screen ? static_cast<HWND>(main->screen->GetHandle()) : nullptr;
}

// The pointer hidden: the display count below 0, and not further below than -1.
void HidePointer()
{
    int count = ShowCursor(FALSE);
    while (count >= 0)
        count = ShowCursor(FALSE);
    if (count < -1)
        ShowCursor(TRUE);
}

// A toolbar button runs exactly its menu entry's command.
void DispatchRunCommand(ButtonInterface* button, MenuItem* MainMenuBar::*item)
{
    MainWindow* main = button ? MainOf(button) : nullptr;
    MainMenuBar* menu = main ? main->GetMainMenu() : nullptr;
    if (menu && menu->*item)
        (menu->*item)->DispatchCommand(-1);
}

} // namespace

bool MainWindow::OnUiTimer(WindowInterface* window, void*, void*, u64*)
{
    MainWindow* main = MainOf(window);
    if (!main)
        return true;
    const UiTick::Steps steps = main->uiTick.Next();
    if (steps.refresh) {
        main->Refresh(false);
        main->SyncToolbarWithMenu();
    }
    if (steps.blink)
        main->BlinkDriveIndicators(false);
    if (steps.caption)
        main->UpdateCaption();
    if (main->core && DisplayToShow(main->core) && main->uiTick.TakeDisplayTurn()) {
        u64 t0 = 0, t1 = 0, frequency = 0;
        PerfCounter(t0);
        main->UpdateDisplay(false);
        PerfCounter(t1);
        PerfFrequency(frequency);
        main->uiTick.DisplayUpdated(t1 - t0, frequency);
    }
    return true;
}

void MainWindow::UpdateDisplay(bool full)
{
    LockedDisplaySurface* display = DisplayToShow(core);
    if (!display)
        return;
    // A renderer with a window of its own over the screen would hide the console.
    if (LockedDisplaySurface* renderer = core->GetRenderer())
        renderer->ShowOutput(renderer == display);
    const WindowHandle window = ScreenHandle(this);
    display->SetWindow(&window);
    lastDisplayResult = core->UpdateDisplay(false, full);
}

void MainWindow::OnScreenPaint(CanvasInterface* canvasInterface, DrawContext* context)
{
    auto* canvas = dynamic_cast<Canvas*>(canvasInterface);
    MainWindow* main = canvas ? MainOf(canvas) : nullptr;
    if (!main || !canvas->GetHandle())
        return;
    int x = 0, y = 0, w = 0, h = 0;
    const bool haveRect = canvas->GetClientRect(&x, &y, &w, &h);
    auto paintBlack = [&] {
        if (!haveRect)
            return;
        context->GetBrush()->SetSolid(OptionalColor::Of(0xFF000000));
        context->FillRectangle(x, y, x + w - 1, y + h - 1);
    };
    if (!DisplayToShow(main->core)) {
        paintBlack();
        return;
    }
    if (main->firstDrawPending && haveRect) {
        paintBlack();
        main->firstDrawPending = false;
    }
    main->UpdateDisplay(true);
    main->SetCursorVisible(false);
}

int MainWindow::OnScreenKey(WindowInterface* window, int code, bool down)
{
    MainWindow* main = MainOf(window);
    if (!main || !main->core)
        return false;
    if (main->core->OnKey(code, down))
        return true;
    // Handed back: F11 and F12 without modifiers save and load the state.
    MainMenuBar* menu = main->GetMainMenu();
    if (menu && code == kKeyF11 && menu->saveStateItem)
        menu->saveStateItem->DispatchCommand(-1);
    else if (menu && code == kKeyF12 && menu->loadStateItem)
        menu->loadStateItem->DispatchCommand(-1);
    return true;
}

int MainWindow::OnScreenMouse(WindowInterface* window, int x, int y, int kind)
{
    MainWindow* main = MainOf(window);
    EmuCore* core = main ? main->core : nullptr;
    if (!core)
        return false;
    if (!core->IsStarted()) {
        if (main->mouseCaptured)
            main->ReleaseMouse(true);
        return false;
    }
    HWND screen = ScreenHandle(main);
    const bool captured = screen && GetCapture() == screen;
    if (!captured) {
        if (kind != 0 || !main->manager.captureMouseOnDblClick)
            return false;
        main->mouseCaptured = true;
        core->ReleaseInputs(false, true);
        SetCapture(screen);
        ClipCursor(nullptr);
        HidePointer();
        main->screen->RecenterCursor(&x, &y);
        return true;
    }
    if (kind == 7)
        return false;
    if (kind == 8 || kind == 9) {
        core->ReleaseInputs(false, true);
        main->ReleaseMouse(false);
        return true;
    }
    if (kind < 0 || kind > 6)
        return false;
    if (!main->screen->RecenterCursor(&x, &y))
        return false;
    const u16 dx = static_cast<u16>(x), dy = static_cast<u16>(y);
    switch (kind) {
    case 0: core->QueueInputEvent(dx, dy, 0); core->QueueInputEvent(dx, dy, 1); break;
    case 1: core->QueueInputEvent(dx, dy, 0); break;
    case 2: core->QueueInputEvent(dx, dy, 1); break;
    case 3: core->QueueInputEvent(dx, dy, 2); core->QueueInputEvent(dx, dy, 3); break;
    case 4: core->QueueInputEvent(dx, dy, 2); break;
    case 5: core->QueueInputEvent(dx, dy, 3); break;
    case 6:
        if (x != 0 || y != 0)
            core->QueueInputEvent(dx, dy, 4);
        break;
    }
    return true;
}

void MainWindow::OnToolbarStart(ButtonInterface* button)
{
    DispatchRunCommand(button, &MainMenuBar::startItem);
}

void MainWindow::OnToolbarPause(ButtonInterface* button)
{
    DispatchRunCommand(button, &MainMenuBar::pauseItem);
}

void MainWindow::OnToolbarStop(ButtonInterface* button)
{
    DispatchRunCommand(button, &MainMenuBar::stopItem);
}
