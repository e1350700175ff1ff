#include "video/win32_renderer.h"

COLORREF ArgbToColorRef(u32 argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool Win32Renderer::IsWindowAlive(WindowHandle window) const
{
    return window && IsWindow(ToHwnd(window));
}

bool Win32Renderer::ReadClientArea(WindowHandle window, OutputRect* area) const
{
    RECT rect;
    if (!window || !GetClientRect(ToHwnd(window), &rect))
        return false;
    *area = {rect.left, rect.top, rect.right, rect.bottom};
    return true;
}

bool Win32Renderer::CheckWindow()
{
    bool moved = false;
    if (!RefreshClientArea(&moved))
        return false;
    if (moved)
        layoutDirty_ = 1;
    return true;
}

void Win32Renderer::FitDestination()
{
    ScopedLock frame(frameLock_);
    fitAspect_ = aspect_;
    layoutDirty_ = 0;
    const AspectFit fit = FitToAspect(width_, height_, aspect_, client_);
    destination_ = fit.destination;
    // Window points map back into the image with the same factors (MapPoint).
    scaleX_ = fit.scaleX;
    scaleY_ = fit.scaleY;
}

void Win32Renderer::ReleaseDeviceContext()
{
    if (deviceContext_)
        ReleaseDC(ToHwnd(window_), static_cast<HDC>(deviceContext_));
    deviceContext_ = nullptr;
}
