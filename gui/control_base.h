// ControlBase: what a child control holds besides its window state: the
// parent container, its alignment and hide group (ContainerBase), the
// enabled flag and the tooltip text. The native side (enabling the native
// window, the tooltip window) belongs to the concrete control.
#pragma once

#include "gui/window_node.h"

class ControlBase : public virtual ControlInterface, public virtual WindowNode {
public:
    ControlBase() = default;

    void SetParent(ContainerInterface* parent) override;
    void Refresh() override {}
    bool IsWindowlessControl() override { return IsWindowless(); }
    void ReapplyBounds(ContainerInterface* parent) override;
    Font* GetInheritedFont() override;
    int GetAlignment() override { return alignment_; }
    // Drops the hide group for Free, Center and Fill; the parent lays out.
    void SetAlignment(int alignment) override;
    int GetHideGroup() override { return hideGroup_; }
    // Refused (no change) for a group while the alignment is Free, Center or Fill.
    void SetHideGroup(int group) override;
    bool IsEnabled(bool withAncestors) override;
    void SetEnabled(bool enable) override { enabled_ = enable; }
    StringW& Tooltip() override { return tooltip_; }
    void SetTooltip(const StringW& text) override { tooltip_ = text; }
    WindowInterface* GetParent() override;
    ContainerInterface* GetParentContainer() const { return parent_; }

private:
    void LayoutParent();

    ContainerInterface* parent_ = nullptr;
    i32 alignment_ = kAlignFree;
    i32 hideGroup_ = 0;
    bool enabled_ = true;
    StringW tooltip_;
};
