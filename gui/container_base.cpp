#include "gui/container_base.h"

#include <algorithm>

ContainerBase::~ContainerBase()
{
    destroying_ = true;
    for (ControlInterface* child : children_)
        if (child->IsCreated())
            child->Destroy();
    while (!children_.empty()) {
        ControlInterface* child = children_.front();
        children_.erase(children_.begin());
        delete child;
    }
}

bool ContainerBase::AddChild(ControlInterface* child)
{
    if (child == nullptr || static_cast<WindowInterface*>(child) == static_cast<WindowInterface*>(this))
        return false;
    WindowInterface* parent = child->GetParent();
    if (parent == static_cast<WindowInterface*>(this))
        return IsCreated() ? child->Create() : true;
    if (parent != nullptr)
        return false;
    children_.push_back(child);
    child->SetParent(this);
    if (IsCreated() && !child->Create()) {
        RemoveChild(child);
        return false;
    }
    LayoutChildren();
    return true;
}

bool ContainerBase::RemoveChild(ControlInterface* child)
{
    const auto it = std::find(children_.begin(), children_.end(), child);
    if (child == nullptr || it == children_.end())
        return false;
    children_.erase(it);
    child->Destroy();
    child->SetParent(nullptr);
    LayoutChildren();
    return true;
}

bool ContainerBase::DeleteChild(ControlInterface* child)
{
    if (!RemoveChild(child))
        return false;
    delete child;
    return true;
}

void ContainerBase::DeleteAllChildren()
{
    std::vector<ControlInterface*> children;
    children.swap(children_);
    for (ControlInterface* child : children) {
        child->Destroy();
        child->SetParent(nullptr);
        delete child;
    }
    LayoutChildren();
}

ControlInterface* ContainerBase::GetChild(int index)
{
    if (index < 0 || index >= GetChildCount())
        return nullptr;
    return children_[static_cast<size_t>(index)];
}

ControlInterface* ContainerBase::ChildAt(int x, int y)
{
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        ControlInterface* child = *it;
        if (!child->IsVisible(false))
            continue;
        int cx = 0, cy = 0, cw = 0, ch = 0;
        child->GetBounds(&cx, &cy, &cw, &ch);
        if (x >= cx && x < cx + cw && y >= cy && y < cy + ch)
            return child;
    }
    return nullptr;
}

void ContainerBase::SetMargins(const Margins& margins)
{
    if (margins.left == margins_.left && margins.top == margins_.top && margins.right == margins_.right &&
        margins.bottom == margins_.bottom)
        return;
    margins_ = margins;
    LayoutChildren();
}

void ContainerBase::NotifyParent(int value)
{
    if (auto* parent = dynamic_cast<ContainerInterface*>(GetParent()))
        parent->NotifyParent(value);
}

WindowInterface* ContainerBase::FindWindowAt(int* x, int* y)
{
    int bx = 0, by = 0, bw = 0, bh = 0;
    GetBounds(&bx, &by, &bw, &bh);
    if (!IsVisible(false) || *x < bx || *y < by || *x >= bx + bw || *y >= by + bh)
        return nullptr;
    *x -= bx;
    *y -= by;
    if (children_.empty())
        return this;
    int cx = 0, cy = 0, cw = 0, ch = 0;
    if (GetClientRect(&cx, &cy, &cw, &ch)) {
        *x -= cx;
        *y -= cy;
    }
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        ControlInterface* child = *it;
        int kx = 0, ky = 0, kw = 0, kh = 0;
        child->GetBounds(&kx, &ky, &kw, &kh);
        if (!child->IsVisible(false) || *x < kx || *y < ky || *x >= kx + kw || *y >= ky + kh)
            continue;
        int px = *x, py = *y;
        if (WindowInterface* found = child->FindWindowAt(&px, &py)) {
            *x = px;
            *y = py;
            return found;
        }
    }
    return this;
}

void ContainerInterface::RefreshChildren()
{
    for (int i = 0; i < GetChildCount(); ++i)
        if (ControlInterface* child = GetChild(i))
            child->Refresh();
}
