// Font, pen and brush descriptions with change notification.
//
// Each is a plain description (FontBase, PenBase, BrushBase) that tells its
// listener, the drawing context owning it, what changed as a bit mask. The
// concrete Font, Pen and Brush also cache the GDI object made from the
// description: the drawing context makes it on first selection and counts
// the contexts holding it selected. A change that needs a new GDI object
// deletes the old one at once when no context holds it, else it stays
// pending until the last context deselects it (the context then calls
// NotifyChanged with the pending mask again). A font colour change or a pen
// mix-mode change never needs a new object.
//
// Masks: font 1 kind, 2 style, 4 size, 8 colour; pen 1 kind, 2 width,
// 4 colour, 8 mix mode; brush 1 kind, 2 colour.
// Font kinds: 0 default, 1 "Arial", 2 "Courier New", 3 "Times New Roman",
// 4 "Microsoft Sans Serif". Pen kinds: 0 default, 1 solid, 2 dotted; mix
// modes 1 copy, 2 exclusive or. Brush kinds: 0 default, 1 solid, 2 hollow.
#pragma once

#include "gui/gui_types.h"

class DrawContextInterface;

// Deletes one cached GDI object; installed by the drawing context that makes
// them (null: nothing was ever made).
using GdiObjectDeleter = void (*)(void* object);
extern GdiObjectDeleter gdiObjectDeleter;

// The cached GDI object of a font, pen or brush.
struct GdiHandleCache {
    void* handle = nullptr;
    i32 useCount = 0;         // contexts that have it selected
    u32 pendingMask = 0;      // change waiting for useCount to reach 0

    // A change that needs a new object: whether the listener must hear it.
    bool Change(u32 mask);
    void Release();
};

// The GetColor of a description: answers true; writes the colour only when one is set.
bool WriteColor(const OptionalColor& color, u32* argb);

namespace font_change {
inline constexpr u32 kKind = 1, kStyle = 2, kSize = 4, kColor = 8;
}
namespace pen_change {
inline constexpr u32 kKind = 1, kWidth = 2, kColor = 4, kMixMode = 8;
}
namespace brush_change {
inline constexpr u32 kKind = 1, kColor = 2;
}

class FontInterface {
public:
    virtual void NotifyChanged(u32 mask);
    virtual ~FontInterface() = default;
    // Null resets.
    virtual void Assign(const FontInterface* other) = 0;
    virtual i32 GetKind() const = 0;
    virtual void SetKind(i32 kind) = 0;
    virtual i32 GetSize() const = 0;
    virtual void SetSize(i32 points) = 0;
    // Answers whether a style is set; writes it only then.
    virtual bool GetStyle(u32* style) const = 0;
    virtual void SetStyle(const u32* style) = 0;
    virtual void SetBoldItalic(bool bold, bool italic) = 0;
    // Answers true; writes the colour only when one is set.
    virtual bool GetColor(u32* argb) const = 0;
    virtual void SetColor(const OptionalColor& color) = 0;
    virtual void SetKindAndSize(i32 kind, i32 points) = 0;
    virtual void SetKindSizeColor(i32 kind, i32 points, const OptionalColor& color) = 0;
    virtual bool IsDefault() const = 0;
    virtual void Reset() = 0;

    DrawContextInterface* listener = nullptr;
};

class FontBase : public FontInterface {
public:
    void Assign(const FontInterface* other) override;
    i32 GetKind() const override { return kind_; }
    void SetKind(i32 kind) override { SetKindSizeColor(kind, size_, color_); }
    i32 GetSize() const override { return size_; }
    void SetSize(i32 points) override { SetKindSizeColor(kind_, points, color_); }
    bool GetStyle(u32* style) const override;
    void SetStyle(const u32* style) override;
    void SetBoldItalic(bool bold, bool italic) override;
    bool GetColor(u32* argb) const override { return WriteColor(color_, argb); }
    void SetColor(const OptionalColor& color) override { SetKindSizeColor(kind_, size_, color); }
    void SetKindAndSize(i32 kind, i32 points) override { SetKindSizeColor(kind, points, color_); }
    void SetKindSizeColor(i32 kind, i32 points, const OptionalColor& color) override;
    // Kind, size and style all 0, and no colour.
    bool IsDefault() const override { return IsDefaultShape() && !color_.IsSet(); }
    void Reset() override;

    // Kind, size and style all 0: selecting it changes nothing in the DC.
    bool IsDefaultShape() const { return kind_ == 0 && size_ == 0 && !hasStyle_; }
    const OptionalColor& Color() const { return color_; }
    // The kind as used: outside 1..4 counts as 0.
    i32 FaceKind() const { return kind_ >= 1 && kind_ <= 4 ? kind_ : 0; }

private:
    // Store a part of the description; answer the change mask of what differed.
    u32 TakeStyle(bool hasStyle, u32 style);
    u32 TakeKindSizeColor(i32 kind, i32 size, const OptionalColor& color);

    i32 kind_ = 0;
    i32 size_ = 0;
    u32 style_ = 0;   // bit 0 bold, bit 1 italic
    bool hasStyle_ = false;
    OptionalColor color_;
};

class Font : public FontBase {
public:
    ~Font() override { cache.Release(); }
    void NotifyChanged(u32 mask) override;

    GdiHandleCache cache;
};

class PenInterface {
public:
    virtual void NotifyChanged(u32 mask);
    virtual ~PenInterface() = default;
    virtual void Assign(const PenInterface* other) = 0;
    virtual i32 GetKind() const = 0;
    virtual void SetKind(i32 kind) = 0;
    virtual i32 GetMixMode() const = 0;
    virtual void SetMixMode(i32 mode) = 0;
    virtual i32 GetWidth() const = 0;
    virtual void SetWidth(i32 width) = 0;
    virtual bool GetColor(u32* argb) const = 0;
    virtual void SetColor(const OptionalColor& color) = 0;
    virtual void SetAll(const OptionalColor& color, i32 width, i32 kind, i32 mixMode) = 0;
    virtual bool IsDefault() const = 0;
    virtual void Reset() = 0;

    DrawContextInterface* listener = nullptr;
};

class PenBase : public PenInterface {
public:
    void Assign(const PenInterface* other) override;
    i32 GetKind() const override { return kind_; }
    void SetKind(i32 kind) override { SetAll(color_, width_, kind, mixMode_); }
    i32 GetMixMode() const override { return mixMode_; }
    void SetMixMode(i32 mode) override { SetAll(color_, width_, kind_, mode); }
    i32 GetWidth() const override { return width_; }
    void SetWidth(i32 width) override { SetAll(color_, width, kind_, mixMode_); }
    bool GetColor(u32* argb) const override { return WriteColor(color_, argb); }
    void SetColor(const OptionalColor& color) override { SetAll(color, width_, kind_, mixMode_); }
    void SetAll(const OptionalColor& color, i32 width, i32 kind, i32 mixMode) override;
    bool IsDefault() const override { return kind_ == 0 && mixMode_ == 0 && width_ == 0 && !color_.IsSet(); }
    void Reset() override { SetAll(OptionalColor{}, 0, 0, 0); }

    const OptionalColor& Color() const { return color_; }

private:
    i32 kind_ = 0;
    i32 mixMode_ = 0;
    i32 width_ = 0;
    OptionalColor color_;
};

class Pen : public PenBase {
public:
    ~Pen() override { cache.Release(); }
    void NotifyChanged(u32 mask) override;

    GdiHandleCache cache;
};

class BrushInterface {
public:
    virtual void NotifyChanged(u32 mask);
    virtual ~BrushInterface() = default;
    virtual void Assign(const BrushInterface* other) = 0;
    virtual i32 GetKind() const = 0;
    virtual void SetKind(i32 kind) = 0;
    virtual bool GetColor(u32* argb) const = 0;
    virtual void SetColor(const OptionalColor& color) = 0;
    // Kind 1 with that colour.
    virtual void SetSolid(const OptionalColor& color) = 0;
    virtual bool IsDefault() const = 0;
    virtual void Reset() = 0;

    DrawContextInterface* listener = nullptr;
};

class BrushBase : public BrushInterface {
public:
    void Assign(const BrushInterface* other) override;
    i32 GetKind() const override { return kind_; }
    void SetKind(i32 kind) override { Set(kind, color_); }
    bool GetColor(u32* argb) const override { return WriteColor(color_, argb); }
    void SetColor(const OptionalColor& color) override { Set(kind_, color); }
    void SetSolid(const OptionalColor& color) override { Set(1, color); }
    bool IsDefault() const override { return kind_ == 0 && !color_.IsSet(); }
    void Reset() override { Set(0, OptionalColor{}); }

    const OptionalColor& Color() const { return color_; }

private:
    void Set(i32 kind, const OptionalColor& color);

    i32 kind_ = 0;
    OptionalColor color_;
};

class Brush : public BrushBase {
public:
    ~Brush() override { cache.Release(); }
    void NotifyChanged(u32 mask) override;

    GdiHandleCache cache;
};
