#include "video/win32_window.h"

bool Win32WindowAlive(WindowHandle window)
{
    return window && IsWindow(ToHwnd(window));
}

bool Win32ClientArea(WindowHandle window, OutputRect* area)
{
    RECT rect;
    if (!window || !GetClientRect(ToHwnd(window), &rect))
        return false;
    *area = {rect.left, rect.top, rect.right, rect.bottom};
    return true;
}

COLORREF ArgbToColorRef(u32 argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}
