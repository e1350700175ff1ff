#include "gui/control_base.h"

#include "gui/draw_objects.h"

void ControlBase::SetParent(ContainerInterface* parent)
{
    if (!IsCreated())
        parent_ = parent;
}

void ControlBase::ReapplyBounds(ContainerInterface*)
{
    int x = 0, y = 0, w = 0, h = 0;
    GetBounds(&x, &y, &w, &h);
    SetPosition(x, y, w, h, kUnitPixels);
}

Font* ControlBase::GetInheritedFont()
{
    for (ContainerInterface* container = parent_; container != nullptr;
         container = dynamic_cast<ContainerInterface*>(container->GetParent())) {
        Font* font = container->GetFont();
        if (font != nullptr && !font->IsDefault())
            return font;
        if (dynamic_cast<TopLevelInterface*>(container) != nullptr)
            break;
    }
    return nullptr;
}

namespace {

bool TakesNoGroup(int alignment)
{
    return alignment == kAlignFree || alignment == kAlignCenter || alignment == kAlignFill;
}

} // namespace

void ControlBase::SetAlignment(int alignment)
{
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    if (TakesNoGroup(alignment))
        hideGroup_ = 0;
    LayoutParent();
}

void ControlBase::SetHideGroup(int group)
{
    if (group == hideGroup_ || (group != 0 && TakesNoGroup(alignment_)))
        return;
    hideGroup_ = group;
    LayoutParent();
}

bool ControlBase::IsEnabled(bool withAncestors)
{
    if (!enabled_)
        return false;
    if (!withAncestors)
        return true;
    for (WindowInterface* ancestor = GetParent(); ancestor != nullptr; ancestor = ancestor->GetParent()) {
        if (dynamic_cast<TopLevelInterface*>(ancestor) != nullptr)
            break;
        if (auto* control = dynamic_cast<ControlInterface*>(ancestor); control != nullptr && !control->IsEnabled(false))
            return false;
    }
    return true;
}

WindowInterface* ControlBase::GetParent()
{
    return parent_;
}

void ControlBase::LayoutParent()
{
    if (parent_ != nullptr)
        parent_->LayoutChildren();
}
