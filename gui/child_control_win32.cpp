#include "gui/child_control.h"

#include <commctrl.h>

ChildControl::ChildControl(int x, int y, int width, int height, int alignment, bool visible)
{
    SetAlignment(alignment);
    ChildControl::SetPosition(x, y, width, height, kUnitPixels);
    int bx = 0, by = 0, bw = 0, bh = 0;
    GetBounds(&bx, &by, &bw, &bh);
    SetBounds(bx, by, bw, bh, visible);
}

ChildControl::ChildControl(const ControlBounds& bounds, int alignment, bool visible, int unit)
    : ChildControl(0, 0, 0, 0, alignment, visible)
{
    ChildControl::SetPosition(bounds.x, bounds.y, bounds.width, bounds.height, unit);
}

HINSTANCE ChildControl::GetInstance()
{
    auto* parent = dynamic_cast<WindowBase*>(GetParent());
    return parent != nullptr ? parent->GetInstance() : nullptr;
}

bool ChildControl::GetNativeParent(HWND* parentHandle, HINSTANCE* instance)
{
    auto* parent = dynamic_cast<WindowBase*>(GetParent());
    if (parent == nullptr || !parent->IsCreated() || parent->GetHandle() == nullptr)
        return false;
    *parentHandle = parent->GetHandle();
    *instance = parent->GetInstance();
    return *instance != nullptr;
}

bool ChildControl::CreateNativeChild(const wchar_t* className, DWORD style)
{
    HWND parent = nullptr;
    HINSTANCE instance = nullptr;
    if (!GetNativeParent(&parent, &instance))
        return false;
    int x = 0, y = 0, w = 0, h = 0;
    GetBounds(&x, &y, &w, &h);
    int cx = 0, cy = 0;
    ParentClientOrigin(&cx, &cy);
    handle = CreateWindowExW(0, className, nullptr, style, x + cx, y + cy, w, h, parent, nullptr, instance, nullptr);
    return handle != nullptr;
}

DrawContext* ChildControl::OwnDrawContext()
{
    if (IsWindowless() || handle == nullptr)
        return nullptr;
    return &nativeContext_;
}

bool ChildControl::Create()
{
    if (IsCreated())
        return true;
    WindowInterface* parent = GetParent();
    if (parent == nullptr || !parent->IsCreated()) {
        Destroy();
        return false;
    }
    if (IsWindowless()) {
        detached = 0;
        return WindowNode::Create();
    }
    if (handle != nullptr)
        UpdateTooltip();
    // Without a native window the binding fails and the control is destroyed.
    if (!WindowBase::Create())
        return false;
    nativeContext_.SetWindow(handle);
    return true;
}

void ChildControl::Destroy()
{
    // The tooltip window is a child of the control's window and goes with it.
    if (handle != nullptr || destroying != 0)
        tooltipWindow = nullptr;
    WindowBase::Destroy();
}

void ChildControl::UpdateTooltip()
{
    if (handle == nullptr)
        return;
    const StringW& text = Tooltip();
    if (text.IsEmpty() && tooltipWindow == nullptr)
        return;
    if (tooltipWindow == nullptr) {
        // The tooltip class is registered by the common controls library.
        static const bool commonControlsReady = (InitCommonControls(), true);
        (void)commonControlsReady;
        tooltipWindow = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle,
                                        nullptr, GetInstance(), nullptr);
        if (tooltipWindow == nullptr)
            return;
        SetWindowPos(tooltipWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    TOOLINFOW info{};
    info.cbSize = 44;  // the pre-Windows-XP size, which every version accepts
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.uId = reinterpret_cast<UINT_PTR>(handle);
    info.lpszText = const_cast<LPWSTR>(text.GetWide());
    // A tool is added once per text: the old one goes first, so that the tip
    // shows the last text set.
    SendMessageW(tooltipWindow, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    if (!text.IsEmpty())
        SendMessageW(tooltipWindow, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void ChildControl::SetTooltip(const StringW& text)
{
    if (Tooltip().Compare(text) == 0)
        return;
    ControlBase::SetTooltip(text);
    UpdateTooltip();
}

void ChildControl::SetEnabled(bool enable)
{
    if (IsEnabled(false) == enable)
        return;
    ControlBase::SetEnabled(enable);
    if (!IsCreated())
        return;
    if (IsWindowless())
        Redraw(0, 0, -1, -1);
    else if (handle != nullptr)
        EnableWindow(handle, enable ? TRUE : FALSE);
}

void ChildControl::OnMoved()
{
    WindowNode::OnMoved();
    LayOutParent();
}

void ChildControl::OnResized()
{
    WindowNode::OnResized();
    LayOutParent();
}

void ChildControl::LayOutParent()
{
    if (GetParent() != nullptr && GetAlignment() != kAlignFree)
        if (auto* container = dynamic_cast<ContainerInterface*>(GetParent()))
            container->LayoutChildren();
}

void ChildControl::ParentClientOrigin(int* x, int* y)
{
    *x = 0;
    *y = 0;
    int w = 0, h = 0;
    if (WindowInterface* parent = GetParent(); parent == nullptr || !parent->GetClientRect(x, y, &w, &h)) {
        *x = 0;
        *y = 0;
    }
}

bool ChildControl::NativeRectInParent(int* x, int* y, int* width, int* height)
{
    RECT r;
    if (handle == nullptr || !GetWindowRect(handle, &r))
        return false;
    POINT corner{r.left, r.top};
    if (auto* parent = dynamic_cast<WindowBase*>(GetParent()); parent != nullptr && parent->GetHandle() != nullptr)
        ScreenToClient(parent->GetHandle(), &corner);
    int ox = 0, oy = 0;
    ParentClientOrigin(&ox, &oy);
    *x = corner.x - ox;
    *y = corner.y - oy;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return true;
}

bool ChildControl::SetPosition(int x, int y, int width, int height, int unit)
{
    const Bounds before = NodeBounds();
    // Only the node: OnMoved/OnResized of this class wait for the native move.
    Bounds now = SetNodePosition(x, y, width, height, unit);
    Bounds native;
    if (NativeRectInParent(&native.x, &native.y, &native.width, &native.height)) {
        if (!(native == now)) {
            int cx = 0, cy = 0;
            ParentClientOrigin(&cx, &cy);
            moving = 1;
            MoveWindow(handle, now.x + cx, now.y + cy, now.width, now.height, TRUE);
            moving = 0;
            SyncFromNative(true, true, false);
            now = NodeBounds();
        }
    } else if (IsWindowless() && IsCreated() && !(now == before)) {
        Redraw(0, 0, -1, -1);
    }
    NotifyPositionChange(before, now);
    return true;
}

bool ChildControl::SyncFromNative(bool position, bool size, bool visibility)
{
    if (handle == nullptr || !IsWindow(handle) || (!position && !size && !visibility))
        return false;
    // The control's position lives in the node and changes only through
    // SetPosition, so the stored rectangle is passed on.
    int x = 0, y = 0, w = 0, h = 0;
    GetBounds(&x, &y, &w, &h);
    const bool visible = visibility ? (GetWindowLongW(handle, GWL_STYLE) & WS_VISIBLE) != 0 : IsVisible(false);
    return SetBounds(x, y, w, h, visible);
}

bool ChildControl::GetClientRect(int* x, int* y, int* width, int* height)
{
    return WindowBase::GetClientRect(x, y, width, height);
}

void ChildControl::Show(bool show)
{
    if (IsVisible(false) == show)
        return;
    WindowBase::Show(show);
    LayOutParent();
    if (IsWindowless() && GetHideGroup() == 0)
        Redraw(0, 0, -1, -1);
}

void ChildControl::Redraw(int x, int y, int width, int height)
{
    if (!IsWindowless()) {
        WindowBase::Redraw(x, y, width, height);
        return;
    }
    // A windowless control is drawn by its parent: ask the parent to repaint
    // the control's rectangle.
    WindowInterface* parent = GetParent();
    if (parent == nullptr || !IsCreated())
        return;
    int bx = 0, by = 0, bw = 0, bh = 0;
    GetBounds(&bx, &by, &bw, &bh);
    parent->Redraw(bx, by, bw, bh);
}

LRESULT ChildControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The window layer reads a moved window back in screen coordinates; a
    // control keeps its place in its parent's client area, so a move the
    // control did not make itself is read back in those coordinates.
    if ((message == WM_MOVE || message == WM_SIZE) && moving == 0) {
        int x = 0, y = 0, w = 0, h = 0;
        if (NativeRectInParent(&x, &y, &w, &h))
            SetPosition(x, y, w, h, kUnitPixels);
        return DefaultProcessing(message, wParam, lParam);
    }
    return WindowBase::HandleMessage(message, wParam, lParam);
}
