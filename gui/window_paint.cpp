// The paint pass of controls and containers: the requested part is clipped
// to the window, drawn through the window's PaintHook with the context's clip
// set to it, and a container then paints every visible child it touches.
#include <algorithm>

#include "gui/draw_context.h"
#include "gui/window_interface.h"

namespace {

// Paints the window's own content over (x, y, width, height) of its own
// coordinates. area receives the part painted, in the window's coordinates
// with the right and bottom edges exclusive; painted, in the context's
// coordinates with both corners included.
bool PaintSelf(WindowInterface& window, int x, int y, int width, int height, Rect* area, Rect* painted)
{
    if (!window.IsVisible(false) || window.IsUpdateLocked(false))
        return false;
    int bx = 0, by = 0, bw = 0, bh = 0;
    window.GetBounds(&bx, &by, &bw, &bh);
    if (width < 0 || height < 0) {
        x = 0;
        y = 0;
        width = bw;
        height = bh;
    }
    Rect own{std::max(x, 0), std::max(y, 0), std::min(x + width, bw), std::min(y + height, bh)};
    if (own.left >= own.right || own.top >= own.bottom)
        return false;
    *area = own;
    int ox = 0, oy = 0;
    DrawContext* context = window.GetDrawContext(&ox, &oy);
    if (context == nullptr)
        return false;
    DrawContextInterface* dc = context;
    if (!dc->Begin())
        return false;
    Rect clip{ox + own.left, oy + own.top, ox + own.right - 1, oy + own.bottom - 1};
    Rect previous;
    const bool hadClip = dc->GetClipRect(&previous);
    bool ok = false;
    if (hadClip) {
        clip.left = std::max(clip.left, previous.left);
        clip.top = std::max(clip.top, previous.top);
        clip.right = std::min(clip.right, previous.right);
        clip.bottom = std::min(clip.bottom, previous.bottom);
    }
    if (clip.left <= clip.right && clip.top <= clip.bottom) {
        const Rect bounds{ox, oy, ox + bw - 1, oy + bh - 1};
        dc->SetClipRect(clip);
        ok = window.PaintHook(context, &bounds, &clip, nullptr);
        if (hadClip)
            dc->SetClipRect(previous);
        else
            dc->ClearClipRect();
    }
    dc->End();
    if (ok && painted != nullptr)
        *painted = clip;
    return ok;
}

} // namespace

bool ControlInterface::Paint(int x, int y, int width, int height, Rect* painted)
{
    Rect area;
    return PaintSelf(*this, x, y, width, height, &area, painted);
}

bool ContainerInterface::Paint(int x, int y, int width, int height, Rect* painted)
{
    Rect area;
    const bool ok = PaintSelf(*this, x, y, width, height, &area, painted);
    if (!IsVisible(false) || IsUpdateLocked(false) || area.left >= area.right)
        return ok;
    int cx = 0, cy = 0, cw = 0, ch = 0;
    if (!GetClientRect(&cx, &cy, &cw, &ch))
        cx = cy = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        ControlInterface* child = GetChild(i);
        if (child == nullptr || !child->IsVisible(false))
            continue;
        int kx = 0, ky = 0, kw = 0, kh = 0;
        child->GetBounds(&kx, &ky, &kw, &kh);
        kx += cx;
        ky += cy;
        const int left = std::max(area.left, kx), top = std::max(area.top, ky);
        const int right = std::min(area.right, kx + kw), bottom = std::min(area.bottom, ky + kh);
        if (left < right && top < bottom)
            child->Paint(left - kx, top - ky, right - left, bottom - top, nullptr);
    }
    return ok;
}
