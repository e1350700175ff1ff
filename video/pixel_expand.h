// Palette expansion of packed pixel bytes into ARGB pixels, for chips with 1, 2 or 4 bits
// per pixel. Each source byte holds 8, 4 or 2 fields; msbFirst takes them from bit 7
// down, otherwise from bit 0 up. A count that is not a multiple of the fields per byte
// takes the leading fields of the last byte.
#pragma once

#include "base/types.h"

void ExpandPixels1bpp(const u8* src, u32* dst, const u32* palette, i32 count, bool msbFirst);
void ExpandPixels2bpp(const u8* src, u32* dst, const u32* palette, i32 count, bool msbFirst);
void ExpandPixels4bpp(const u8* src, u32* dst, const u32* palette, i32 count, bool msbFirst);
