// TMS9918: one scanline of the picture, sprites, vertical blank.
//
// Table addresses (14 bits):
//   name       (R2 & 15) << 10, 32 names a row (Text: 40)
//   colour     Graphics I R3 << 6, one byte per 8 names
//   pattern    (R4 & 7) << 11, 8 bytes a name
//   Graphics II  pattern (R4 & 4) << 11, colour (R3 & 0x80) << 6; the character index
//              (third of the screen << 8 | name) is ANDed with (R4 & 3) << 8 | 0xFF for
//              the pattern table and with (R3 & 0x7F) << 3 | 7 for the colour table
//   sprites    attributes (R5 & 127) << 7, patterns (R6 & 7) << 11
#include <array>
#include <bit>
#include <cstring>

#include "video/tms9918.h"

namespace {

constexpr i32 kTerminator = 208;   // a sprite Y of 208 ends the sprite list
constexpr i32 kSpriteCount = 32;

// A magnified sprite shows each pattern bit as two pixels: bit b of a byte becomes bits
// 2b + 1 and 2b of the entry.
constexpr auto kDoubled = [] {
    std::array<u32, 256> table{};
    for (u32 byte = 0; byte < 256; ++byte)
        for (u32 bit = 0; bit < 8; ++bit)
            if (byte & (1u << bit))
                table[byte] |= 3u << (2 * bit);
    return table;
}();

// Per pattern byte, one all-ones word for each set bit, bit 7 leftmost: a pixel is then
// zero ^ ((one ^ zero) & mask), the same operations for all eight, which the compiler
// turns into a few vector instructions instead of a test per pixel.
alignas(32) constexpr auto kBitMasks = [] {
    std::array<std::array<u32, 8>, 256> table{};
    for (u32 byte = 0; byte < 256; ++byte)
        for (u32 i = 0; i < 8; ++i)
            table[byte][i] = (byte & (0x80u >> i)) ? 0xFFFFFFFFu : 0;
    return table;
}();

// The colours of one line: the palette with code 0 (transparent) showing the backdrop.
// Taken once per line, so that the pixel stores in between need not reload the register.
struct LinePalette {
    u32 colour[16];

    explicit LinePalette(u32 backdropCode)
    {
        for (u32 code = 0; code < 16; ++code)
            colour[code] = Tms9918Vdp::kPalette[code];
        colour[0] = Tms9918Vdp::kPalette[backdropCode & 15];
    }
};

// The character row of a visible line (0-23), kept inside the 32 rows a name table
// could hold.
inline u32 LineRow(i32 line)
{
    return (static_cast<u32>(line) >> 3) & 31;
}

// Eight pixels of a pattern byte, bit 7 leftmost. The row never overlaps the table: said
// so, the compiler computes all eight at once instead of one pixel at a time, and keeps
// no copy of them.
inline void Put8(u32* __restrict out, u32 pattern, u32 one, u32 zero)
{
    const u32 differ = one ^ zero;
    const u32* __restrict mask = kBitMasks[pattern & 0xFF].data();
    for (int i = 0; i < 8; ++i)
        out[i] = zero ^ (differ & mask[i]);
}

} // namespace

i32 Tms9918Vdp::ScreenMode() const
{
    return ((reg_[1] >> 4) & 1) | (reg_[0] & 2) | ((reg_[1] >> 1) & 4);
}

i32 Tms9918Vdp::SpriteSize() const
{
    switch (reg_[1] & 3) {
    case 0: return 8;
    case 3: return 32;
    default: return 16;
    }
}

void Tms9918Vdp::DrawGraphics1(i32 line, u32* row) const
{
    // No table runs past the end of video memory (names at most 0x3C00 + 0x3FF, colours
    // 0x3FC0 + 31, patterns 0x3800 + 0x7FF), so the addresses need no mask per character.
    const u8* vram = vram_.get();
    const u8* names = vram + ((reg_[2] & 15) << 10) + LineRow(line) * 32;
    const u8* colours = vram + ((reg_[3] << 6) & kAddressMask);
    const u8* patterns = vram + ((reg_[4] & 7) << 11) + static_cast<u32>(line & 7);
    const LinePalette palette(reg_[7]);
    for (u32 column = 0; column < 32; ++column, row += 8) {
        const u32 name = names[column];
        const u32 colour = colours[name >> 3];
        const u32 pattern = patterns[name * 8];
        Put8(row, pattern, palette.colour[colour >> 4], palette.colour[colour & 15]);
    }
}

void Tms9918Vdp::DrawGraphics2(i32 line, u32* row) const
{
    // As in Graphics I, no table runs past the end of video memory (patterns and colours
    // at most 0x2000 + 0x1FF8 + 7).
    const u8* vram = vram_.get();
    const u8* names = vram + ((reg_[2] & 15) << 10) + LineRow(line) * 32;
    const u32 third = (LineRow(line) >> 3) << 8;
    const u8* patterns = vram + ((reg_[4] & 4) << 11) + static_cast<u32>(line & 7);
    const u8* colours = vram + ((reg_[3] & 0x80) << 6) + static_cast<u32>(line & 7);
    const u32 patternMask = ((reg_[4] & 3) << 8) | 0xFF;
    const u32 colourMask = ((reg_[3] & 0x7F) << 3) | 7;
    const LinePalette palette(reg_[7]);
    for (u32 column = 0; column < 32; ++column, row += 8) {
        const u32 index = third | names[column];
        const u32 pattern = patterns[(index & patternMask) << 3];
        const u32 colour = colours[(index & colourMask) << 3];
        Put8(row, pattern, palette.colour[colour >> 4], palette.colour[colour & 15]);
    }
}

void Tms9918Vdp::DrawMulticolor(i32 line, u32* row) const
{
    const u8* vram = vram_.get();
    const u32 names = ((reg_[2] & 15) << 10) + static_cast<u32>(line >> 3) * 32;
    const u32 patterns = ((reg_[4] & 7) << 11) + static_cast<u32>((line >> 2) & 7);
    for (u32 column = 0; column < 32; ++column, row += 8) {
        const u32 name = vram[(names + column) & kAddressMask];
        const u32 colours = vram[(patterns + name * 8) & kAddressMask];
        const u32 left = Colour(colours >> 4);
        const u32 right = Colour(colours & 15);
        for (int i = 0; i < 4; ++i) {
            row[i] = left;
            row[4 + i] = right;
        }
    }
}

// 40 characters of 6 pixels (the pattern's six left bits) make 240 pixels, centred with
// the backdrop in an 8-pixel margin on each side, as the chip shows them. A text colour
// of 0 is transparent: the backdrop shows through, as in every other mode.
void Tms9918Vdp::DrawText(i32 line, u32* row) const
{
    const u8* vram = vram_.get();
    const u32 names = ((reg_[2] & 15) << 10) + static_cast<u32>(line >> 3) * 40;
    const u32 patterns = ((reg_[4] & 7) << 11) + static_cast<u32>(line & 7);
    const u32 one = Colour(reg_[7] >> 4 & 15);
    const u32 zero = Colour(reg_[7] & 15);
    for (int i = 0; i < 8; ++i) {
        row[i] = zero;
        row[kWidth - 8 + i] = zero;
    }
    u32* out = row + 8;
    for (u32 column = 0; column < 40; ++column) {
        const u32 name = vram[(names + column) & kAddressMask];
        const u32 pattern = vram[(patterns + name * 8) & kAddressMask];
        for (int bit = 7; bit >= 2; --bit)
            *out++ = ((pattern >> bit) & 1) ? one : zero;
    }
}

bool Tms9918Vdp::PixelsCollide(const SpriteOnLine* found, i32 count)
{
    for (i32 a = 0; a + 1 < count; ++a) {
        for (i32 b = a + 1; b < count; ++b) {
            // Line the right-hand sprite's pixels up with the left-hand one's.
            const bool aLeft = found[a].x <= found[b].x;
            const SpriteOnLine& left = aLeft ? found[a] : found[b];
            const SpriteOnLine& right = aLeft ? found[b] : found[a];
            const i32 d = right.x - left.x;
            if (d < 32 && ((left.pixels << d) & right.pixels) != 0)
                return true;
        }
    }
    return false;
}

// The chip shows four sprites on a line. A fifth one on the line raises the fifth-sprite
// flag with its number; while the flag stands (until the status is read) the number
// stays, otherwise it follows the last sprite looked at.
i32 Tms9918Vdp::FindSprites(i32 line, SpriteOnLine* found, bool updateStatus)
{
    const u8* vram = vram_.get();
    const i32 size = SpriteSize();
    const bool magnified = (reg_[1] & 1) != 0;
    const bool large = (reg_[1] & 2) != 0;
    // A 16 x 16 pattern is four 8 x 8 blocks from a name with its low two bits cleared.
    const u32 nameMask = large ? 0xFC : 0xFF;
    // The attribute table (at most 0x3F80 + 127) never runs past the end of video memory.
    const u8* table = vram + ((reg_[5] & 127) << 7);
    const u32 patterns = (reg_[6] & 7) << 11;
    // The first row shows on the line after Y; counted in 8 bits, a sprite running past
    // line 255 comes in again at the top.
    const u32 above = static_cast<u32>(line - 1);
    i32 count = 0;
    i32 fifth = -1;
    i32 sprite = 0;
    for (; sprite < kSpriteCount; ++sprite) {
        const u8* entry = table + sprite * 4;
        const u32 y = entry[0];
        if (y == kTerminator)
            break;
        i32 patternRow = static_cast<i32>((above - y) & 0xFF);
        if (patternRow >= size)
            continue;
        if (count == kSpritesPerLine) {
            fifth = sprite;
            break;
        }
        if (magnified)
            patternRow >>= 1;
        const u32 x = entry[1];
        const u32 name = entry[2] & nameMask;
        const u32 colour = entry[3];
        const u32 at = patterns + name * 8 + static_cast<u32>(patternRow);
        const u32 leftHalf = vram[at & kAddressMask];
        const u32 rightHalf = large ? vram[(at + 16) & kAddressMask] : 0;
        u32 pixels = magnified ? (kDoubled[leftHalf] << 16) | kDoubled[rightHalf]
                               : (leftHalf << 24) | (rightHalf << 16);

        SpriteOnLine& s = found[count++];
        s.x = static_cast<i32>(x) - ((colour & 0x80) ? 32 : 0);
        s.colour = colour & 15;
        // Only the pixels on the screen show and collide.
        if (s.x < 0)
            pixels = s.x <= -32 ? 0 : pixels & (0xFFFFFFFFu >> -s.x);
        if (s.x > kWidth - 32)
            pixels &= ~(0xFFFFFFFFu >> (kWidth - s.x));
        s.pixels = pixels;
    }
    if (!updateStatus)
        return count;

    if ((status_ & kStatusFifthSprite) == 0) {
        const u32 number = static_cast<u32>(fifth >= 0 ? fifth : (sprite < kSpriteCount ? sprite : kSpriteCount - 1));
        status_ = (status_ & 0xE0) | number | (fifth >= 0 ? kStatusFifthSprite : 0);
    }
    if (count >= 2 && PixelsCollide(found, count))
        status_ |= kStatusCollision;
    return count;
}

void Tms9918Vdp::DrawSprites(const SpriteOnLine* found, i32 count, u32* row) const
{
    // Last found first, so that the lowest-numbered sprite ends on top.
    for (i32 i = count - 1; i >= 0; --i) {
        const SpriteOnLine& s = found[i];
        if (s.colour == 0)
            continue;
        const u32 colour = kPalette[s.colour];
        for (u32 pixels = s.pixels; pixels != 0;) {
            const i32 k = std::countl_zero(pixels);
            row[s.x + k] = colour;
            pixels &= ~(0x80000000u >> k);
        }
    }
}

void Tms9918Vdp::VerticalBlank()
{
    status_ |= kStatusVBlank;
    UpdateInterrupt();
}

bool Tms9918Vdp::RenderLine(i32 line, i32, i32 width, u32* row, bool redrawOnly)
{
    if (!vram_)
        return false;
    const bool draw = width > 0 && row != nullptr;
    const bool displayOn = (reg_[1] & 0x40) != 0;
    const i32 mode = ScreenMode();
    bool drew = false;
    if (draw && !displayOn) {
        // A backdrop of code 0 shows as black, not as the transparent key.
        const u32 code = reg_[7] & 15;
        const u32 backdrop = kPalette[code ? code : 1];
        for (i32 x = 0; x < width; ++x)
            row[x] = backdrop;
        drew = true;
    } else if (draw && width < kWidth) {
        // Every mode writes the whole 256-pixel line; a shorter row only gets the backdrop.
        for (i32 x = 0; x < width; ++x)
            row[x] = kPalette[reg_[7] & 15];
        drew = true;
    } else if (draw) {
        switch (mode) {
        case 0: DrawGraphics1(line, row); break;
        case 1: DrawText(line, row); break;
        case 2: DrawGraphics2(line, row); break;
        case 4: DrawMulticolor(line, row); break;
        default: break;  // mixed modes: the row keeps what it had
        }
        drew = true;
    }

    // Sprites: their status comes from every visible line, drawn or not, so that a
    // program polling for collisions sees them whatever the display does.
    const bool sprites = displayOn && (mode == 0 || mode == 2 || mode == 4) && line >= 0 && line < kHeight;
    if (sprites && (draw || !redrawOnly)) {
        SpriteOnLine found[kSpritesPerLine];
        const i32 count = FindSprites(line, found, !redrawOnly);
        if (draw && width >= kWidth)
            DrawSprites(found, count, row);
    }

    if (!redrawOnly && line == kHeight - 1)
        VerticalBlank();
    return drew;
}
