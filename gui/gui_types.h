// Small value types shared by the whole window layer: rectangles, optional
// colours, margins, alignments, position units and the user callbacks.
//
// Colours are ARGB (0xAARRGGBB). A GDI colour is red | green << 8 | blue << 16
// with alpha dropped; a system colour (0x00BBGGRR) becomes 0xFF000000 | RGB.
#pragma once

#include "base/types.h"

class WindowInterface;

// Four signed edges. The paint path passes rectangles with both corners
// included; the layout and GetClientRect use x, y, width, height instead.
struct Rect {
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;
};

// A colour that may be absent: unset (flag 1) means "no colour", and GDI
// objects that need one then use black.
struct OptionalColor {
    u8 unset = 1;
    u32 argb = 0xFF000000;

    static OptionalColor Of(u32 argb) { return OptionalColor{0, argb}; }
    bool IsSet() const { return unset == 0; }
    // Equal when both are unset, or both set to the same value.
    bool operator==(const OptionalColor& o) const
    {
        return unset == o.unset && (unset != 0 || argb == o.argb);
    }
};

inline u32 ArgbToColorRef(u32 argb)
{
    return ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16);
}

inline u32 ColorRefToArgb(u32 colorRef)
{
    return 0xFF000000 | ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
}

// Space kept free inside a container's client area, in pixels.
struct Margins {
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;
};

// How a container places a child (see ContainerBase::LayoutChildren).
enum Alignment : i32 {
    kAlignFree = 0,
    kAlignLeft = 1,
    kAlignRight = 2,
    kAlignTop = 3,
    kAlignBottom = 4,
    kAlignCenter = 5,
    kAlignFill = 6,
    kAlignLeftCenter = 7,
    kAlignRightCenter = 8,
    kAlignTopCenter = 9,
    kAlignBottomCenter = 10,
    kAlignTopLeft = 11,
    kAlignTopRight = 12,
    kAlignBottomLeft = 13,
    kAlignBottomRight = 14,
    kAlignLeftFit = 15,
};

// Units of SetPosition; any other value leaves the numbers as they are.
enum PositionUnit : i32 {
    kUnitPixels = 0,
    kUnitMillimetres = 1,
    kUnitTenthMillimetres = 2,
};

// Mouse events passed to OnMouse and the mouse callback.
enum MouseEvent : i32 {
    kMouseLeftDouble = 0,
    kMouseLeftDown = 1,
    kMouseLeftUp = 2,
    kMouseRightDouble = 3,
    kMouseRightDown = 4,
    kMouseRightUp = 5,
    kMouseMove = 6,
    kMouseMiddleDouble = 7,
    kMouseMiddleDown = 8,
    kMouseMiddleUp = 9,
};

// User callbacks of a window; the first argument is the window itself.
using MoveCallbackFn = void (*)(WindowInterface* window);
using SizeCallbackFn = void (*)(WindowInterface* window);
// code is the system's 8-bit key code; an answer of non-zero means "taken".
using KeyCallbackFn = int (*)(WindowInterface* window, int code, bool down);
using MouseCallbackFn = int (*)(WindowInterface* window, int x, int y, int event);

// What a LeftFit child reports from its PaintHook when asked to measure:
// the narrowest width, a middle width and its full width.
struct MeasureRecord {
    i32 value[3] = {0, 0, 0};
};
