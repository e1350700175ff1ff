#include "video/aspect_fit.h"

#include <cmath>

namespace {

// Aspect ratios come from menus and saved states; an absurd one must not overflow the
// conversion back to pixels. Nothing real is narrower than a pixel or wider than this.
constexpr double kMaxSide = 1 << 20;

i32 ClampSide(double side)
{
    if (!(side >= 1.0))  // also NaN
        return 1;
    return static_cast<i32>(std::trunc(side < kMaxSide ? side : kMaxSide));
}

} // namespace

AspectFit FitToAspect(i32 width, i32 height, float aspect, const OutputRect& client)
{
    AspectFit fit;
    i32 w = width > 0 ? width : 1;
    i32 h = height > 0 ? height : 1;
    if (aspect > 0.0f) {
        if (w >= h)
            h = ClampSide(static_cast<double>(w) / static_cast<double>(aspect));
        else
            w = ClampSide(static_cast<double>(aspect) * static_cast<double>(h));
    }
    fit.sourceWidth = w;
    fit.sourceHeight = h;

    const i32 cw = client.Width();
    const i32 ch = client.Height();
    const double fx = static_cast<double>(cw) / w;
    const double fy = static_cast<double>(ch) / h;
    i32 dw = cw;
    i32 dh = ch;
    i32 xOffset = 0;
    i32 yOffset = 0;
    if (fx > fy) {
        dw = static_cast<i32>(std::round(w * fy));
        xOffset = (cw - dw) / 2;
    } else {
        dh = static_cast<i32>(std::round(h * fx));
        yOffset = (ch - dh) / 2;
    }
    fit.destination = {client.left + xOffset, client.top + yOffset, client.left + xOffset + dw,
                       client.top + yOffset + dh};
    fit.scaleX = dw != 0 ? static_cast<double>(w) / dw : 1.0;
    fit.scaleY = dh != 0 ? static_cast<double>(h) / dh : 1.0;
    return fit;
}
