// Renderer: a display surface that presents itself in a window of the host.
//
// The display processor draws straight into the renderer's rows (worker thread); the GUI
// thread ends frames with EndFrame, which presents the picture scaled into the window's
// client area at the frame's aspect ratio, with the border colour in the bands it leaves.
//
//   Renderer          "No Draw": the window binding, the pixel buffer and the frame
//                       hand-over; presenting is left to the kinds below
//   Win32Renderer     window queries and the picture's fit (win32_renderer.h, Windows)
//   GdiRenderer       "WinGDI": StretchDIBits                (gdi_renderer.h, Windows)
//   OpenGlRenderer    "OpenGL": glDrawPixels in WGL context  (opengl_renderer.h, Windows)
//
// Life of an instance: a prototype is Cloned; SetWindow binds the copy to a window (device
// context, for OpenGL the pixel format and GL context); SetSize allocates the pixels;
// frames are drawn and ended; SetWindow(null) or a window that disappears unbinds it.
// A failed present leaves the frame marked changed, so the next EndFrame tries again.
//
// Locks: SetWindow, SetSize, Reset and EndFrame take surfaceLock_ then frameLock_;
// Present runs with surfaceLock_ alone, so the worker can hand the next frame over
// (BeginFrame, frameLock_ only) while the window is drawn.
#pragma once

#include "base/types.h"
#include "video/aspect_fit.h"
#include "video/display_surface.h"

// A device context or similar host handle, opaque to the portable layers.
using NativeHandle = void*;

class Renderer : public LockedDisplaySurface {
public:
    Renderer() = default;
    ~Renderer() override;

    // Border back to black and the pixels freed. A live binding is kept; a dead one is
    // dropped.
    void Reset() override;
    bool BeginFrame(u8 hint, float aspect) override;
    // Needs a window; w x h pixels of opaque black, line bookkeeping afresh, then the
    // owner's size-changed callback.
    bool SetSize(i32 width, i32 height, bool flag) override;
    // Window point to image point with the factors of the last fit.
    bool MapPoint(i32 x, i32 y, double* outX, double* outY) override;
    // The window's client rectangle.
    bool GetOutputSize(i32* left, i32* top, i32* right, i32* bottom) override;
    // Binding the bound window again does nothing; null unbinds (true).
    bool SetWindow(const WindowHandle* window) override;
    // Presents when something changed since the last call (always when full).
    bool EndFrame(bool full) override;
    void Invalidate() override { clearPending_ = 1; }

    // Draws the current pixels into the window (outer lock held).
    virtual bool Present() = 0;
    // reallocate: a pixel buffer for the current size. checkWindow: re-reads the client
    // area and notices a resize.
    virtual bool PrepareBuffers(bool checkWindow, bool reallocate) = 0;

    WindowHandle GetWindow() const { return window_; }
    const OutputRect& GetClientArea() const { return client_; }
    double GetScaleX() const { return scaleX_; }
    double GetScaleY() const { return scaleY_; }

protected:
    // What the renderer asks of the host's window system.
    virtual bool IsWindowAlive(WindowHandle window) const = 0;
    virtual bool ReadClientArea(WindowHandle window, OutputRect* area) const = 0;

    // Marks the surface closing under both locks, so that nothing entered from the other
    // thread touches what the most derived destructor is about to free.
    void BeginClosing();
    // Re-reads the client area; false when it cannot be read. *moved: its size changed.
    bool RefreshClientArea(bool* moved);
    // Detach, then forget the window.
    void Unbind();

    WindowHandle window_ = nullptr;
    OutputRect client_;             // client area as last read
    u8 sizeFlag_ = 0;               // flag of the last SetSize
    u8 clearPending_ = 1;           // clear the background before the next draw
    double scaleX_ = 1.0;           // window to image, for MapPoint
    double scaleY_ = 1.0;
    NativeHandle deviceContext_ = nullptr;  // the window's device context while attached
};
