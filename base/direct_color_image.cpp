#include "base/direct_color_image.h"

#include <cstring>

namespace {

// Rows are 4-byte aligned (every stride is a multiple of 4), but a pixel inside
// a 16- or 24-bit row need not be; copying keeps the access well defined.
inline u16 Load16(const u8* p) {
    u16 v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Store16(u8* p, u16 v) { std::memcpy(p, &v, 2); }

}  // namespace

int Image16Bpp::GetChannelBits(int& red, int& green, int& blue) const {
    red = 5;
    green = 6;
    blue = 5;
    return 16;
}

u32 Image16Bpp::GetPixel(int y, int x) const {
    return InImage(y, x) ? Load16(GetRow(y) + x * 2) : 0;
}

void Image16Bpp::SetPixel(int y, int x, u32 value) {
    if (InImage(y, x)) Store16(GetRow(y) + x * 2, static_cast<u16>(value));
}

u32 Image16Bpp::GetPixelColor(int y, int x) const {
    return UnpackRgb565(static_cast<u16>(GetPixel(y, x)));
}

void Image16Bpp::SetPixelColor(int y, int x, u32 argb) { SetPixel(y, x, PackRgb565(argb)); }

void Image16Bpp::PackRow(int y, const u8* indices) {
    u8* row = GetRow(y);
    if (!row || !indices) return;
    const u32* palette = GetPalette();
    for (int x = 0; x < width_; ++x) Store16(row + x * 2, PackRgb565(palette[indices[x]]));
}

u32 Image24Bpp::GetPixel(int y, int x) const {
    if (!InImage(y, x)) return 0;
    return GetPixel24(GetRow(y) + x * 3) & 0x00FFFFFFu;
}

void Image24Bpp::SetPixel(int y, int x, u32 value) {
    if (InImage(y, x)) SetPixel24(GetRow(y) + x * 3, value);
}

u32 Image24Bpp::GetPixelColor(int y, int x) const {
    return InImage(y, x) ? GetPixel24(GetRow(y) + x * 3) : kOpaqueBlack;
}

void Image24Bpp::SetPixelColor(int y, int x, u32 argb) { SetPixel(y, x, argb); }

void Image24Bpp::PackRow(int y, const u8* indices) {
    u8* row = GetRow(y);
    if (!row || !indices) return;
    const u32* palette = GetPalette();
    for (int x = 0; x < width_; ++x) SetPixel24(row + x * 3, palette[indices[x]]);
}

u32 Image32Bpp::GetPixel(int y, int x) const {
    return InImage(y, x) ? reinterpret_cast<const u32*>(GetRow(y))[x] : 0;
}

void Image32Bpp::SetPixel(int y, int x, u32 value) {
    if (InImage(y, x)) reinterpret_cast<u32*>(GetRow(y))[x] = value;
}

void Image32Bpp::PackRow(int y, const u8* indices) {
    u32* row = reinterpret_cast<u32*>(GetRow(y));
    if (!row || !indices) return;
    const u32* palette = GetPalette();
    for (int x = 0; x < width_; ++x) row[x] = palette[indices[x]];
}

const u32* Image32Bpp::GetRowARGB(int y) const {
    if (width_ < 1) return nullptr;
    return reinterpret_cast<const u32*>(GetRow(y));
}
