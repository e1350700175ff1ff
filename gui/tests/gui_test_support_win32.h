// Shared helpers of the Windows tests of the controls and dialogs: a frame
// window to hold them, a message pump with a generous bounded wait, and the
// client area's pixels read back through GDI.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <vector>

#include "gui/frame_window.h"
#include "video/tests/window_capture_win32.h"

namespace gui_test {

// Pumps the thread's messages until done() holds or about ten seconds pass;
// answers done().
inline bool PumpUntil(const std::function<bool()>& done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < end) {
        MSG msg;
        // Bounded: a window that never validates (updates locked) gets
        // WM_PAINT again at every look.
        for (int n = 0; n < 200 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
            if (msg.message == WM_QUIT)
                continue;  // a destroyed frame's quit message ends no loop here
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
    return done();
}

// Lets pending messages (paints among them) run for a moment.
inline void Settle()
{
    int rounds = 0;
    PumpUntil([&] { return ++rounds > 20; });
}

// A shown frame window of the given client-ish size at (40, 40).
inline FrameWindow* MakeFrame(int width, int height)
{
    auto* frame = new FrameWindow(40, 40, width, height, 1);
    if (!frame->Create(GetModuleHandleW(nullptr))) {
        delete frame;
        return nullptr;
    }
    frame->Show(true);
    return frame;
}

// Deletes the frame and drops the quit message its destruction posts.
inline void DeleteFrame(FrameWindow* frame)
{
    delete frame;
    MSG msg;
    for (int n = 0; n < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
    }
}

using window_capture::CaptureClient;
using window_capture::Pixels;

// A system colour as 0xRRGGBB.
inline u32 SysRgb(int index)
{
    const COLORREF c = GetSysColor(index);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

}  // namespace gui_test
