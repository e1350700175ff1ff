#include "gui/text_label.h"

TextLabel::TextLabel(int x, int y, int width, int height, const StringW& text, int alignment, bool visible)
    : TextLabelBase(text), ChildControl(x, y, width, height, alignment, visible)
{
}

TextLabel::~TextLabel()
{
    destroying = true;
}

FontInterface* TextLabel::GetEffectiveFont()
{
    if (!font.IsDefault())
        return &font;
    return GetInheritedFont();
}

bool TextLabel::PaintHook(DrawContext* context, const Rect* bounds, const Rect*, void* measure)
{
    if (measure != nullptr || painting || destroying || text.IsEmpty() || context == nullptr)
        return false;
    painting = true;
    Font* contextFont = context->GetFont();
    contextFont->Assign(GetEffectiveFont());
    if (IsEnabled(true)) {
        context->DrawTextInRect(text, bounds->left, bounds->top, bounds->right, bounds->bottom, textAlign);
    } else {
        // Embossed: highlight one pixel down and right, grey text above it.
        contextFont->SetColor(GetSystemColor(this, 2));
        context->DrawTextInRect(text, bounds->left + 1, bounds->top + 1, bounds->right, bounds->bottom, textAlign);
        contextFont->SetColor(GetSystemColor(this, 1));
        context->DrawTextInRect(text, bounds->left, bounds->top, bounds->right, bounds->bottom, textAlign);
    }
    painting = false;
    return true;
}
