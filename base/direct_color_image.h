// Direct-colour images: 16 bits (5-6-5), 24 bits (bytes B, G, R) and 32 bits
// (ARGB, bytes B, G, R, A), with the pixel helpers they share.
//
// They keep a 256-entry palette only for PackRow; a BMP of these depths
// stores none.
#pragma once

#include "base/image_base.h"

// 5-6-5 packing keeps the top bits of each channel; unpacking leaves the low
// bits 0 (0x1F red reads back as 0xF8, not 0xFF), so a round trip is stable.
constexpr u16 PackRgb565(u32 argb) {
    return static_cast<u16>(((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x001F));
}
constexpr u32 UnpackRgb565(u16 v) {
    return 0xFF000000u + (static_cast<u32>(v >> 11) << 19) + (static_cast<u32>((v >> 5) & 0x3F) << 10) +
           (static_cast<u32>(v & 0x1F) << 3);
}
inline void SetPixel24(u8* p, u32 argb) {
    p[0] = static_cast<u8>(argb);
    p[1] = static_cast<u8>(argb >> 8);
    p[2] = static_cast<u8>(argb >> 16);
}
inline u32 GetPixel24(const u8* p) {
    return 0xFF000000u | (static_cast<u32>(p[2]) << 16) | (static_cast<u32>(p[1]) << 8) | p[0];
}

class DirectColorImage : public ImageBase {
public:
    int GetFamily() const override { return 3; }
    int GetPaletteSize(bool internal) const override { return internal ? 256 : 0; }

protected:
    DirectColorImage() = default;
};

class Image16Bpp : public DirectColorImage {
public:
    ImageBase* CreateEmpty() const override { return new Image16Bpp; }
    int GetBitsPerPixel() const override { return 16; }
    int GetChannelBits(int& red, int& green, int& blue) const override;
    u32 GetPixel(int y, int x) const override;
    void SetPixel(int y, int x, u32 value) override;
    u32 GetPixelColor(int y, int x) const override;
    void SetPixelColor(int y, int x, u32 argb) override;
    void PackRow(int y, const u8* indices) override;
};

class Image24Bpp : public DirectColorImage {
public:
    ImageBase* CreateEmpty() const override { return new Image24Bpp; }
    int GetBitsPerPixel() const override { return 24; }
    u32 GetPixel(int y, int x) const override;
    void SetPixel(int y, int x, u32 value) override;
    u32 GetPixelColor(int y, int x) const override;
    void SetPixelColor(int y, int x, u32 argb) override;
    void PackRow(int y, const u8* indices) override;
};

class Image32Bpp : public DirectColorImage {
public:
    Image32Bpp() { SetAlphaFlag(true); }
    ImageBase* CreateEmpty() const override { return new Image32Bpp; }
    int GetBitsPerPixel() const override { return 32; }
    u32 GetPixel(int y, int x) const override;
    void SetPixel(int y, int x, u32 value) override;
    u32 GetPixelColor(int y, int x) const override { return GetPixel(y, x); }
    void SetPixelColor(int y, int x, u32 argb) override { SetPixel(y, x, argb); }
    void PackRow(int y, const u8* indices) override;
    // The row itself: no conversion.
    const u32* GetRowARGB(int y) const override;
};
