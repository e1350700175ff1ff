// ContainerControl: a child control that is also a container (the base of
// the panel). Its native control is made and bound as a ChildControl; only
// when that succeeds are its own children created and laid out, as in any
// Window. Moving or resizing lays the children out before the callbacks; a
// refresh or a change of the enabled state reaches the children.
// Windows-only; GUI thread only.
#pragma once

#include "gui/child_control.h"
#include "gui/window.h"

class ContainerControlBase : public virtual ContainerControlInterface {};

class ContainerControl : public ContainerControlBase, public Window, public ChildControl {
public:
    ContainerControl(int x, int y, int width, int height, int alignment, bool visible)
        : ChildControl(x, y, width, height, alignment, visible)
    {
    }
    ContainerControl(const ControlBounds& bounds, int alignment, bool visible, int unit)
        : ChildControl(bounds, alignment, visible, unit)
    {
    }

    // Binds the native control the concrete class made, then creates the children.
    bool Create() override;
    void Destroy() override;
    void OnMoved() override { Window::OnMoved(); }
    void OnResized() override { Window::OnResized(); }
    bool GetClientRect(int* x, int* y, int* width, int* height) override
    {
        return Window::GetClientRect(x, y, width, height);
    }
    void Refresh() override { RefreshChildren(); }
    void SetEnabled(bool enable) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    DrawContext* OwnDrawContext() override { return Window::OwnDrawContext(); }
};
