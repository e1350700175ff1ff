// Frame state of a display surface: hand-over, ending, border colour, output fitting.
#include "video/display_surface.h"

#include <algorithm>

LockedDisplaySurface::LockedDisplaySurface() = default;

LockedDisplaySurface::~LockedDisplaySurface()
{
    closing_ = 1;
}

void LockedDisplaySurface::Reset()
{
    if (borderColor_ != kDefaultBorderColor) {
        borderColor_ = kDefaultBorderColor;
        changed_ = 1;
    }
    DisplaySurface::Reset();
}

// The frame lock makes the hand-over (worker) and the ending (GUI thread) exclusive also
// where no renderer wraps them in its own locking, as on the do-nothing display.
bool LockedDisplaySurface::BeginFrame(u8, float aspect)
{
    ScopedLock frame(frameLock_);
    if (fullRedrawRequest_)
        ShowWholeFrame();
    else if (renderedLineCount_ > 0)
        changed_ = 1;
    aspect_ = aspect;
    if (frameReadyCallback && frameReadyCallback(frameReadyUserData))
        ShowWholeFrame();
    return true;
}

void LockedDisplaySurface::ShowWholeFrame()
{
    fullRedrawRequest_ = 0;
    MarkAllRendered();
    changed_ = 1;
}

bool LockedDisplaySurface::EndFrame(bool full)
{
    ScopedLock frame(frameLock_);
    if (++frameCounter_ == 0)
        ++frameCounter_;
    if (full) {
        fullRedrawRequest_ = 1;
        changed_ = 0;
        return true;
    }
    const bool changed = changed_ != 0;
    changed_ = 0;
    return changed;
}

bool LockedDisplaySurface::GetOutputSize(i32*, i32*, i32*, i32*)
{
    return false;
}

bool LockedDisplaySurface::Clear(const u32*)
{
    return false;
}

void LockedDisplaySurface::SetBorderColor(const u32* argb)
{
    if (!argb || borderColor_ == *argb)
        return;
    ScopedLock surface(surfaceLock_);
    ScopedLock frame(frameLock_);
    borderColor_ = *argb;
    ShowWholeFrame();
}

bool LockedDisplaySurface::FitToOutputSize()
{
    i32 left = 0, top = 0, right = 0, bottom = 0;
    if (!GetOutputSize(&left, &top, &right, &bottom))
        return false;
    if (HasSize(right, bottom))
        return false;
    return SetSize(right, bottom, true);
}

namespace {

// A shift by the width of the word or more empties it.
u64 DropBits(u64 bits, i64 count)
{
    return count >= 64 ? 0 : bits >> count;
}

} // namespace

i32 LockedDisplaySurface::DrawBits(i32 x, i32 y, i32 negWidth, i32 rows, u64 bits, const u32* setColor,
                                   const u32* clearColor)
{
    if (negWidth >= 0 || rows <= 0)
        return 0;
    const i64 w = -static_cast<i64>(negWidth);
    const i64 leftmost = static_cast<i64>(x) - w + 1;
    i64 count = 0;
    for (i32 r = 0; r < rows; ++r) {
        const i64 line = static_cast<i64>(y) + r;
        if (line >= 0 && line < height_ && x >= 0 && leftmost < width_) {
            const i64 start = std::min<i64>(x, width_ - 1);
            bits = DropBits(bits, x - start);
            u32* row = GetRowPixels(static_cast<i32>(line));
            const i64 stop = std::max<i64>(leftmost, 0);
            for (i64 col = start; col >= stop; --col) {
                const u32* color = (bits & 1) ? setColor : clearColor;
                if (row && color)
                    row[col] = *color;
                bits >>= 1;
                if (++count == 64)
                    return 64;
            }
            if (leftmost < 0)
                bits = DropBits(bits, -leftmost);
        } else {
            bits = DropBits(bits, w);
            count += w;
            if (count == 64)
                return 64;
        }
    }
    return static_cast<i32>(std::min<i64>(count, 0x7FFFFFFF));
}
