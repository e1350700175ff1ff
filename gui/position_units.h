// Position units: pixels, millimetres and tenths of a millimetre, converted
// with two process-wide resolutions.
//
// ScreenDpiX and ScreenDpiY are 96 until the first frame window sets them
// once from the screen (SetScreenDpiOnce); they are read-only afterwards and
// only used on the GUI thread. The integer forms round positive results to
// the nearest pixel (adding 127, half of 254, before dividing).
#pragma once

#include "base/types.h"
#include "gui/gui_types.h"

extern i32 ScreenDpiX;
extern i32 ScreenDpiY;

// In place; unit as PositionUnit, any other value changes nothing.
void MmToPixels(int* x, int* y, int unit);
void MmToPixelsF(double* x, double* y, int unit);
void PixelsToMm(int* x, int* y, int unit);
void PixelsToMmF(double* x, double* y, int unit);

// The frame window's resolution rule: the screen's logical dots per inch
// times 1.45, rounded half away from zero. A horizontal value that is not
// positive (no screen) counts as 139.2 before rounding; a vertical one that
// is not positive takes the horizontal result.
void ScaledScreenDpi(int screenDpiX, int screenDpiY, i32* dpiX, i32* dpiY);
// Applies ScaledScreenDpi to ScreenDpiX and ScreenDpiY on the first call
// only; answers whether this call set them.
bool SetScreenDpiOnce(int screenDpiX, int screenDpiY);
