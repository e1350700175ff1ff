#include <atomic>

#include "base/program_folders.h"
#include "base/system_utils.h"
#include "gui/cursor.h"
#include "gui/frame_window.h"
#include "gui/menu.h"
#include "gui/position_units.h"

FrameWindow::FrameWindow(int x, int y, int width, int height, int showState) : TimerHost(showState)
{
    HDC screen = GetDC(nullptr);
    const int dpiX = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    const int dpiY = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    SetScreenDpiOnce(dpiX, dpiY);
    WindowBase::SetPosition(x, y, width, height, kUnitPixels);
}

FrameWindow::~FrameWindow()
{
    StopTimers();
}

bool FrameWindow::Create(HINSTANCE newInstance)
{
    if (handle != nullptr)
        return newInstance == instance;
    instance = newInstance;
    return Create();
}

bool FrameWindow::RegisterFrameClass()
{
    // Distinct names for every frame class of the process (and of other
    // copies of the program): the process id and a running count.
    static std::atomic<int> counter{0};
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = iconId != 0 ? LoadIconW(instance, MAKEINTRESOURCEW(iconId & 0xFFFF)) : nullptr;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        BuildProgramFolders();
        className = ProgramName();
        StringW suffix;
        suffix.Format("_%d_%d", static_cast<int>(GetCurrentProcessId()), ++counter);
        className.Append(suffix);
        windowClass.lpszClassName = className.CStr();
        if (RegisterClassExW(&windowClass) != 0)
            return true;
        className.Clear();
    }
    return false;
}

bool FrameWindow::Create()
{
    if (IsCreated())
        return true;
    if (instance == nullptr)
        return false;
    if (firstCreate != 0) {
        firstCreate = 0;
        if (!OnCreate())
            return false;
    }
    if (!RegisterFrameClass())
        return false;

    int x = 0, y = 0, w = 0, h = 0;
    GetBounds(&x, &y, &w, &h);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const int dx = sw - GetSystemMetrics(SM_CXMAXIMIZED), dy = sh - GetSystemMetrics(SM_CYMAXIMIZED);
    int minX = 0, minY = 0;
    // A task bar beside or above the work area keeps the window off it.
    if (dx > 0) {
        minX = dx + (dx >> 1);
        sw -= 3 * dx;
    }
    if (dy > 0) {
        minY = dy + (dy >> 1);
        sh -= 3 * dy;
    }
    w = std::min(w, sw);
    h = std::min(h, sh);
    ResizeTo(w, h);
    const int cx = std::max(minX, sw / 2 - w / 2), cy = std::max(minY, sh / 2 - h / 2);
    DWORD style = WS_OVERLAPPEDWINDOW;
    switch (showState) {
    case 0:
        x = y = CW_USEDEFAULT;
        showState = 1;
        break;
    case 2:
        MoveTo(x = cx, y = cy);
        showState = 1;
        break;
    case 3:
        MoveTo(x = cx, y = cy);
        style |= WS_MAXIMIZE;
        break;
    case 4:
        MoveTo(x = cx, y = cy);
        style |= WS_MINIMIZE;
        break;
    default:
        break;
    }
    MenuBar* menu = GetMenu();
    HMENU nativeMenu = menu != nullptr ? static_cast<HMENU>(menu->GetHandle()) : nullptr;
    handle = CreateWindowExW(0, className.CStr(), title_.CStr(), style, x, y, w, h, nullptr, nativeMenu, instance,
                             nullptr);
    if (handle == nullptr) {
        Destroy();
        return false;
    }
    if (menu != nullptr)
        menu->SetWindow(handle);
    SyncFromNative(true, true, true);
    if (!TopLevelWindow::CreateStep())
        return false;
    return StartTimers(true);
}

void FrameWindow::StopTimers()
{
    if (windowTimer != 0 && handle != nullptr)
        KillTimer(handle, windowTimer);
    if (timerQueue != nullptr) {
        // Both wait for a callback that is running, so nothing is posted
        // to this window afterwards.
        if (queueTimer != nullptr)
            DeleteTimerQueueTimer(timerQueue, queueTimer, INVALID_HANDLE_VALUE);
        DeleteTimerQueueEx(timerQueue, INVALID_HANDLE_VALUE);
    }
    windowTimer = 0;
    timerQueue = nullptr;
    queueTimer = nullptr;
}

void FrameWindow::Destroy()
{
    const bool hadWindow = handle != nullptr;
    StopTimers();
    DetachMenu();
    DestroyStep();
    // Only a frame that had a native window ends the loop (a failed creation
    // destroys the object too).
    if (hadWindow)
        PostQuitMessage(0);
}

void FrameWindow::Show(bool show)
{
    if (IsVisible(false) == show)
        return;
    WindowNode::Show(show);
    if (!IsCreated() || handle == nullptr)
        return;
    if (!show) {
        ShowWindow(handle, SW_HIDE);
        return;
    }
    switch (showState) {
    case 3:
        ShowWindow(handle, SW_MAXIMIZE);
        showState = 1;
        break;
    case 4:
        ShowWindow(handle, SW_SHOWMINIMIZED);
        showState = 1;
        break;
    case 0:
    case 1:
    case 2:
        ShowWindow(handle, SW_SHOW);
        break;
    default:
        break;
    }
    UpdateWindow(handle);
}

bool FrameWindow::StartTimers(bool restart)
{
    if (timers.IsEmpty())
        return true;
    if (restart)
        TimerHost::StartTimers(true);
    if (handle == nullptr)
        return false;
    if (windowTimer == 0)
        windowTimer = SetTimer(handle, 1, 1, TimerProc);
    if (timerQueue == nullptr)
        timerQueue = CreateTimerQueue();
    if (timerQueue != nullptr && queueTimer == nullptr)
        if (!CreateTimerQueueTimer(&queueTimer, timerQueue, TimerQueueCallback, &handle, 1, 1, 0))
            queueTimer = nullptr;
    return windowTimer != 0 || queueTimer != nullptr;
}

void CALLBACK FrameWindow::TimerQueueCallback(void* handleField, BOOLEAN)
{
    HWND window = *static_cast<HWND volatile*>(handleField);
    if (window != nullptr)
        PostMessageW(window, WM_TIMER, 0, reinterpret_cast<LPARAM>(TimerProc));
}

void CALLBACK FrameWindow::TimerProc(HWND window, UINT, UINT_PTR, DWORD)
{
    if (auto* frame = dynamic_cast<FrameWindow*>(FromHandle(window)))
        frame->RunTimers();
}

OptionalColor FrameWindow::GetSysColor(int index)
{
    static const int kIndexes[] = {COLOR_BTNTEXT, COLOR_GRAYTEXT, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
    if (index < 0 || index > 3)
        return OptionalColor::Of(0xFF000000);
    return OptionalColor::Of(ColorRefToArgb(::GetSysColor(kIndexes[index])));
}

OptionalColor FrameWindow::GetSystemColor(WindowInterface*, int index)
{
    return GetSysColor(index);
}

LRESULT FrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        if (!IsCursorVisible())
            return -1;
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            // Give the cursor back to the other window whatever hid it here.
            int count = ShowCursor(TRUE);
            if (count > 0)
                ShowCursor(FALSE);
            while (count < 0)
                count = ShowCursor(TRUE);
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU)
            return 0;
        break;
    case WM_MENUCOMMAND: {
        MENUINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = MIM_MENUDATA;
        if (GetMenuInfo(reinterpret_cast<HMENU>(lParam), &info) && info.dwMenuData != 0) {
            auto* menu = reinterpret_cast<MenuItem*>(info.dwMenuData);
            const int position = GetOsPlatform() == 1 ? HIWORD(wParam) : static_cast<int>(wParam);
            menu->DispatchCommand(position);
        }
        break;
    }
    case WM_SETCURSOR:
    case WM_DRAWITEM: {
        LRESULT result = 0;
        if (HandleChildMessage(message, wParam, lParam, &result))
            return result;
        break;
    }
    default:
        break;
    }
    return WindowBase::HandleMessage(message, wParam, lParam);
}
