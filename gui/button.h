// Button: the framework's push button, a native "BUTTON" in owner-drawn style
// whose face is painted here (DrawFace, on WM_DRAWITEM):
//   classic look   DrawFrameControl push button, sunken while pressed or checked
//   hot-track look flat; a raised frame while the mouse is over it, a sunken
//                  one when pressed or checked, a checkerboard fill when
//                  checked and the mouse is away
//   content        image (transparent where it equals its top-left pixel),
//                  then one average character of gap, then the caption, the
//                  group centred and shifted by one pixel when pressed;
//                  embossed grey when disabled
// A left-button press (or Space key-down with the focus) followed by a
// release (key-up) is a click, wherever the release happens. A button that is
// not focusable never keeps the keyboard focus. Windows-only; GUI thread only.
#pragma once

#include "base/palette_image.h"
#include "gui/button_base.h"
#include "gui/child_control.h"

class Button : public ButtonBase, public ChildControl {
public:
    Button(const ControlBounds& bounds, const StringW& text, i32 command, int alignment, bool visible, int unit);
    ~Button() override;

    void SetText(const StringW& text) override;
    void SetImage(ImageBase* image) override;
    Font* GetFont() override;
    void Redraw() override { ButtonBase::Redraw(); }
    void Redraw(int x, int y, int width, int height) override { ChildControl::Redraw(x, y, width, height); }

    bool Create() override;
    bool PaintHook(DrawContext* context, const Rect* bounds, const Rect* area, void* measure) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void OnClick();
    // The own font when it has an attribute set, else the first such font of
    // the enclosing containers; null when none.
    virtual Font* GetEffectiveFont();

    const Image1Bpp& GetMask() const { return mask; }
    int GetHoverState() const { return hoverState; }

private:
    void DrawFace(const DRAWITEMSTRUCT& item);
    void RebuildMask();

    bool destroying = false;
    bool painting = false;
    bool pressed = false;
    i32 hoverState = 0;  // 0 no mouse event yet, 1 inside (leave tracked), -1 left
    Image1Bpp mask;
    DrawContext fontContext;
};
