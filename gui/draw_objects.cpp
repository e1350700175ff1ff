#include "gui/draw_objects.h"

#include "gui/draw_context.h"

GdiObjectDeleter gdiObjectDeleter = nullptr;

bool GdiHandleCache::Change(u32 mask)
{
    if (handle == nullptr)
        return true;
    if (useCount != 0) {
        pendingMask = mask;
        return true;
    }
    Release();
    return false;
}

void GdiHandleCache::Release()
{
    if (handle != nullptr && gdiObjectDeleter != nullptr)
        gdiObjectDeleter(handle);
    handle = nullptr;
    pendingMask = 0;
}

void FontInterface::NotifyChanged(u32 mask)
{
    if (listener != nullptr)
        listener->FontChanged(mask);
}

void PenInterface::NotifyChanged(u32 mask)
{
    if (listener != nullptr)
        listener->PenChanged(mask);
}

void BrushInterface::NotifyChanged(u32 mask)
{
    if (listener != nullptr)
        listener->BrushChanged(mask);
}

void Font::NotifyChanged(u32 mask)
{
    if (mask == font_change::kColor || cache.Change(mask))
        FontInterface::NotifyChanged(mask);
}

void Pen::NotifyChanged(u32 mask)
{
    if (mask == pen_change::kMixMode || cache.Change(mask))
        PenInterface::NotifyChanged(mask);
}

void Brush::NotifyChanged(u32 mask)
{
    if (cache.Change(mask))
        BrushInterface::NotifyChanged(mask);
}

void FontBase::Assign(const FontInterface* other)
{
    if (other == this)
        return;
    if (other == nullptr) {
        Reset();
        return;
    }
    u32 style = 0;
    const bool hasStyle = other->GetStyle(&style);
    u32 argb = 0;
    other->GetColor(&argb);
    OptionalColor color;
    if (const auto* base = dynamic_cast<const FontBase*>(other))
        color = base->Color();
    u32 mask = 0;
    if (hasStyle != hasStyle_ || (hasStyle && style != style_))
        mask |= font_change::kStyle;
    hasStyle_ = hasStyle;
    style_ = hasStyle ? style : 0;
    const i32 kind = other->GetKind(), size = other->GetSize();
    if (kind != kind_)
        mask |= font_change::kKind;
    if (size != size_)
        mask |= font_change::kSize;
    if (!(color == color_))
        mask |= font_change::kColor;
    kind_ = kind;
    size_ = size;
    color_ = color;
    if (mask != 0)
        NotifyChanged(mask);
}

bool FontBase::GetStyle(u32* style) const
{
    if (hasStyle_ && style != nullptr)
        *style = style_;
    return hasStyle_;
}

void FontBase::SetStyle(const u32* style)
{
    if (style == nullptr) {
        if (!hasStyle_)
            return;
        hasStyle_ = false;
        style_ = 0;
    } else {
        if (hasStyle_ && style_ == *style)
            return;
        hasStyle_ = true;
        style_ = *style;
    }
    NotifyChanged(font_change::kStyle);
}

void FontBase::SetBoldItalic(bool bold, bool italic)
{
    u32 style = hasStyle_ ? style_ : 0;
    style = (style & ~3u) | (bold ? 1u : 0u) | (italic ? 2u : 0u);
    SetStyle(&style);
}

bool FontBase::GetColor(u32* argb) const
{
    if (color_.IsSet() && argb != nullptr)
        *argb = color_.argb;
    return true;
}

void FontBase::SetKindSizeColor(i32 kind, i32 points, const OptionalColor& color)
{
    if (points < 0)
        points = 0;
    u32 mask = 0;
    if (kind != kind_)
        mask |= font_change::kKind;
    if (points != size_)
        mask |= font_change::kSize;
    if (!(color == color_))
        mask |= font_change::kColor;
    kind_ = kind;
    size_ = points;
    color_ = color;
    if (mask != 0)
        NotifyChanged(mask);
}

void FontBase::Reset()
{
    u32 mask = 0;
    if (hasStyle_)
        mask |= font_change::kStyle;
    hasStyle_ = false;
    style_ = 0;
    if (kind_ != 0)
        mask |= font_change::kKind;
    if (size_ != 0)
        mask |= font_change::kSize;
    if (color_.IsSet())
        mask |= font_change::kColor;
    kind_ = 0;
    size_ = 0;
    color_ = OptionalColor{};
    if (mask != 0)
        NotifyChanged(mask);
}

void PenBase::Assign(const PenInterface* other)
{
    if (other == this)
        return;
    if (other == nullptr) {
        Reset();
        return;
    }
    OptionalColor color;
    if (const auto* base = dynamic_cast<const PenBase*>(other))
        color = base->Color();
    SetAll(color, other->GetWidth(), other->GetKind(), other->GetMixMode());
}

bool PenBase::GetColor(u32* argb) const
{
    if (color_.IsSet() && argb != nullptr)
        *argb = color_.argb;
    return true;
}

void PenBase::SetAll(const OptionalColor& color, i32 width, i32 kind, i32 mixMode)
{
    if (width < 0)
        width = 0;
    u32 mask = 0;
    if (kind != kind_)
        mask |= pen_change::kKind;
    if (width != width_)
        mask |= pen_change::kWidth;
    if (!(color == color_))
        mask |= pen_change::kColor;
    if (mixMode != mixMode_)
        mask |= pen_change::kMixMode;
    kind_ = kind;
    width_ = width;
    color_ = color;
    mixMode_ = mixMode;
    if (mask != 0)
        NotifyChanged(mask);
}

void BrushBase::Assign(const BrushInterface* other)
{
    if (other == this)
        return;
    if (other == nullptr) {
        Reset();
        return;
    }
    OptionalColor color;
    if (const auto* base = dynamic_cast<const BrushBase*>(other))
        color = base->Color();
    Set(other->GetKind(), color);
}

bool BrushBase::GetColor(u32* argb) const
{
    if (color_.IsSet() && argb != nullptr)
        *argb = color_.argb;
    return true;
}

void BrushBase::Set(i32 kind, const OptionalColor& color)
{
    u32 mask = 0;
    if (kind != kind_)
        mask |= brush_change::kKind;
    if (!(color == color_))
        mask |= brush_change::kColor;
    kind_ = kind;
    color_ = color;
    if (mask != 0)
        NotifyChanged(mask);
}
