// Per-line bookkeeping and the pixel buffer of a display surface.
#include "video/display_surface.h"

#include <cstring>
#include <new>

DisplaySurface::DisplaySurface()
{
    std::memset(lineFlags_, 0, sizeof(lineFlags_));
}

DisplaySurface::~DisplaySurface()
{
    renderedLineCount_ = 0;
    undrawnLineCount_ = 0;
}

void DisplaySurface::Reset()
{
    FreePixels();
    ImageHolder::Release();
}

bool DisplaySurface::SetSize(i32, i32, bool)
{
    ResetLineBookkeeping();
    return true;
}

bool DisplaySurface::MapPoint(i32 x, i32 y, double* outX, double* outY)
{
    if (outX)
        *outX = x;
    if (outY)
        *outY = y;
    return true;
}

void DisplaySurface::MarkLineDrawn(i32 line)
{
    u8& flags = lineFlags_[line & kLineMask];
    if ((flags & kLineRendered) == 0 && line < GetLineCount()) {
        flags |= kLineRendered;
        ++renderedLineCount_;
    }
    flags |= kLineDrawn;
    if (undrawnLineCount_ > 0)
        --undrawnLineCount_;
    const i32 index = line & kLineMask;
    if (index < drawnFirst_)
        drawnFirst_ = index;
    if (index > drawnLast_)
        drawnLast_ = index;
}

void DisplaySurface::ClearDrawnFlags()
{
    undrawnLineCount_ = GetLineCount();
    for (i32 line = drawnFirst_; line <= drawnLast_; ++line)
        lineFlags_[line] &= static_cast<u8>(~kLineDrawn);
}

void DisplaySurface::MarkAllRendered()
{
    const i32 n = GetLineCount();
    if (renderedLineCount_ == n)
        return;
    renderedLineCount_ = n;
    for (i32 line = 0; line < n; ++line)
        lineFlags_[line] |= kLineRendered;
}

void DisplaySurface::ResetLineBookkeeping()
{
    renderedLineCount_ = 0;
    undrawnLineCount_ = GetLineCount();
    drawnFirst_ = kMaxLines;
    drawnLast_ = -1;
    std::memset(lineFlags_, 0, sizeof(lineFlags_));
}

bool DisplaySurface::AllocatePixels()
{
    FreePixels();
    if (width_ <= 0 || height_ <= 0) {
        width_ = 0;
        height_ = 0;
        return true;
    }
    const size_t count = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    std::unique_ptr<u32[]> store(new (std::nothrow) u32[count]);
    const i32 width = width_;
    const i32 height = height_;
    if (!store || !AllocateRows(width, height)) {
        ImageHolder::Release();
        return false;
    }
    for (size_t i = 0; i < count; ++i)
        store[i] = 0xFF000000u;
    pixelStore_ = std::move(store);
    pixels_ = pixelStore_.get();
    stride_ = width * 4;
    for (i32 y = 0; y < height; ++y)
        SetRow(y, pixels_ + static_cast<size_t>(y) * static_cast<size_t>(width));
    return true;
}

void DisplaySurface::FreePixels()
{
    rows_.reset();
    pixelStore_.reset();
    pixels_ = nullptr;
    stride_ = 0;
}
