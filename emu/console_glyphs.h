// The console's glyph table: for every byte value, eight pointers to the two colour
// cells, pointer k naming the foreground cell when bit 7 - k of the byte is set and the
// background cell otherwise. A row of 8 pixels is one font byte looked up and 8 colours
// copied, with no test per bit; storing a new pair into the cells recolours every entry
// at once.
#pragma once

#include "base/types.h"

struct ConsoleGlyphTable {
    ConsoleGlyphTable() { Build(); }
    ConsoleGlyphTable(const ConsoleGlyphTable&) = delete;
    ConsoleGlyphTable& operator=(const ConsoleGlyphTable&) = delete;

    void Build()
    {
        for (int b = 0; b < 256; ++b)
            for (int k = 0; k < 8; ++k)
                entries[b][k] = &colors[(b >> (7 - k)) & 1];
    }

    u32 colors[2] = {0xFF000000, 0xFF000000}; // background, foreground
    const u32* entries[256][8];
};
