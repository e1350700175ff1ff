// Panel: a container control on a native "STATIC" window that paints its face
// in the button-face colour and can draw a Win32 edge on any of its sides:
//   border style 0 none, 1 raised, 2 sunken, 3 etched, 4 bump
// Any non-zero style narrows the client area (where the children are laid
// out) by 2 pixels on every side that carries the edge. The main window's
// toolbar is a panel; a 2-pixel panel with only its left edge is a separator.
// Windows-only; GUI thread only.
#pragma once

#include "gui/container_control.h"

class PanelInterface : public virtual ContainerControlInterface {
public:
    virtual i32 GetBorderStyle() = 0;
    virtual void SetBorderStyle(i32 style) = 0;
    virtual void SetBorderEdges(bool left, bool top, bool right, bool bottom) = 0;
};

class PanelBase : public virtual PanelInterface {
public:
    i32 GetBorderStyle() override { return borderStyle; }
    void SetBorderStyle(i32 style) override { borderStyle = style; }
    void SetBorderEdges(bool left, bool top, bool right, bool bottom) override
    {
        edgeLeft = left, edgeTop = top, edgeRight = right, edgeBottom = bottom;
    }

protected:
    i32 borderStyle = 0;
    bool edgeLeft = true;
    bool edgeTop = true;
    bool edgeRight = true;
    bool edgeBottom = true;
};

class Panel : public PanelBase, public ContainerControl {
public:
    Panel(int x, int y, int width, int height, int alignment, i32 borderStyle, bool visible);
    Panel(const ControlBounds& bounds, int alignment, i32 borderStyle, bool visible, int unit);
    ~Panel() override;

    void SetBorderStyle(i32 style) override;
    void SetBorderEdges(bool left, bool top, bool right, bool bottom) override;
    bool Create() override;
    bool PaintHook(DrawContext* context, const Rect* bounds, const Rect* area, void* measure) override;
    bool GetClientRect(int* x, int* y, int* width, int* height) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool painting = false;
    bool destroying = false;
};
