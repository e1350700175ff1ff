// WindowNode: the state every window and control shares, without any native
// window: bounds, size limits, visibility, update lock, background colour,
// cursor visibility, two free pointers and the four user callbacks.
//
// It implements the common operations of WindowInterface; what needs a native
// window (Paint, SyncFromNative, PaintHook, IsWindowless, Redraw, Close,
// GetClientRect, GetCursor) is left to the native layer or the concrete class.
// Once the destructor has started, no user callback is called any more.
#pragma once

#include "gui/window_interface.h"

class WindowNode : public virtual WindowInterface {
public:
    WindowNode() = default;
    ~WindowNode() override;
    WindowNode(const WindowNode&) = delete;
    WindowNode& operator=(const WindowNode&) = delete;

    // Sets created, reads the native state back and, when there is one,
    // applies the bounds and visibility stored before that.
    bool Create() override;
    void Destroy() override;
    bool SetBounds(int x, int y, int width, int height, bool visible) override;
    DrawContext* GetDrawContext(int* x, int* y) override;
    void LockUpdates(bool lock) override;
    bool IsUpdateLocked(bool withAncestors) override;
    i32 GetSavedBounds(int* x, int* y, int* width, int* height) override;
    void OnMoved() override;
    void OnResized() override;
    int OnMouse(int x, int y, int event) override;
    bool IsCreated() override { return created_; }
    bool IsDialog() override { return false; }
    int OnKey(int code, bool down) override;
    void GetBounds(int* x, int* y, int* width, int* height) override;
    // Converts to pixels, stores the position and the size within the
    // limits, then OnMoved and OnResized for what changed.
    bool SetPosition(int x, int y, int width, int height, int unit) override;
    void GetSizeLimits(int* minWidth, int* minHeight, int* maxWidth, int* maxHeight) override;
    bool SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) override;
    bool IsVisible(bool withAncestors) override;
    void Show(bool show) override { visible_ = show; }
    WindowInterface* GetParent() override { return nullptr; }
    TopLevelInterface* GetTopLevel() override;
    FrameInterface* GetFrame() override;
    WindowInterface* FindWindowAt(int* x, int* y) override;
    void Invalidate() override { Redraw(0, 0, -1, -1); }
    void*& UserData() override { return userData_; }
    void*& OwnerData() override { return ownerData_; }
    void SetBackground(const OptionalColor& color) override;
    bool GetBackground(OptionalColor* color) override;
    void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }
    MoveCallbackFn& MoveCallback() override { return moveCallback_; }
    SizeCallbackFn& SizeCallback() override { return sizeCallback_; }
    KeyCallbackFn& KeyCallback() override { return keyCallback_; }
    MouseCallbackFn& MouseCallback() override { return mouseCallback_; }

    bool IsCursorVisible() const { return cursorVisible_; }
    bool IsBeingDestroyed() const { return destroying_; }
    // Store the position or the size alone, without callbacks.
    void MoveTo(int x, int y) { x_ = x; y_ = y; }
    void ResizeTo(int width, int height) { width_ = width; height_ = height; }
    // SetPosition without the callbacks: answers what changed.
    void StorePosition(int x, int y, int width, int height, int unit, bool* moved, bool* resized);

private:
    void* userData_ = nullptr;
    void* ownerData_ = nullptr;
    bool created_ = false;
    i32 x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    i32 minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;  // max <= 0: none
    bool visible_ = false;
    i32 lockCount_ = 0;
    OptionalColor background_;
    bool cursorVisible_ = true;
    bool destroying_ = false;
    MoveCallbackFn moveCallback_ = nullptr;
    SizeCallbackFn sizeCallback_ = nullptr;
    KeyCallbackFn keyCallback_ = nullptr;
    MouseCallbackFn mouseCallback_ = nullptr;
};
