// FrameWindow: the application's main frame. Windows-only.
//
// It registers a window class of its own (named after the program, with two
// numbers), creates the overlapped window with its title, menu bar and icon,
// placed by its show state:
//   0 where Windows likes (then 1)  1 at the stored position
//   2 centred on the screen (then 1) 3 centred, maximised  4 centred, minimised
// It routes menu commands (WM_MENUCOMMAND, by position) into the menu
// objects, reflects owner-draw messages to its controls, keeps the cursor
// right, runs the GUI timers every millisecond from a window timer and a
// timer-queue timer, and when it is destroyed stops the timers (waiting for
// a running timer-queue callback) and posts the quit message that ends the
// message loop with exit code 0. Alt and F10 do not open the menu.
//
// The first frame window of the process sets the position units' screen
// resolution (ScreenDpiX/Y) once.
#pragma once

#include "gui/timer_host.h"
#include "gui/window.h"

class FrameWindow : public TimerHost, public TopLevelWindow {
public:
    FrameWindow(int x, int y, int width, int height, int showState);
    // Stops the timers like Destroy, but posts no quit message.
    ~FrameWindow() override;

    // Stores the instance and creates; with a native window already made,
    // whether the instance is the one it was made with.
    bool Create(HINSTANCE instance);
    bool Create() override;
    void Destroy() override;
    void Show(bool show) override;
    FrameInterface* GetFrame() override { return this; }
    HINSTANCE GetInstance() override { return instance; }
    bool StartTimers(bool restart) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // 0 button text, 1 grey text, 2 button highlight, 3 button shadow, as
    // ARGB; anything else black.
    OptionalColor GetSysColor(int index);
    OptionalColor GetSystemColor(WindowInterface* window, int index) override;

    void SetIconId(int id) { iconId = id; }
    const StringW& ClassName() const { return className; }

protected:
    HINSTANCE instance = nullptr;
    u32 iconId = 0;
    StringW className;
    UINT_PTR windowTimer = 0;
    HANDLE timerQueue = nullptr;
    HANDLE queueTimer = nullptr;
    u8 firstCreate = 1;

private:
    bool RegisterFrameClass();
    void StopTimers();
    static void CALLBACK TimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
    static void CALLBACK TimerQueueCallback(void* handleField, BOOLEAN fired);
};
