// Shared helpers of the Windows tests of the controls and dialogs: a frame
// window to hold them, a message pump with a generous bounded wait, and the
// client area's pixels read back through GDI.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <vector>

#include "gui/frame_window.h"

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

// The client area as shown, as 0xRRGGBB, row 0 at the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<u32> data;
    u32 At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
    // How many pixels of the colour lie in [x0, x1) x [y0, y1).
    int Count(u32 rgb, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += At(x, y) == rgb;
        return n;
    }
};

inline Pixels CaptureClient(HWND window)
{
    Pixels p;
    RECT client;
    GetClientRect(window, &client);
    p.width = client.right;
    p.height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memoryDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memoryDc, bitmap);
    BitBlt(memoryDc, 0, 0, p.width, p.height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    p.data.resize(static_cast<size_t>(p.width) * p.height);
    std::memcpy(p.data.data(), bits, p.data.size() * 4);
    for (u32& pixel : p.data)
        pixel &= 0xFFFFFF;
    SelectObject(memoryDc, old);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return p;
}

// A system colour as 0xRRGGBB.
inline u32 SysRgb(int index)
{
    const COLORREF c = GetSysColor(index);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

}  // namespace gui_test
