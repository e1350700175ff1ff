// MainWindow: the emulator's frame window (Windows only).
//
// It owns the emulator manager and shows the current emulation core: a toolbar (Start,
// Pause, Stop, status area), the emulation screen (a canvas the core's renderer draws
// into) and the menu bar (MainMenuBar). Every user command travels as a menu command;
// the toolbar buttons and F11/F12 dispatch the command of their menu entry.
//
//   main_window_win32.cpp         creation, caption, refresh, toolbar mirroring, shut-down
//   main_window_screen_win32.cpp  UI tick, screen painting, screen keys and mouse capture
//   main_window_parts_win32.cpp   option menus, drive menu and icons, questions, dialogs
//
// Life: constructed by EmulatorApp (manager and prototypes) -> OnCreate (settings,
// geometry, toolbar, screen, first core, menus, 2 ms UI tick) -> native window -> Create's
// post-create step (sound output's window, auto-start) -> Destroy when the native window
// goes (core deleted, settings saved, quit posted; what could not be saved is kept in
// exitSaveFailure for EmulatorApp to tell). A close that arrives while one of the
// window's modal dialogs runs is carried out once the dialog has returned, so that the
// handler that opened it never meets a deleted core.
#pragma once

#include "app/emu_manager.h"
#include "app/modal_close_guard.h"
#include "app/shell_parts.h"
#include "app/ui_tick.h"
#include "base/string_a.h"
#include "gui/frame_window.h"

class Button;
class ButtonInterface;
class Canvas;
class CanvasInterface;
class DrawContext;
class MainMenuBar;
class Panel;

class MainWindow : public FrameWindow, public ShellPartsInterface {
public:
    MainWindow(int x, int y, int width, int height, int extra);
    ~MainWindow() override;

    bool Create() override;
    void Destroy() override;
    void Show(bool show) override;
    bool OnCreate() override;
    // WM_CLOSE waits while a modal dialog of the window runs (closeGuard).
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void UpdateCaption();
    void Refresh(bool force);
    void SyncToolbarWithMenu() override;

    MainMenuBar* GetMainMenu();

    // --- ShellInterface ---
    EmuManager& GetManager() override { return manager; }
    EmuCore* GetCore() override { return core; }
    void* GetOwnerWindow() override;
    void UpdateAllEntries() override;
    void DisableRunButton(RunButton button) override;
    void ShowToolbar(bool show) override;
    void SetScreenCursor(i32 kind) override;
    void RedrawScreen() override;
    void CloseWindow() override;

    // --- ShellPartsInterface (main_window_parts_win32.cpp) ---
    EmuCore*& CoreSlot() override { return core; }
    i32& CoreMachineIndex() override { return coreMachineIndex; }
    void RemoveOptionEntries() override;
    bool AddCoreOptionMenus() override;
    void BuildDrivesMenu() override;
    void RefreshIndicator(DriveImage* drive, bool tooltip) override;
    void RefreshAfterIconChange() override;
    bool AskConfirmation(const StringW& message, i32 kind) override;
    void ShowError(const StringW& message) override;
    bool ChooseImageFile(DriveImage* drive, PathString* path) override;
    void RunAboutDialog() override;

    // One blink step of the drive icons (every icon refreshed with refreshAll).
    void BlinkDriveIndicators(bool refreshAll);
    // Every drive icon shows its drive's state and path.
    void RefreshAllIndicators();

    // --- callbacks (main_window_screen_win32.cpp) ---
    static bool OnUiTimer(WindowInterface* window, void* userContext, void* function, u64* count);
    static void OnScreenPaint(CanvasInterface* canvas, DrawContext* context);
    static int OnScreenKey(WindowInterface* window, int code, bool down);
    static int OnScreenMouse(WindowInterface* window, int x, int y, int kind);
    static void OnToolbarStart(ButtonInterface* button);
    static void OnToolbarPause(ButtonInterface* button);
    static void OnToolbarStop(ButtonInterface* button);

    StringA title;
    Panel* toolbar = nullptr;
    Button* startButton = nullptr;
    Button* pauseButton = nullptr;
    Button* stopButton = nullptr;
    Panel* startSpacer = nullptr;
    Panel* stopSpacer = nullptr;
    Panel* statusPanel = nullptr;
    Panel* drivePanel = nullptr;  // the drive icons, filling the status area
    UiTick uiTick;
    bool lastDisplayResult = false;
    Canvas* screen = nullptr;
    i32 coreMachineIndex = -1;
    bool firstDrawPending = false;
    EmuManager manager;
    EmuCore* core = nullptr;
    // Counts the modal dialogs the window runs; a close asked for meanwhile waits.
    ModalCloseGuard closeGuard;
    // Set by Destroy when settings files could not be written: which, where and why.
    StringW exitSaveFailure;

    // Gives the mouse back: capture released, pointer shown; with resetMode also the
    // capture mode disarmed and the screen's cursor back to the arrow.
    void ReleaseMouse(bool resetMode);

private:
    void UpdateDisplay(bool full);
};
