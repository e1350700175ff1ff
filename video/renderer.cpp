// Window binding, sizing and frame ending shared by the window renderers.
#include "video/renderer.h"

#include <new>

Renderer::~Renderer()
{
    BeginClosing();
}

void Renderer::BeginClosing()
{
    ScopedLock surface(surfaceLock_);
    ScopedLock frame(frameLock_);
    closing_ = 1;
}

void Renderer::Unbind()
{
    Detach();
    window_ = nullptr;
    client_ = {};
}

bool Renderer::RefreshClientArea(bool* moved)
{
    *moved = false;
    OutputRect area;
    if (!window_ || !ReadClientArea(window_, &area))
        return false;
    if (area.right != client_.right || area.bottom != client_.bottom) {
        client_ = area;
        *moved = true;
    }
    return true;
}

void Renderer::Reset()
{
    ScopedLock surface(surfaceLock_);
    ScopedLock frame(frameLock_);
    if (closing_)
        return;
    LockedDisplaySurface::Reset();
    if (window_ && IsWindowAlive(window_) && deviceContext_)
        return;  // the binding stays; only the pixels went
    Unbind();
}

bool Renderer::BeginFrame(u8 hint, float aspect)
{
    ScopedLock frame(frameLock_);
    if (closing_)
        return false;
    return LockedDisplaySurface::BeginFrame(hint, aspect);
}

bool Renderer::SetSize(i32 width, i32 height, bool flag)
{
    if (HasSize(width, height) && sizeFlag_ == static_cast<u8>(flag))
        return true;
    if (width < 0 || height < 0)
        return false;
    // The display processor sizes from the worker thread: the binding is read under the
    // locks that SetWindow changes it under.
    ScopedLock surface(surfaceLock_);
    ScopedLock frame(frameLock_);
    if (closing_ || !window_)
        return false;
    changed_ = 1;
    width_ = width;
    height_ = height;
    sizeFlag_ = flag ? 1 : 0;
    const bool result = PrepareBuffers(false, true);
    LockedDisplaySurface::SetSize(width, height, flag);
    if (sizeChangedCallback && sizeChangedUserData)
        sizeChangedCallback(sizeChangedUserData);
    return result;
}

bool Renderer::MapPoint(i32 x, i32 y, double* outX, double* outY)
{
    if (outX)
        *outX = x * scaleX_;
    if (outY)
        *outY = y * scaleY_;
    return true;
}

bool Renderer::GetOutputSize(i32* left, i32* top, i32* right, i32* bottom)
{
    OutputRect area;
    if (!window_ || !ReadClientArea(window_, &area))
        return false;
    *left = area.left;
    *top = area.top;
    *right = area.right;
    *bottom = area.bottom;
    return true;
}

bool Renderer::SetWindow(const WindowHandle* window)
{
    const WindowHandle wanted = window ? *window : nullptr;
    if (wanted && wanted == window_)
        return true;
    ScopedLock surface(surfaceLock_);
    ScopedLock frame(frameLock_);
    if (wanted && wanted == window_)
        return true;
    if (closing_)
        return false;
    scaleX_ = 1.0;
    scaleY_ = 1.0;
    Unbind();
    if (!wanted)
        return true;

    bool result = false;
    try {
        // The area is only probed here: PrepareBuffers stores it and marks the layout.
        OutputRect area;
        window_ = wanted;
        if (!IsWindowAlive(wanted) || !ReadClientArea(wanted, &area)) {
            window_ = nullptr;
            return false;
        }
        result = Attach() && PrepareBuffers(true, false);
        clearPending_ = 1;
    } catch (const std::bad_alloc&) {
        Unbind();
        result = false;
    }
    return result;
}

bool Renderer::EndFrame(bool full)
{
    ScopedLock surface(surfaceLock_);
    if (closing_)
        return false;
    frameLock_.Enter();
    if (!LockedDisplaySurface::EndFrame(full)) {
        frameLock_.Leave();
        return false;
    }
    if (!window_ || !IsWindowAlive(window_)) {
        frameLock_.Leave();
        Unbind();
        return false;
    }
    if (!PrepareBuffers(true, false)) {
        changed_ = 1;
        frameLock_.Leave();
        return false;
    }
    frameLock_.Leave();

    const bool presented = Present();
    if (!presented) {
        ScopedLock frame(frameLock_);
        changed_ = 1;
    }
    return presented;
}
