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

namespace {

// The colour of another description of the same family; one of another family (a test
// double of the interface) gives no colour.
template <typename Base, typename Interface>
OptionalColor ColorOf(const Interface* other)
{
    const auto* base = dynamic_cast<const Base*>(other);
    return base != nullptr ? base->Color() : OptionalColor{};
}

} // namespace

bool WriteColor(const OptionalColor& color, u32* argb)
{
    if (color.IsSet() && argb != nullptr)
        *argb = color.argb;
    return true;
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
    if (other == nullptr)
        return Reset();
    u32 style = 0;
    const bool hasStyle = other->GetStyle(&style);
    const OptionalColor color = ColorOf<FontBase>(other);
    const u32 mask = TakeStyle(hasStyle, style) | TakeKindSizeColor(other->GetKind(), other->GetSize(), color);
    if (mask != 0)
        NotifyChanged(mask);
}

u32 FontBase::TakeStyle(bool hasStyle, u32 style)
{
    const u32 mask = hasStyle != hasStyle_ || (hasStyle && style != style_) ? font_change::kStyle : 0;
    hasStyle_ = hasStyle;
    style_ = hasStyle ? style : 0;
    return mask;
}

u32 FontBase::TakeKindSizeColor(i32 kind, i32 size, const OptionalColor& color)
{
    u32 mask = 0;
    if (kind != kind_)
        mask |= font_change::kKind;
    if (size != size_)
        mask |= font_change::kSize;
    if (!(color == color_))
        mask |= font_change::kColor;
    kind_ = kind;
    size_ = size;
    color_ = color;
    return mask;
}

bool FontBase::GetStyle(u32* style) const
{
    if (hasStyle_ && style != nullptr)
        *style = style_;
    return hasStyle_;
}

void FontBase::SetStyle(const u32* style)
{
    if (TakeStyle(style != nullptr, style != nullptr ? *style : 0) != 0)
        NotifyChanged(font_change::kStyle);
}

void FontBase::SetBoldItalic(bool bold, bool italic)
{
    u32 style = hasStyle_ ? style_ : 0;
    style = (style & ~3u) | (bold ? 1u : 0u) | (italic ? 2u : 0u);
    SetStyle(&style);
}

void FontBase::SetKindSizeColor(i32 kind, i32 points, const OptionalColor& color)
{
    if (const u32 mask = TakeKindSizeColor(kind, points < 0 ? 0 : points, color); mask != 0)
        NotifyChanged(mask);
}

void FontBase::Reset()
{
    if (const u32 mask = TakeStyle(false, 0) | TakeKindSizeColor(0, 0, OptionalColor{}); mask != 0)
        NotifyChanged(mask);
}

void PenBase::Assign(const PenInterface* other)
{
    if (other == this)
        return;
    if (other == nullptr)
        return Reset();
    const OptionalColor color = ColorOf<PenBase>(other);
    SetAll(color, other->GetWidth(), other->GetKind(), other->GetMixMode());
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
    if (other == nullptr)
        return Reset();
    const OptionalColor color = ColorOf<BrushBase>(other);
    Set(other->GetKind(), color);
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
