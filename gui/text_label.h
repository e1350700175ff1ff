// TextLabel: a windowless control showing one line of text. It has no native
// window: its container's paint pass draws it into the container's drawing
// context, in its effective font, aligned by textAlign (the alignment of
// DrawTextInRect: 0 centred, 1 left, 2 top, 4 right, 8 bottom and their
// corners), embossed in grey when it or an ancestor is disabled. It paints no
// background. Changing the text or the alignment does not repaint by itself.
// Windows-only; GUI thread only.
#pragma once

#include "gui/child_control.h"
#include "gui/draw_objects.h"

class TextLabelInterface : public virtual ControlInterface {
public:
    virtual StringW& GetText() = 0;
    virtual void SetText(const StringW& text) = 0;
    virtual FontBase& LabelFont() = 0;
    virtual i32 GetTextAlign() = 0;
    virtual void SetTextAlign(i32 align) = 0;
};

class TextLabelBase : public virtual TextLabelInterface {
public:
    explicit TextLabelBase(const StringW& text) : text(text) {}

    StringW& GetText() override { return text; }
    void SetText(const StringW& t) override { text = t; }
    i32 GetTextAlign() override { return textAlign; }
    void SetTextAlign(i32 align) override { textAlign = align; }

protected:
    StringW text;
    i32 textAlign = 0;
};

class TextLabel : public TextLabelBase, public ChildControl {
public:
    TextLabel(int x, int y, int width, int height, const StringW& text, int alignment, bool visible);
    ~TextLabel() override;

    FontBase& LabelFont() override { return font; }
    bool IsWindowless() override { return true; }
    bool PaintHook(DrawContext* context, const Rect* bounds, const Rect* area, void* measure) override;
    // The label's own font when any attribute or its colour is set, else the
    // first such font of the enclosing containers; null when none.
    virtual FontInterface* GetEffectiveFont();

private:
    bool destroying = false;
    bool painting = false;
    FontBase font;
};
