#include "gui/position_units.h"

#include <cmath>

i32 ScreenDpiX = 96;
i32 ScreenDpiY = 96;

namespace {

bool dpiSet = false;

// Worked in 64 bits so that absurd inputs wrap instead of overflowing.
void ToPixels(int* v, i64 dpi, int unit)
{
    if (unit == 1)
        *v = static_cast<i32>((*v * dpi * 10 + 127) / 254);
    else if (unit == 2)
        *v = static_cast<i32>((*v * dpi + 127) / 254);
}

void ToMm(int* v, i64 dpi, int unit)
{
    if (dpi <= 0)
        return;
    if (unit == 1)
        *v = static_cast<i32>((*v * i64{254} - 127) / (dpi * 10));
    else if (unit == 2)
        *v = static_cast<i32>((*v * i64{254} - 127) / dpi);
}

} // namespace

void MmToPixels(int* x, int* y, int unit)
{
    ToPixels(x, ScreenDpiX, unit);
    ToPixels(y, ScreenDpiY, unit);
}

void MmToPixelsF(double* x, double* y, int unit)
{
    if (unit == 1) {
        *x = *x * ScreenDpiX / 25.4;
        *y = *y * ScreenDpiY / 25.4;
    } else if (unit == 2) {
        *x = *x * ScreenDpiX / 254.0;
        *y = *y * ScreenDpiY / 254.0;
    }
}

void PixelsToMm(int* x, int* y, int unit)
{
    ToMm(x, ScreenDpiX, unit);
    ToMm(y, ScreenDpiY, unit);
}

void PixelsToMmF(double* x, double* y, int unit)
{
    if (unit == 1) {
        *x = *x * 25.4 / ScreenDpiX;
        *y = *y * 25.4 / ScreenDpiY;
    } else if (unit == 2) {
        *x = *x * 254.0 / ScreenDpiX;
        *y = *y * 254.0 / ScreenDpiY;
    }
}

void ScaledScreenDpi(int screenDpiX, int screenDpiY, i32* dpiX, i32* dpiY)
{
    const double x = screenDpiX > 0 ? screenDpiX * 1.45 : 139.2;
    const double y = screenDpiY > 0 ? screenDpiY * 1.45 : x;
    *dpiX = static_cast<i32>(std::round(x));
    *dpiY = static_cast<i32>(std::round(y));
}

bool SetScreenDpiOnce(int screenDpiX, int screenDpiY)
{
    if (dpiSet)
        return false;
    dpiSet = true;
    ScaledScreenDpi(screenDpiX, screenDpiY, &ScreenDpiX, &ScreenDpiY);
    return true;
}
