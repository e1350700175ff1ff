// Where a frame lands in the emulation window: the largest rectangle of the frame's
// aspect ratio that fits the client area, centred, with border bands on the two sides it
// does not fill. Both window renderers place their picture with it, so a frame looks the
// same whichever one draws it.
#pragma once

#include "base/types.h"

// A window's client area or a part of it, in pixels; right and bottom are exclusive.
struct OutputRect {
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;

    i32 Width() const { return right - left; }
    i32 Height() const { return bottom - top; }
    bool operator==(const OutputRect&) const = default;
};

struct AspectFit {
    OutputRect destination;  // where the whole frame is stretched to
    i32 sourceWidth = 0;     // the frame's size corrected to the aspect ratio: the
    i32 sourceHeight = 0;    //   destination keeps these proportions
    double scaleX = 1.0;     // window pixels to source pixels (1.0 for an empty side)
    double scaleY = 1.0;
};

// Fits a width x height frame shown at aspect (width / height of the picture on screen;
// 0 or less: as the pixels are) into client. The corrected side is truncated and the
// stretched side rounded, half away from zero; the band split favours the top/left by
// truncation.
AspectFit FitToAspect(i32 width, i32 height, float aspect, const OutputRect& client);
