// The interface lattice of the window layer.
//
// Every window and control is reached through WindowInterface; further
// interfaces add one role each:
//   ControlInterface          a child control (parent, alignment, hide group,
//                             enabled flag, tooltip)
//   ContainerInterface        a window holding and laying out child controls
//   TopLevelInterface         title, menu bar and creation hook
//   FrameInterface            the frame window's GUI timers
//   ContainerControlInterface a control that is also a container
// The roles are joined by virtual inheritance, so an object holds one
// WindowInterface however many roles it plays. State lives in the layers
// (WindowNode, ContainerBase, TopLevelBase, ControlBase, TimerHost); the
// native side in WindowBase and the concrete window classes.
//
// Everything here runs on the GUI thread.
#pragma once

#include "base/string_w.h"
#include "gui/gui_types.h"

class ContainerInterface;
class ControlInterface;
class Cursor;
class DrawContext;
class Font;
class FrameInterface;
class MenuBar;
class TopLevelInterface;

class WindowInterface {
public:
    // Makes the native window (or binds it) and marks the window created.
    virtual bool Create() = 0;
    virtual void Destroy() = 0;
    // Paints the part (x, y, width, height) of the window, in its own
    // coordinates; a negative width or height means the whole window. The
    // painted rectangle, in the drawing context's coordinates with both
    // corners included, is written to painted when given.
    virtual bool Paint(int x, int y, int width, int height, Rect* painted) = 0;
    // Stores the bounds and visibility without any further effect; answers
    // whether anything differed.
    virtual bool SetBounds(int x, int y, int width, int height, bool visible) = 0;
    // Reads the native rectangle and visibility back; false without a
    // native window.
    virtual bool SyncFromNative(bool position, bool size, bool visibility) = 0;
    // The drawing context of the nearest native window, and this window's
    // offset inside it added to *x and *y.
    virtual DrawContext* GetDrawContext(int* x, int* y) = 0;
    virtual void LockUpdates(bool lock) = 0;
    virtual bool IsUpdateLocked(bool withAncestors) = 0;
    virtual i32 GetSavedBounds(int* x, int* y, int* width, int* height) = 0;
    virtual void OnMoved() = 0;
    virtual void OnResized() = 0;
    // Draws the window's own content into area (clip) of bounds; with a
    // measure record reports the content's widths instead (LeftFit).
    virtual bool PaintHook(DrawContext* context, const Rect* bounds, const Rect* area, void* measure) = 0;
    virtual int OnMouse(int x, int y, int event) = 0;
    virtual ~WindowInterface() = default;
    virtual bool IsCreated() = 0;
    virtual bool IsWindowless() = 0;
    virtual bool IsDialog() = 0;
    // (0, 0, -1, -1) asks for the whole window.
    virtual void Redraw(int x, int y, int width, int height) = 0;
    virtual bool Close() = 0;
    virtual int OnKey(int code, bool down) = 0;
    virtual void GetBounds(int* x, int* y, int* width, int* height) = 0;
    // The area children are laid out in (a container's native client
    // rectangle less its margins).
    virtual bool GetClientRect(int* x, int* y, int* width, int* height) = 0;
    // unit is a PositionUnit; a negative width or height keeps the stored one.
    virtual bool SetPosition(int x, int y, int width, int height, int unit) = 0;
    virtual void GetSizeLimits(int* minWidth, int* minHeight, int* maxWidth, int* maxHeight) = 0;
    virtual bool SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) = 0;
    virtual bool IsVisible(bool withAncestors) = 0;
    virtual void Show(bool show) = 0;
    virtual WindowInterface* GetParent() = 0;
    virtual TopLevelInterface* GetTopLevel() = 0;
    virtual FrameInterface* GetFrame() = 0;
    // The deepest visible window under a point given in the parent's
    // coordinates; the point is made relative to the answer.
    virtual WindowInterface* FindWindowAt(int* x, int* y) = 0;
    virtual void Invalidate() = 0;
    virtual void*& UserData() = 0;
    virtual void*& OwnerData() = 0;
    virtual Cursor* GetCursor() = 0;
    virtual void SetBackground(const OptionalColor& color) = 0;
    virtual bool GetBackground(OptionalColor* color) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    virtual MoveCallbackFn& MoveCallback() = 0;
    virtual SizeCallbackFn& SizeCallback() = 0;
    virtual KeyCallbackFn& KeyCallback() = 0;
    virtual MouseCallbackFn& MouseCallback() = 0;
};

class ControlInterface : public virtual WindowInterface {
public:
    // A control paints itself through its PaintHook, clipped to the request.
    bool Paint(int x, int y, int width, int height, Rect* painted) override;

    // Only while the control is not created.
    virtual void SetParent(ContainerInterface* parent) = 0;
    virtual void Refresh() = 0;
    virtual bool IsWindowlessControl() = 0;
    // Sets the position again to the current bounds (applies the limits).
    virtual void ReapplyBounds(ContainerInterface* parent) = 0;
    // The first container font with an attribute set, from the parent up to
    // the top-level window; null when none.
    virtual Font* GetInheritedFont() = 0;
    virtual int GetAlignment() = 0;
    virtual void SetAlignment(int alignment) = 0;
    virtual int GetHideGroup() = 0;
    virtual void SetHideGroup(int group) = 0;
    virtual bool IsEnabled(bool withAncestors) = 0;
    virtual void SetEnabled(bool enable) = 0;
    virtual StringW& Tooltip() = 0;
    virtual void SetTooltip(const StringW& text) = 0;
};

class ContainerInterface : public virtual WindowInterface {
public:
    // A container paints itself, then every visible child meeting the area.
    bool Paint(int x, int y, int width, int height, Rect* painted) override;

    virtual void RefreshChildren();
    virtual bool AddChild(ControlInterface* child) = 0;
    // Takes the child out, destroys it and clears its parent; not deleted.
    virtual bool RemoveChild(ControlInterface* child) = 0;
    virtual bool DeleteChild(ControlInterface* child) = 0;
    virtual void DeleteAllChildren() = 0;
    virtual int GetChildCount() = 0;
    virtual ControlInterface* GetChild(int index) = 0;
    virtual void LayoutChildren() = 0;
    // The last-added visible child whose bounds hold the point.
    virtual ControlInterface* ChildAt(int x, int y) = 0;
    virtual Font* GetFont() = 0;
    virtual void SetMargins(const Margins& margins) = 0;
    virtual void NotifyParent(int value) = 0;
};

class TopLevelInterface : public virtual ContainerInterface {
public:
    // Runs once, before the native window is made; false stops creation.
    virtual bool OnCreate() = 0;
    virtual StringW GetTitle() = 0;
    virtual void SetTitle(const StringW& title) = 0;
    virtual MenuBar* GetMenu() = 0;
    // Takes ownership; refused once the window is created.
    virtual bool SetMenu(MenuBar* menu) = 0;
};

// Called on the GUI thread as function(window, userContext, function,
// &callCount); false removes the timer.
using TimerFunction = bool (*)(WindowInterface* window, void* userContext, void* function, u64* count);

class FrameInterface : public virtual TopLevelInterface {
public:
    // intervalMs in 1..1000; 0 when nothing was added.
    virtual u64 AddTimer(int intervalMs, TimerFunction function, void* userContext) = 0;
    virtual void RemoveTimer(u64 id) = 0;
};

class ContainerControlInterface : public virtual ControlInterface, public virtual ContainerInterface {
public:
    bool Paint(int x, int y, int width, int height, Rect* painted) override
    {
        return ContainerInterface::Paint(x, y, width, height, painted);
    }
};

