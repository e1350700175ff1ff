// The debugger console's 8 by 16 font: 256 glyphs of 16 bytes, one byte per pixel row
// from the top, bit 7 the leftmost pixel.
//
// Code-page-437 layout: printable ASCII at 0x21-0x7E, the shades 0xB0-0xB2, box drawing
// 0xB3-0xDA and the block elements 0xDB-0xDF. 0x00, 0x20 and 0xFF are blank, and so is
// every code without a glyph of its own. The console uses ">" (0x3E) as its prompt and
// the light shade (0xB0) as the scroll-bar track.
#pragma once

#include "base/types.h"

inline constexpr int kConsoleGlyphWidth = 8;
inline constexpr int kConsoleGlyphHeight = 16;

// The 16 rows of the glyph of code.
const u8* ConsoleGlyph(u8 code);
