// ChildControl: the common base of the framework's controls (button, panel,
// canvas, picture control, text label). It joins the control state of
// ControlBase to the native window base and adds what a control inside a
// parent window needs:
//   - creation only under a created parent; the concrete control makes its own
//     native child window first, then Create binds (and subclasses) it;
//   - positions counted from the origin of the parent's client area (for a
//     Window: inside its margins);
//   - a tooltip window ("tooltips_class32", made on first need), enabling,
//     showing, and a relayout of the parent when an aligned control moves,
//     changes size or is shown or hidden.
// A windowless control (IsWindowless) has no native window and is drawn by its
// parent's paint pass. Windows-only; GUI thread only.
#pragma once

#include <windows.h>

#include "gui/control_base.h"
#include "gui/draw_context.h"
#include "gui/window_base.h"

// A control's bounds in the unit given beside them (PositionUnit).
struct ControlBounds {
    i32 x = 0;
    i32 y = 0;
    i32 width = 0;
    i32 height = 0;
};

class ChildControl : public ControlBase, public virtual WindowBase {
public:
    // Pixels. Widths and heights of 0 leave the size to the parent's layout.
    ChildControl(int x, int y, int width, int height, int alignment, bool visible);
    ChildControl(const ControlBounds& bounds, int alignment, bool visible, int unit);

    // Needs a created parent; binds the native window the concrete control
    // made (a windowless control only marks itself created).
    bool Create() override;
    void Destroy() override;
    bool SyncFromNative(bool position, bool size, bool visibility) override;
    void OnMoved() override;
    void OnResized() override;
    bool SetPosition(int x, int y, int width, int height, int unit) override;
    bool GetClientRect(int* x, int* y, int* width, int* height) override;
    void Show(bool show) override;
    bool IsWindowless() override { return false; }
    void Redraw(int x, int y, int width, int height) override;
    void SetEnabled(bool enable) override;
    void SetTooltip(const StringW& text) override;
    void Refresh() override { Invalidate(); }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The module instance of the parent chain (the frame window's).
    HINSTANCE GetInstance() override;

    HWND GetTooltipWindow() const { return tooltipWindow; }

protected:
    // What a concrete control needs before making its native window: the
    // parent's handle and module instance; false when the parent is not a
    // created native window with both.
    bool GetNativeParent(HWND* parentHandle, HINSTANCE* instance);
    // Makes the control's native window of that class and style at its
    // bounds (in the parent's client area) and stores its handle; false when
    // the parent is not usable or the window cannot be made.
    bool CreateNativeChild(const wchar_t* className, DWORD style);
    // A native control draws through a context bound to its own window.
    DrawContext* OwnDrawContext() override;

private:
    void UpdateTooltip();
    // A child aligned in a container has the container lay its children out again.
    void LayOutParent();
    // The parent's client origin, in the parent's native client coordinates.
    void ParentClientOrigin(int* x, int* y);
    // The native window rectangle in the parent's client coordinates, less
    // the client origin; false without a native window.
    bool NativeRectInParent(int* x, int* y, int* width, int* height);

    HWND tooltipWindow = nullptr;
    DrawContext nativeContext_;
};
