// ContainerBase: the child list, margins and layout of a container.
//
// A container owns its children: its destructor destroys the created ones
// and deletes them all. Children are laid out (LayoutChildren) whenever one
// is added or removed, an alignment, hide group or the margins change, an
// aligned control is shown or hidden, and when a native window moves or is
// resized. Placement, in list order, against the edges of what is left of
// the client area (L, T, R, B; W, H its size; w, h the child's):
//   Free         keeps its bounds (first pass only)
//   Left, Right  (L, T) / (R - w, T), w by H        consume width
//   Top, Bottom  (L, T) / (L, B - h), W by h        consume height
//   Center       centred in the whole client area (first pass only)
//   Fill         what is left, after the others
//   LeftCenter, RightCenter, TopCenter, BottomCenter, TopLeft, TopRight,
//   BottomLeft, BottomRight: own size at that edge or corner
//   LeftFit      (L, T), height H, width measured from its PaintHook
// When the children do not fit, hide groups 1 to 4 are hidden one at a time
// (phases 0, 3, 6, 7) and LeftFit children narrowed (phases 2, 4, 5); the
// next layout's first pass shows the hidden groups again.
//
// A LeftFit child's floor width is its minimum width limit and its starting
// width the width it has when the layout begins; its PaintHook, given a
// MeasureRecord, writes its narrowest width to value[0] and its full width
// to value[2].
#pragma once

#include <vector>

#include "gui/window_node.h"

class ContainerBase : public virtual ContainerInterface, public virtual WindowNode {
public:
    ContainerBase() = default;
    ~ContainerBase() override;

    bool AddChild(ControlInterface* child) override;
    bool RemoveChild(ControlInterface* child) override;
    bool DeleteChild(ControlInterface* child) override;
    void DeleteAllChildren() override;
    int GetChildCount() override { return static_cast<int>(children_.size()); }
    ControlInterface* GetChild(int index) override;
    void LayoutChildren() override;
    ControlInterface* ChildAt(int x, int y) override;
    void SetMargins(const Margins& margins) override;
    const Margins& GetMargins() const { return margins_; }
    void NotifyParent(int value) override;
    WindowInterface* FindWindowAt(int* x, int* y) override;

protected:
    bool IsContainerDestroying() const { return destroying_; }

private:
    struct LayoutPass;
    void PlaceChildren(LayoutPass& pass, int phase);
    void PlaceLeftFit(LayoutPass& pass, ControlInterface* child, int phase);

    std::vector<ControlInterface*> children_;
    bool layoutBusy_ = false;
    bool destroying_ = false;
    Margins margins_;
};
