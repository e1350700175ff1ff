// ScreenCover: a borderless popup owned by the top-level window of a child window (or by
// a top-level window itself) and laid over the child's client area, for a renderer that must present into a top-level window
// (under Wine a GL picture in a child window never reaches the screen, and a pixel format,
// once set on a window, hides its GDI drawing for good).
//
// The cover follows the child: it moves and resizes with it and hides while the child is
// hidden, its top-level window minimised, or the cover is not shown (SetShown). It is never
// activated; mouse, keyboard and cursor messages go to the child as if they were its own,
// and the keyboard focus it is given goes back to the child.
//
// Created and destroyed on the thread that owns the child; Destroy from another thread
// asks the owning thread to close it.
#pragma once

#ifdef _WIN32

#include <windows.h>

class ScreenCover {
public:
    ScreenCover() = default;
    ScreenCover(const ScreenCover&) = delete;
    ScreenCover& operator=(const ScreenCover&) = delete;
    ~ScreenCover() { Destroy(); }

    // A cover over child, shown at once; false when it cannot be made.
    bool Create(HWND child);
    void Destroy();
    void SetShown(bool shown);
    HWND GetHandle() const { return window_; }

private:
    HWND window_ = nullptr;
};

#endif
