#include <windowsx.h>

#include "gui/cursor.h"
#include "gui/draw_context.h"
#include "gui/frame_window.h"
#include "gui/key_translation.h"
#include "gui/window_base.h"

WindowBase::~WindowBase()
{
    if (handle != nullptr && GetWindowLongPtrW(handle, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
        // The object goes before its native window: nothing may reach it any more.
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        if (previousProc != nullptr && previousProc != DefWindowProcW)
            SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
    }
    delete cursor;
}

WindowBase* WindowBase::FromHandle(HWND window)
{
    if (window == nullptr)
        return nullptr;
    auto* object = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return object != nullptr && object->handle == window ? object : nullptr;
}

LRESULT CALLBACK WindowBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (WindowBase* object = FromHandle(window))
        return object->HandleMessage(message, wParam, lParam);
    return CallWindowProcW(DefWindowProcW, window, message, wParam, lParam);
}

bool WindowBase::Create()
{
    if (IsCreated())
        return true;
    if (handle != nullptr) {
        SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        if (GetWindowLongPtrW(handle, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
            if (previousProc == nullptr) {
                auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(handle, GWLP_WNDPROC));
                if (proc == WindowProc)
                    previousProc = DefWindowProcW;
                else
                    previousProc = reinterpret_cast<WNDPROC>(
                        SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
            }
            detached = 0;
            return WindowNode::Create();
        }
    }
    Destroy();
    return false;
}

void WindowBase::Destroy()
{
    if (handle != nullptr) {
        if (destroying == 0) {
            // WM_DESTROY comes back here with `destroying` set and finishes.
            DestroyWindow(handle);
            if (handle == nullptr)
                return;
            // A window already gone (or owned by another thread) never sends it.
            destroying = 1;
        }
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        // A subclassed native control gets its own procedure back for the
        // messages that follow (WM_NCDESTROY frees its data).
        if (previousProc != nullptr && previousProc != DefWindowProcW &&
            GetWindowLongPtrW(handle, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(WindowProc))
            SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
        handle = nullptr;
    }
    destroying = 0;
    previousProc = nullptr;
    delete cursor;
    cursor = nullptr;
    WindowNode::Destroy();
    detached = 1;
}

bool WindowBase::SyncFromNative(bool position, bool size, bool visibility)
{
    if (handle == nullptr || !IsWindow(handle) || (!position && !size && !visibility))
        return false;
    int x = 0, y = 0, w = 0, h = 0;
    GetBounds(&x, &y, &w, &h);
    RECT r;
    if ((position || size) && GetWindowRect(handle, &r)) {
        x = r.left;
        y = r.top;
        w = r.right - r.left;
        h = r.bottom - r.top;
    }
    const bool visible = visibility ? (GetWindowLongW(handle, GWL_STYLE) & WS_VISIBLE) != 0 : IsVisible(false);
    return SetBounds(x, y, w, h, visible);
}

DrawContext* WindowBase::GetDrawContext(int* x, int* y)
{
    if (DrawContext* context = OwnDrawContext())
        return context;  // bound to the native window when it was created
    return WindowNode::GetDrawContext(x, y);
}

void WindowBase::Redraw(int, int, int, int)
{
    if (handle != nullptr)
        RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool WindowBase::Close()
{
    if (handle == nullptr)
        return false;
    SendMessageW(handle, WM_CLOSE, 0, 0);
    return true;
}

bool WindowBase::GetClientRect(int* x, int* y, int* width, int* height)
{
    if (handle == nullptr) {
        if (!IsWindowless())
            return false;
        GetBounds(x, y, width, height);
        *x = 0;
        *y = 0;
        return true;
    }
    RECT r;
    if (!::GetClientRect(handle, &r))
        return false;
    *x = r.left;
    *y = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return true;
}

WindowBase::Bounds WindowBase::NodeBounds()
{
    Bounds bounds;
    GetBounds(&bounds.x, &bounds.y, &bounds.width, &bounds.height);
    return bounds;
}

WindowBase::Bounds WindowBase::SetNodePosition(int x, int y, int width, int height, int unit)
{
    bool moved = false, resized = false;
    StorePosition(x, y, width, height, unit, &moved, &resized);
    return NodeBounds();
}

void WindowBase::NotifyPositionChange(const Bounds& before, const Bounds& now)
{
    if (now.x != before.x || now.y != before.y)
        OnMoved();
    if (now.width != before.width || now.height != before.height)
        OnResized();
}

bool WindowBase::SetPosition(int x, int y, int width, int height, int unit)
{
    const Bounds before = NodeBounds();
    Bounds now = SetNodePosition(x, y, width, height, unit);
    RECT r;
    if (handle != nullptr && GetWindowRect(handle, &r)) {
        if (r.left != now.x || r.top != now.y || r.right - r.left != now.width || r.bottom - r.top != now.height) {
            moving = 1;
            MoveWindow(handle, now.x, now.y, now.width, now.height, TRUE);
            moving = 0;
            SyncFromNative(true, true, false);
            now = NodeBounds();
        }
    }
    NotifyPositionChange(before, now);
    return true;
}

void WindowBase::Show(bool show)
{
    if (IsVisible(false) == show)
        return;
    WindowNode::Show(show);
    if (IsCreated() && handle != nullptr) {
        if (show) {
            ShowWindow(handle, SW_SHOW);
            UpdateWindow(handle);
        } else {
            ShowWindow(handle, SW_HIDE);
        }
    }
}

Cursor* WindowBase::GetCursor()
{
    if (cursor == nullptr)
        cursor = new Cursor(ApplyCursor, this);
    return cursor;
}

void WindowBase::ApplyCursor(void* window, Cursor* cursorObject, int phase)
{
    auto* self = static_cast<WindowBase*>(window);
    if (self == nullptr || cursorObject == nullptr || phase != 0 || self->handle == nullptr ||
        IsIconic(self->handle))
        return;
    POINT p;
    if (!GetCursorPos(&p) || !ScreenToClient(self->handle, &p))
        return;
    int x = 0, y = 0, w = 0, h = 0;
    self->GetBounds(&x, &y, &w, &h);
    if (p.x >= x && p.x < x + w && p.y >= y && p.y < y + h)
        SetCursor(static_cast<HCURSOR>(cursorObject->GetHandle()));
}

bool WindowBase::RecenterCursor(int* x, int* y)
{
    RECT r;
    if (handle == nullptr || !GetWindowRect(handle, &r))
        return false;
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    POINT client = centre;
    if (!ScreenToClient(handle, &client))
        return false;
    *x -= client.x;
    *y -= client.y;
    if (*x == 0 && *y == 0)
        return true;
    return SetCursorPos(centre.x, centre.y) != FALSE;
}

OptionalColor WindowBase::GetSystemColor(WindowInterface* window, int index)
{
    if (window != nullptr)
        if (auto* frame = dynamic_cast<FrameWindow*>(window->GetFrame()))
            return frame->GetSysColor(index);
    return OptionalColor::Of(0xFF000000);
}

bool WindowBase::OnNotify(NMHDR*, LRESULT*)
{
    return false;
}

LRESULT WindowBase::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (previousProc == nullptr)
        return 0;
    return CallWindowProcW(previousProc, handle, message, wParam, lParam);
}

LRESULT WindowBase::HandleKey(UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    const u32 virtualKey = static_cast<u32>(wParam & 0xFFFF);
    bool leftDown = false, rightDown = false;
    if (IsSharedModifier(virtualKey)) {
        const int left = virtualKey == VK_SHIFT ? VK_LSHIFT : virtualKey == VK_CONTROL ? VK_LCONTROL : VK_LMENU;
        leftDown = (GetAsyncKeyState(left) & 0x8000) != 0;
        rightDown = (GetAsyncKeyState(left + 1) & 0x8000) != 0;
    }
    KeyReport reports[2];
    const int count = ResolveKeyMessage(virtualKey, (lParam & (1 << 24)) != 0, down, leftDown, rightDown, reports);
    if (count == 0)
        return DefaultProcessing(message, wParam, lParam);
    bool taken = true;
    for (int i = 0; i < count; ++i)
        if (OnKey(reports[i].code, reports[i].down) == 0)
            taken = false;
    return taken ? 0 : DefaultProcessing(message, wParam, lParam);
}

namespace {

int MouseEventOf(UINT message)
{
    switch (message) {
    case WM_LBUTTONDBLCLK: return kMouseLeftDouble;
    case WM_LBUTTONDOWN: return kMouseLeftDown;
    case WM_LBUTTONUP: return kMouseLeftUp;
    case WM_RBUTTONDBLCLK: return kMouseRightDouble;
    case WM_RBUTTONDOWN: return kMouseRightDown;
    case WM_RBUTTONUP: return kMouseRightUp;
    case WM_MOUSEMOVE: return kMouseMove;
    case WM_MBUTTONDBLCLK: return kMouseMiddleDouble;
    case WM_MBUTTONDOWN: return kMouseMiddleDown;
    case WM_MBUTTONUP: return kMouseMiddleUp;
    default: return -1;
    }
}

} // namespace

LRESULT WindowBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        destroying = 1;
        Destroy();
        return 0;
    case WM_MOVE:
    case WM_SIZE:
        if (moving == 0) {
            RECT r;
            if (GetWindowRect(handle, &r))
                SetPosition(r.left, r.top, r.right - r.left, r.bottom - r.top, kUnitPixels);
        }
        return DefaultProcessing(message, wParam, lParam);
    case WM_PAINT: {
        if (IsUpdateLocked(false))
            return 0;
        const LRESULT result = DefaultProcessing(message, wParam, lParam);
        Paint(0, 0, -1, -1, nullptr);
        return result;
    }
    case WM_SETCURSOR:
        if (cursor != nullptr && cursor->GetHandle() != nullptr && handle != nullptr && !IsIconic(handle)) {
            SetCursor(static_cast<HCURSOR>(cursor->GetHandle()));
            return 1;
        }
        return DefaultProcessing(message, wParam, lParam);
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (info != nullptr) {
            int minW = 0, minH = 0, maxW = 0, maxH = 0;
            GetSizeLimits(&minW, &minH, &maxW, &maxH);
            if (minW > 0 && minW > info->ptMinTrackSize.x)
                info->ptMinTrackSize.x = minW;
            if (minH > 0 && minH > info->ptMinTrackSize.y)
                info->ptMinTrackSize.y = minH;
            // A maximum is taken only where it is above what Windows put there.
            if (maxW > 0 && maxW > info->ptMaxTrackSize.x)
                info->ptMaxTrackSize.x = maxW;
            if (maxH > 0 && maxH > info->ptMaxTrackSize.y)
                info->ptMaxTrackSize.y = maxH;
        }
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header != nullptr)
            if (WindowBase* from = FromHandle(header->hwndFrom)) {
                LRESULT result = 0;
                if (from->OnNotify(header, &result))
                    return result;
            }
        return DefaultProcessing(message, wParam, lParam);
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return HandleKey(message, wParam, lParam);
    default:
        break;
    }
    const int event = MouseEventOf(message);
    if (event >= 0) {
        if (OnMouse(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), event) != 0)
            return 0;
    }
    return DefaultProcessing(message, wParam, lParam);
}
