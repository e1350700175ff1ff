#include <algorithm>

#include "gui/cursor.h"
#include "gui/menu.h"
#include "gui/window.h"

Window::~Window()
{
    if (handle != nullptr)
        DestroyStep();
}

bool Window::CreateStep()
{
    if (!WindowBase::Create())
        return false;
    if (!keepTarget_)
        context_.SetWindow(handle);
    for (int i = 0; i < GetChildCount(); ++i) {
        ControlInterface* child = GetChild(i);
        if (child != nullptr && !child->IsCreated() && !child->Create()) {
            Destroy();
            return false;
        }
    }
    SyncFromNative(true, true, true);
    LayoutChildren();
    return true;
}

void Window::DestroyStep()
{
    for (int i = 0; i < GetChildCount(); ++i)
        if (ControlInterface* child = GetChild(i); child != nullptr && child->IsCreated())
            child->Destroy();
    WindowBase::Destroy();
}

void Window::Destroy()
{
    DestroyStep();
}

void Window::OnMoved()
{
    LayoutChildren();
    WindowNode::OnMoved();
}

void Window::OnResized()
{
    LayoutChildren();
    WindowNode::OnResized();
}

int Window::OnMouse(int x, int y, int event)
{
    ControlInterface* child = ChildAt(x, y);
    if (child == nullptr || !child->IsWindowless())
        return WindowNode::OnMouse(x, y, event);
    auto* base = dynamic_cast<WindowBase*>(child);
    if (base == nullptr)
        return 1;
    int cx = 0, cy = 0, cw = 0, ch = 0;
    child->GetBounds(&cx, &cy, &cw, &ch);
    x -= cx;
    y -= cy;
    int ox = 0, oy = 0;
    if (child->GetClientRect(&ox, &oy, &cw, &ch)) {
        x -= ox;
        y -= oy;
    }
    return child->OnMouse(x, y, event);
}

bool Window::GetClientRect(int* x, int* y, int* width, int* height)
{
    if (!WindowBase::GetClientRect(x, y, width, height))
        return false;
    const Margins& m = GetMargins();
    *x += m.left;
    *y += m.top;
    *width = std::max(0, *width - m.left - m.right);
    *height = std::max(0, *height - m.top - m.bottom);
    return true;
}

bool Window::HandleChildMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_SETCURSOR) {
        if (handle == nullptr || IsIconic(handle))
            return false;
        POINT p;
        if (GetCursorPos(&p) && ScreenToClient(handle, &p)) {
            ControlInterface* child = ChildAt(p.x, p.y);
            if (child != nullptr && child->IsWindowless()) {
                Cursor* childCursor = child->GetCursor();
                if (childCursor != nullptr && childCursor->GetHandle() != nullptr) {
                    SetCursor(static_cast<HCURSOR>(childCursor->GetHandle()));
                    *result = 1;
                    return true;
                }
            }
        }
        if (cursor != nullptr && cursor->GetHandle() != nullptr) {
            SetCursor(static_cast<HCURSOR>(cursor->GetHandle()));
            *result = 1;
            return true;
        }
        return false;
    }
    if (message == WM_DRAWITEM) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item == nullptr || item->CtlType == ODT_MENU)
            return false;
        if (FromHandle(item->hwndItem) != nullptr && item->hwndItem != handle)
            SendMessageW(item->hwndItem, WM_DRAWITEM, wParam, lParam);
        *result = 1;
        return true;
    }
    return false;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (HandleChildMessage(message, wParam, lParam, &result))
        return result;
    return WindowBase::HandleMessage(message, wParam, lParam);
}

bool TopLevelWindow::CreateStep()
{
    if (!Window::CreateStep())
        return false;
    if (!title_.IsEmpty())
        SetWindowTextW(handle, title_.CStr());
    return true;
}

void TopLevelWindow::SetTitle(const StringW& title)
{
    if (title_.Compare(title) == 0)
        return;
    title_ = title;
    if (handle != nullptr)
        SetWindowTextW(handle, title_.CStr());
}

void TopLevelWindow::DetachMenu()
{
    MenuBar* menu = GetMenu();
    if (menu == nullptr || handle == nullptr)
        return;
    if (::GetMenu(handle) == static_cast<HMENU>(menu->GetHandle()))
        ::SetMenu(handle, nullptr);
    menu->SetWindow(nullptr);
}
