// The window queries both Windows renderers make (win32_window_win32.cpp).
#pragma once

#ifdef _WIN32

#include <windows.h>

#include "video/aspect_fit.h"
#include "video/display_surface.h"

inline HWND ToHwnd(WindowHandle window)
{
    return static_cast<HWND>(window);
}

bool Win32WindowAlive(WindowHandle window);
bool Win32ClientArea(WindowHandle window, OutputRect* area);
// An ARGB colour as GDI wants it.
COLORREF ArgbToColorRef(u32 argb);

#endif
