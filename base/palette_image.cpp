#include "base/palette_image.h"

#include <cstring>

namespace {

// Byte offset and shift of pixel x at the given depth.
inline void Locate(int x, int bits, int& byte, int& shift) {
    const int bit = x * bits;
    byte = bit >> 3;
    shift = 8 - bits - (bit & 7);
}

}  // namespace

u32 PaletteImage::GetPixel(int y, int x) const {
    if (!InImage(y, x)) return 0;
    const int bits = GetBitsPerPixel();
    int byte, shift;
    Locate(x, bits, byte, shift);
    return (GetRow(y)[byte] >> shift) & ((1u << bits) - 1);
}

void PaletteImage::SetPixel(int y, int x, u32 value) {
    if (!InImage(y, x)) return;
    const int bits = GetBitsPerPixel();
    int byte, shift;
    Locate(x, bits, byte, shift);
    const u32 mask = ((1u << bits) - 1) << shift;
    u8& b = GetRow(y)[byte];
    b = static_cast<u8>((b & ~mask) | ((value << shift) & mask));
}

u32 PaletteImage::GetPixelColor(int y, int x) const {
    return GetPaletteEntry(static_cast<int>(GetPixel(y, x)));
}

void PaletteImage::PackRow(int y, const u8* indices) {
    u8* row = GetRow(y);
    if (!row || !indices) return;
    const int bits = GetBitsPerPixel();
    if (bits == 8) {
        std::memcpy(row, indices, static_cast<std::size_t>(width_));
        return;
    }
    const u32 low = (1u << bits) - 1;
    const int perByte = 8 / bits;
    for (int x = 0; x < width_; x += perByte) {
        u32 b = 0;
        for (int i = 0; i < perByte; ++i) {
            b <<= bits;
            if (x + i < width_) b |= indices[x + i] & low;
        }
        row[x / perByte] = static_cast<u8>(b);
    }
}

u32 Image8BppAlt::GetPixelColor(int y, int x) const {
    const u32 v = GetPixel(y, x);
    return 0xFF000000u | (v << 16) | (v << 8) | v;
}
