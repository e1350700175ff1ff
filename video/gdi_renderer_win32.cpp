#include "video/gdi_renderer.h"

#include <new>

GdiRenderer::GdiRenderer()
{
    BITMAPINFOHEADER& header = dib_.bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
}

GdiRenderer::~GdiRenderer()
{
    BeginClosing();
    GdiRenderer::Detach();
}

LockedDisplaySurface* GdiRenderer::Clone() const
{
    return new (std::nothrow) GdiRenderer;
}

bool GdiRenderer::Attach()
{
    HDC dc = GetDC(ToHwnd(window_));
    if (!dc)
        return false;
    deviceContext_ = dc;
    SetStretchBltMode(dc, COLORONCOLOR);
    clearPending_ = 1;
    return true;
}

void GdiRenderer::Detach()
{
    ReleaseDeviceContext();
}

bool GdiRenderer::Clear(const u32* argb)
{
    if (!deviceContext_ || !argb)
        return false;
    HBRUSH brush = CreateSolidBrush(ArgbToColorRef(*argb));
    const RECT area{client_.left, client_.top, client_.right, client_.bottom};
    FillRect(static_cast<HDC>(deviceContext_), &area, brush);
    DeleteObject(brush);
    return true;
}

bool GdiRenderer::PrepareBuffers(bool checkWindow, bool reallocate)
{
    bool result = true;
    if (reallocate) {
        result = AllocatePixels();
        // The header follows what was allocated, so GDI never reads past the pixels.
        dib_.bmiHeader.biWidth = width_;
        dib_.bmiHeader.biHeight = height_;
        layoutDirty_ = 1;
    }
    if (checkWindow && !CheckWindow())
        return false;
    return result;
}

void GdiRenderer::FillBorderBands(HDC dc)
{
    const OutputRect& c = client_;
    const OutputRect& d = destination_;
    if (d.left <= c.left && d.top <= c.top && d.right >= c.right && d.bottom >= c.bottom)
        return;
    HBRUSH brush = CreateSolidBrush(ArgbToColorRef(borderColor_));
    const auto band = [&](LONG left, LONG top, LONG right, LONG bottom) {
        const RECT rect{left, top, right, bottom};
        FillRect(dc, &rect, brush);
    };
    if (d.left > c.left)
        band(c.left, c.top, d.left, c.bottom);
    if (d.top > c.top)
        band(c.left, c.top, c.right, d.top);
    if (d.right < c.right)
        band(d.right, c.top, c.right, c.bottom);
    if (d.bottom < c.bottom)
        band(c.left, d.bottom, c.right, c.bottom);
    DeleteObject(brush);
}

bool GdiRenderer::Present()
{
    HDC dc = static_cast<HDC>(deviceContext_);
    if (!dc)
        return false;
    if (!pixels_) {
        const u32 border = borderColor_;
        Clear(&border);
        return true;
    }
    if (NeedsFit())
        FitDestination();
    FillBorderBands(dc);
    const OutputRect& d = destination_;
    StretchDIBits(dc, d.left, d.bottom - 1, d.Width(), -d.Height(), 0, 0, width_, height_, pixels_, &dib_,
                  DIB_RGB_COLORS, SRCCOPY);
    return true;
}
