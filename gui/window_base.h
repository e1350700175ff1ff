// WindowBase: binds one window object to one native window and turns Win32
// messages into the window's operations and callbacks. Windows-only.
//
// The object is found through the window's GWLP_USERDATA. WindowProc is the
// class procedure of every window class the layer registers; a foreign
// window (a native control) is subclassed with it when it is bound, and
// default processing then goes to the procedure it replaced. Messages that
// arrive before binding (during CreateWindowExW) or after detaching get
// DefWindowProcW.
//
// HandleMessage:
//   WM_DESTROY          detaches (user data cleared, handle null)
//   WM_MOVE, WM_SIZE    the native rectangle into the node (unless the
//                       window moves itself); OnMoved/OnResized on change
//   WM_PAINT            default, then Paint of the whole window (none while
//                       updates are locked)
//   WM_SETCURSOR        the window's cursor object, when it holds a cursor
//   WM_GETMINMAXINFO    the node's size limits, where they are stricter
//   WM_NOTIFY           OnNotify of the framework window that sent it
//   key messages        OnKey with the system's 8-bit key code; Shift, Ctrl
//                       and Alt resolved into their left and right keys
//   mouse messages      OnMouse(x, y, MouseEvent) in client coordinates
// A key or mouse message an OnKey/OnMouse answers non-zero to is taken
// (answer 0); any other goes on to default processing.
#pragma once

#include <windows.h>

#include "gui/window_node.h"

class WindowBase : public virtual WindowNode {
public:
    WindowBase() = default;
    ~WindowBase() override;

    // Binds the native window in `handle` (see above); true when already created.
    bool Create() override;
    // Destroys the native window; the object stays and may be created again.
    void Destroy() override;
    bool SyncFromNative(bool position, bool size, bool visibility) override;
    DrawContext* GetDrawContext(int* x, int* y) override;
    bool PaintHook(DrawContext*, const Rect*, const Rect*, void*) override { return true; }
    bool IsWindowless() override { return false; }
    // Redraws the whole window now, whatever rectangle is given.
    void Redraw(int x, int y, int width, int height) override;
    bool Close() override;
    bool GetClientRect(int* x, int* y, int* width, int* height) override;
    bool SetPosition(int x, int y, int width, int height, int unit) override;
    void Show(bool show) override;
    Cursor* GetCursor() override;

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool OnNotify(NMHDR* header, LRESULT* result);
    virtual HINSTANCE GetInstance() { return nullptr; }
    virtual OptionalColor GetSystemColor(WindowInterface* window, int index);

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The framework window bound to a native window, or null.
    static WindowBase* FromHandle(HWND window);

    HWND GetHandle() const { return handle; }
    // Turns a client point into its offset from the window's centre and puts
    // the mouse back at the centre (unless the offset is 0).
    bool RecenterCursor(int* x, int* y);

    HWND handle = nullptr;

protected:
    // The node's position and size in pixels.
    struct Bounds {
        int x = 0, y = 0, width = 0, height = 0;
        bool operator==(const Bounds&) const = default;
    };
    Bounds NodeBounds();
    // SetPosition in two halves around the native move: the node alone takes the new
    // bounds, with no OnMoved/OnResized (and so no layout) until the native window has
    // moved too (answers the bounds now); then OnMoved/OnResized for what changed since before.
    Bounds SetNodePosition(int x, int y, int width, int height, int unit);
    void NotifyPositionChange(const Bounds& before, const Bounds& now);

    LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);
    // The native window's own drawing context; null for controls that draw
    // into their parent's.
    virtual DrawContext* OwnDrawContext() { return nullptr; }

    Cursor* cursor = nullptr;
    WNDPROC previousProc = nullptr;
    u8 destroying = 0;
    u8 moving = 0;
    u8 detached = 1;

private:
    static void ApplyCursor(void* window, Cursor* cursorObject, int phase);
    LRESULT HandleKey(UINT message, WPARAM wParam, LPARAM lParam);
};
