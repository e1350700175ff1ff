// ContainerBase::LayoutChildren: docking by alignment, then hide groups and
// LeftFit narrowing while the children do not fit.
#include <algorithm>

#include "gui/container_base.h"

struct ContainerBase::LayoutPass {
    int clientWidth = 0, clientHeight = 0;
    DrawContext* context = nullptr;
    Rect measuring;              // cleared rectangle given to a measuring PaintHook
    bool groupSeen[5] = {};      // hide groups met in the first pass
    bool measured = false;       // a LeftFit child answered its measuring PaintHook
    int shrink = 0;              // width the LeftFit children are asked to give up
    int left = 0, top = 0, right = 0, bottom = 0, width = 0, height = 0;
};

namespace {

bool NeverHidden(int alignment)
{
    return alignment == kAlignFree || alignment == kAlignCenter || alignment == kAlignFill;
}

// The group each hiding phase hides, 0 for the other phases.
int GroupOfPhase(int phase)
{
    switch (phase) {
    case 0: return 1;
    case 3: return 2;
    case 6: return 3;
    case 7: return 4;
    default: return 0;
    }
}

} // namespace

void ContainerBase::PlaceLeftFit(LayoutPass& pass, ControlInterface* child, int phase)
{
    int x = 0, y = 0, w = 0, h = 0;
    child->GetBounds(&x, &y, &w, &h);
    int floor = 0, unused = 0;
    child->GetSizeLimits(&floor, &unused, &unused, &unused);
    int width = w;
    if ((phase == -1 || pass.shrink > 0) && pass.context != nullptr) {
        MeasureRecord record;
        if (child->PaintHook(pass.context, &pass.measuring, &pass.measuring, &record)) {
            pass.measured = true;
            if (phase == -1)
                width = std::max(w, record.value[2]);
            else if (phase <= 3)
                width = record.value[2];
            else
                width = record.value[0];
        }
    }
    child->SetPosition(pass.left, pass.top, std::max(width, floor), pass.height, kUnitPixels);
    int after = 0;
    child->GetBounds(nullptr, nullptr, &after, nullptr);
    pass.shrink += after - w;
}

void ContainerBase::PlaceChildren(LayoutPass& pass, int phase)
{
    pass.left = pass.top = 0;
    pass.width = pass.right = pass.clientWidth;
    pass.height = pass.bottom = pass.clientHeight;
    int fillCount = 0;
    ControlInterface* fillChild = nullptr;
    // How a placed child uses up the remaining area.
    enum Consume { kNothing, kFromLeft, kFromRight, kFromTop, kFromBottom };
    for (ControlInterface* child : children_) {
        if (child == nullptr)
            continue;
        const int alignment = child->GetAlignment();
        if (phase == -1) {
            const int group = child->GetHideGroup();
            if (group >= 1 && group <= 4 && !NeverHidden(alignment)) {
                child->Show(true);
                pass.groupSeen[group] = true;
            }
        }
        if (!child->IsVisible(false))
            continue;
        int x = 0, y = 0, w = 0, h = 0;
        child->GetBounds(&x, &y, &w, &h);
        const int L = pass.left, T = pass.top, R = pass.right, B = pass.bottom, W = pass.width, H = pass.height;
        Consume consume = kNothing;
        switch (alignment) {
        case kAlignFree:
            if (phase == -1)
                child->ReapplyBounds(this);
            break;
        case kAlignCenter:
            if (phase == -1)
                child->SetPosition((pass.clientWidth - w) / 2, (pass.clientHeight - h) / 2, w, h, kUnitPixels);
            break;
        case kAlignFill:
            ++fillCount;
            fillChild = child;
            break;
        case kAlignLeft: child->SetPosition(L, T, w, H, kUnitPixels); consume = kFromLeft; break;
        case kAlignRight: child->SetPosition(R - w, T, w, H, kUnitPixels); consume = kFromRight; break;
        case kAlignTop: child->SetPosition(L, T, W, h, kUnitPixels); consume = kFromTop; break;
        case kAlignBottom: child->SetPosition(L, B - h, W, h, kUnitPixels); consume = kFromBottom; break;
        case kAlignLeftCenter: child->SetPosition(L, T + (H - h) / 2, w, h, kUnitPixels); consume = kFromLeft; break;
        case kAlignRightCenter: child->SetPosition(R - w, T + (H - h) / 2, w, h, kUnitPixels); consume = kFromRight; break;
        case kAlignTopCenter: child->SetPosition(L + (W - w) / 2, T, w, h, kUnitPixels); consume = kFromTop; break;
        case kAlignBottomCenter: child->SetPosition(L + (W - w) / 2, B - h, w, h, kUnitPixels); consume = kFromBottom; break;
        case kAlignTopLeft: child->SetPosition(L, T, w, h, kUnitPixels); consume = kFromLeft; break;
        case kAlignTopRight: child->SetPosition(R - w, T, w, h, kUnitPixels); consume = kFromRight; break;
        case kAlignBottomLeft: child->SetPosition(L, B - h, w, h, kUnitPixels); consume = kFromLeft; break;
        case kAlignBottomRight: child->SetPosition(R - w, B - h, w, h, kUnitPixels); consume = kFromRight; break;
        case kAlignLeftFit: PlaceLeftFit(pass, child, phase); consume = kFromLeft; break;
        default: break;
        }
        child->GetBounds(&x, &y, &w, &h);
        switch (consume) {
        case kFromLeft: pass.left += w; pass.width = std::max(0, pass.width - w); break;
        case kFromRight: pass.right -= w; pass.width = std::max(0, pass.width - w); break;
        case kFromTop: pass.top += h; pass.height = std::max(0, pass.height - h); break;
        case kFromBottom: pass.bottom -= h; pass.height = std::max(0, pass.height - h); break;
        case kNothing: break;
        }
    }
    const auto fill = [&pass](ControlInterface* child) {
        child->SetPosition(pass.left, pass.top, pass.width, pass.height, kUnitPixels);
        int w = 0, h = 0;
        child->GetBounds(nullptr, nullptr, &w, &h);
        pass.right -= w;
        pass.bottom -= h;
    };
    if (fillCount == 1) {
        fill(fillChild);
    } else if (fillCount > 1) {
        int placed = 0;
        for (ControlInterface* child : children_)
            if (placed < fillCount && child != nullptr && child->GetAlignment() == kAlignFill &&
                child->IsVisible(false)) {
                fill(child);
                ++placed;
            }
    }
}

void ContainerBase::LayoutChildren()
{
    if (destroying_ || layoutBusy_)
        return;
    layoutBusy_ = true;
    LayoutPass pass;
    int cx = 0, cy = 0;
    if (!GetClientRect(&cx, &cy, &pass.clientWidth, &pass.clientHeight)) {
        layoutBusy_ = false;
        return;
    }
    const int count = GetChildCount();
    int ox = 0, oy = 0;
    pass.context = GetDrawContext(&ox, &oy);
    LockUpdates(true);
    for (int i = 0; i < count; ++i)
        if (ControlInterface* child = GetChild(i))
            child->LockUpdates(true);

    int phase = -1;
    PlaceChildren(pass, phase);
    while (pass.left > pass.right || pass.top > pass.bottom) {
        if (phase == 7)
            break;
        ++phase;
        if (const int group = GroupOfPhase(phase)) {
            if (!pass.groupSeen[group])
                continue;
            bool hidden = false;
            for (ControlInterface* child : children_)
                if (child != nullptr && child->GetHideGroup() == group && child->IsVisible(false) &&
                    !NeverHidden(child->GetAlignment())) {
                    child->Show(false);
                    hidden = true;
                }
            if (hidden) {
                pass.shrink = 0;
                PlaceChildren(pass, phase);
            }
            continue;
        }
        if (phase != 1 && pass.left > pass.right && pass.measured) {
            pass.shrink = pass.left - pass.right;
            PlaceChildren(pass, phase);
            continue;
        }
        if ((phase == 4 || phase == 5) && !pass.groupSeen[3] && !pass.groupSeen[4])
            break;
    }

    for (int i = 0; i < count; ++i)
        if (ControlInterface* child = GetChild(i))
            child->LockUpdates(false);
    LockUpdates(false);
    layoutBusy_ = false;
}
