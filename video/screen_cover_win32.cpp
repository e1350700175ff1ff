#include "video/screen_cover.h"

#include <commctrl.h>

namespace {

constexpr wchar_t kClassName[] = L"KuvScreenCover";
// The cover's extra bytes: the child it covers, and whether it is to be shown.
constexpr int kChildSlot = 0;
constexpr int kShownSlot = sizeof(LONG_PTR);

HWND ChildOf(HWND cover)
{
    return reinterpret_cast<HWND>(GetWindowLongPtrW(cover, kChildSlot));
}

// Lays the cover over the child's client area, visible while the child can be seen.
void Follow(HWND cover)
{
    HWND child = ChildOf(cover);
    RECT area{};
    if (!child || !GetClientRect(child, &area))
        return;
    MapWindowPoints(child, nullptr, reinterpret_cast<POINT*>(&area), 2);
    const bool visible = GetWindowLongPtrW(cover, kShownSlot) != 0 && IsWindowVisible(child) &&
                         !IsIconic(GetAncestor(child, GA_ROOT)) && area.right > area.left &&
                         area.bottom > area.top;
    SetWindowPos(cover, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

// On the child and on its top-level window: every move, resize, minimise or hide ends in
// WM_WINDOWPOSCHANGED.
LRESULT CALLBACK FollowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR cover)
{
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_WINDOWPOSCHANGED)
        Follow(reinterpret_cast<HWND>(cover));
    return result;
}

bool IsInputMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_KEYFIRST && message <= WM_KEYLAST);
}

LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND child = ChildOf(window);
    if (child && IsInputMessage(message))
        return SendMessageW(child, message, wParam, lParam);  // same client coordinates
    switch (message) {
    case WM_MOUSEACTIVATE:
        // A click activates the frame, as a click on the child would, but never the cover.
        if (child) {
            HWND root = GetAncestor(child, GA_ROOT);
            if (root && GetForegroundWindow() != root)
                SetForegroundWindow(root);
        }
        return MA_NOACTIVATE;
    case WM_SETFOCUS:
        if (child && IsWindow(child))
            SetFocus(child);
        return 0;
    case WM_SETCURSOR:
        if (child)
            return SendMessageW(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), lParam);
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        // The picture is the child's to redraw: its paint presents the frame again.
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        if (child)
            InvalidateRect(child, nullptr, FALSE);
        return 0;
    }
    case WM_NCDESTROY: {
        const UINT_PTR id = reinterpret_cast<UINT_PTR>(window);
        if (child)
            RemoveWindowSubclass(child, FollowProc, id);
        if (HWND owner = GetWindow(window, GW_OWNER))
            RemoveWindowSubclass(owner, FollowProc, id);
        break;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterCoverClass(HINSTANCE instance)
{
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, kClassName, &existing))
        return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    // GL wants a device context of the window's own; double-clicks reach the child too.
    windowClass.style = CS_OWNDC | CS_DBLCLKS;
    windowClass.lpfnWndProc = CoverProc;
    windowClass.cbWndExtra = 2 * sizeof(LONG_PTR);
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

bool ScreenCover::Create(HWND child)
{
    Destroy();
    HWND root = child ? GetAncestor(child, GA_ROOT) : nullptr;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!root || !RegisterCoverClass(instance))
        return false;
    HWND cover = CreateWindowExW(WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                 0, 0, 1, 1, root, nullptr, instance, nullptr);
    if (!cover)
        return false;
    SetWindowLongPtrW(cover, kChildSlot, reinterpret_cast<LONG_PTR>(child));
    SetWindowLongPtrW(cover, kShownSlot, 1);
    const UINT_PTR id = reinterpret_cast<UINT_PTR>(cover);
    const DWORD_PTR data = reinterpret_cast<DWORD_PTR>(cover);
    if (!SetWindowSubclass(child, FollowProc, id, data) || !SetWindowSubclass(root, FollowProc, id, data)) {
        DestroyWindow(cover);
        return false;
    }
    window_ = cover;
    Follow(cover);
    return true;
}

void ScreenCover::Destroy()
{
    HWND cover = window_;
    window_ = nullptr;
    if (!cover || !IsWindow(cover))
        return;
    if (GetWindowThreadProcessId(cover, nullptr) == GetCurrentThreadId())
        DestroyWindow(cover);
    else
        PostMessageW(cover, WM_CLOSE, 0, 0);  // closed by its own thread
}

void ScreenCover::SetShown(bool shown)
{
    if (!window_ || (GetWindowLongPtrW(window_, kShownSlot) != 0) == shown)
        return;
    SetWindowLongPtrW(window_, kShownSlot, shown ? 1 : 0);
    Follow(window_);
}
