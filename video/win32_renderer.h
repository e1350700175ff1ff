// Win32Renderer: what both Windows renderers share (win32_renderer_win32.cpp): the window
// queries, the device context and the picture's fit in the client area.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include "video/aspect_fit.h"
#include "video/renderer.h"

inline HWND ToHwnd(WindowHandle window)
{
    return static_cast<HWND>(window);
}

// An ARGB colour as GDI wants it.
COLORREF ArgbToColorRef(u32 argb);

class Win32Renderer : public Renderer {
protected:
    bool IsWindowAlive(WindowHandle window) const override;
    bool ReadClientArea(WindowHandle window, OutputRect* area) const override;

    // Re-reads the client area; a new size marks the layout for a fit. False when it
    // cannot be read.
    bool CheckWindow();
    bool NeedsFit() const { return layoutDirty_ || aspect_ != fitAspect_; }
    // Places the picture for the current aspect ratio and client area (inner lock).
    void FitDestination();
    void ReleaseDeviceContext();

    u8 layoutDirty_ = 1;         // client area or frame size changed since the last fit
    OutputRect destination_;     // where the picture goes
    float fitAspect_ = 0.0f;     // aspect ratio destination_ was fitted for
};

#endif
