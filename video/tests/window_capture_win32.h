// The one way the Windows tests read back what a window shows: its client area copied
// through GDI. Include as "video/tests/window_capture_win32.h" from any folder's tests.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

#include "base/types.h"

namespace window_capture {

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

} // namespace window_capture
