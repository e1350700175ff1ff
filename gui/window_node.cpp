#include "gui/window_node.h"

#include <utility>

#include "gui/position_units.h"

WindowNode::~WindowNode()
{
    destroying_ = true;
}

bool WindowNode::Create()
{
    const i32 x = x_, y = y_, width = width_, height = height_;
    const bool visible = visible_;
    created_ = true;
    if (SyncFromNative(true, true, true)) {
        SetPosition(x, y, width, height, kUnitPixels);
        Show(visible);
    }
    return true;
}

void WindowNode::Destroy()
{
    created_ = false;
}

bool WindowNode::SetBounds(int x, int y, int width, int height, bool visible)
{
    const bool changed = x != x_ || y != y_ || width != width_ || height != height_ || visible != visible_;
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
    visible_ = visible;
    return changed;
}

DrawContext* WindowNode::GetDrawContext(int* x, int* y)
{
    WindowInterface* parent = GetParent();
    if (parent == nullptr)
        return nullptr;
    DrawContext* context = parent->GetDrawContext(x, y);
    if (context != nullptr && IsWindowless()) {
        *x += x_;
        *y += y_;
        int cx = 0, cy = 0, cw = 0, ch = 0;
        if (parent->GetClientRect(&cx, &cy, &cw, &ch)) {
            *x += cx;
            *y += cy;
        }
    }
    return context;
}

void WindowNode::LockUpdates(bool lock)
{
    if (lock)
        ++lockCount_;
    else if (lockCount_ > 0)
        --lockCount_;
}

bool WindowNode::IsUpdateLocked(bool)
{
    return lockCount_ != 0;
}

i32 WindowNode::GetSavedBounds(int* x, int* y, int* width, int* height)
{
    GetBounds(x, y, width, height);
    return 0;
}

void WindowNode::OnMoved()
{
    if (moveCallback_ != nullptr && !destroying_)
        moveCallback_(this);
}

void WindowNode::OnResized()
{
    if (sizeCallback_ != nullptr && !destroying_)
        sizeCallback_(this);
}

int WindowNode::OnMouse(int x, int y, int event)
{
    if (mouseCallback_ == nullptr || destroying_)
        return 0;
    return mouseCallback_(this, x, y, event);
}

int WindowNode::OnKey(int code, bool down)
{
    if (keyCallback_ == nullptr || destroying_)
        return 0;
    return keyCallback_(this, code, down);
}

void WindowNode::GetBounds(int* x, int* y, int* width, int* height)
{
    if (x != nullptr)
        *x = x_;
    if (y != nullptr)
        *y = y_;
    if (width != nullptr)
        *width = width_;
    if (height != nullptr)
        *height = height_;
}

namespace {

// A negative value keeps the stored one; else the limits apply (a maximum of
// 0 or less is none).
i32 LimitedSize(int wanted, i32 stored, i32 minimum, i32 maximum)
{
    if (wanted < 0)
        return stored;
    i32 size = wanted < minimum ? minimum : wanted;
    if (maximum > 0 && size > maximum)
        size = maximum;
    return size;
}

} // namespace

void WindowNode::StorePosition(int x, int y, int width, int height, int unit, bool* moved, bool* resized)
{
    MmToPixels(&x, &y, unit);
    MmToPixels(&width, &height, unit);
    *moved = x != x_ || y != y_;
    x_ = x;
    y_ = y;
    const i32 newWidth = LimitedSize(width, width_, minWidth_, maxWidth_);
    const i32 newHeight = LimitedSize(height, height_, minHeight_, maxHeight_);
    *resized = newWidth != width_ || newHeight != height_;
    width_ = newWidth;
    height_ = newHeight;
}

bool WindowNode::SetPosition(int x, int y, int width, int height, int unit)
{
    bool moved = false, resized = false;
    StorePosition(x, y, width, height, unit, &moved, &resized);
    if (moved)
        OnMoved();
    if (resized)
        OnResized();
    return moved || resized;
}

void WindowNode::GetSizeLimits(int* minWidth, int* minHeight, int* maxWidth, int* maxHeight)
{
    if (minWidth != nullptr)
        *minWidth = minWidth_;
    if (minHeight != nullptr)
        *minHeight = minHeight_;
    if (maxWidth != nullptr)
        *maxWidth = maxWidth_;
    if (maxHeight != nullptr)
        *maxHeight = maxHeight_;
}

bool WindowNode::SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight)
{
    bool ok = true;
    int* values[] = {&minWidth, &minHeight, &maxWidth, &maxHeight};
    for (int* value : values)
        if (*value < 0) {
            *value = 0;
            ok = false;
        }
    if (maxWidth > 0 && minWidth > maxWidth)
        std::swap(minWidth, maxWidth);
    if (maxHeight > 0 && minHeight > maxHeight)
        std::swap(minHeight, maxHeight);
    minWidth_ = minWidth;
    minHeight_ = minHeight;
    maxWidth_ = maxWidth;
    maxHeight_ = maxHeight;
    const i32 width = LimitedSize(width_, width_, minWidth_, maxWidth_);
    const i32 height = LimitedSize(height_, height_, minHeight_, maxHeight_);
    if (width != width_ || height != height_)
        SetPosition(x_, y_, width, height, kUnitPixels);
    return ok;
}

bool WindowNode::IsVisible(bool withAncestors)
{
    if (!visible_)
        return false;
    if (!withAncestors)
        return true;
    for (WindowInterface* parent = GetParent(); parent != nullptr; parent = parent->GetParent()) {
        if (!parent->IsVisible(false))
            return false;
        if (dynamic_cast<TopLevelInterface*>(parent) != nullptr)
            break;
    }
    return true;
}

TopLevelInterface* WindowNode::GetTopLevel()
{
    WindowInterface* parent = GetParent();
    return parent != nullptr ? parent->GetTopLevel() : nullptr;
}

FrameInterface* WindowNode::GetFrame()
{
    TopLevelInterface* top = GetTopLevel();
    return top != nullptr ? top->GetFrame() : nullptr;
}

WindowInterface* WindowNode::FindWindowAt(int* x, int* y)
{
    if (*x < x_ || *y < y_ || *x >= x_ + width_ || *y >= y_ + height_)
        return nullptr;
    *x -= x_;
    *y -= y_;
    return this;
}

void WindowNode::SetBackground(const OptionalColor& color)
{
    if (color == background_)
        return;
    background_ = color;
    Redraw(0, 0, -1, -1);
}

bool WindowNode::GetBackground(OptionalColor* color)
{
    if (!background_.IsSet())
        return false;
    if (color != nullptr)
        *color = background_;
    return true;
}
