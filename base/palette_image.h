// Palette images of 1, 2, 4 and 8 bits per pixel, and the 8-bit greyscale
// image.
//
// Sub-byte pixels are packed first pixel in the most significant bits, as BMP
// files and Windows DIBs hold them.
#pragma once

#include "base/image_base.h"

class PaletteImage : public ImageBase {
public:
    int GetFamily() const override { return 1; }
    u32 GetPixel(int y, int x) const override;
    void SetPixel(int y, int x, u32 value) override;
    u32 GetPixelColor(int y, int x) const override;
    void SetPixelColor(int, int, u32) override {}
    int GetPaletteSize(bool) const override { return 1 << GetBitsPerPixel(); }
    // Keeps the low bits of each index; a last partial byte ends in zero bits.
    void PackRow(int y, const u8* indices) override;

protected:
    PaletteImage() = default;
};

class Image1Bpp : public PaletteImage {
public:
    ImageBase* CreateEmpty() const override { return new Image1Bpp; }
    int GetBitsPerPixel() const override { return 1; }
};

class Image2Bpp : public PaletteImage {
public:
    ImageBase* CreateEmpty() const override { return new Image2Bpp; }
    int GetBitsPerPixel() const override { return 2; }
};

class Image4Bpp : public PaletteImage {
public:
    ImageBase* CreateEmpty() const override { return new Image4Bpp; }
    int GetBitsPerPixel() const override { return 4; }
};

class Image8Bpp : public PaletteImage {
public:
    ImageBase* CreateEmpty() const override { return new Image8Bpp; }
    int GetBitsPerPixel() const override { return 8; }
};

// Each byte is a grey level v, seen as the colour 0xFF v v v; the palette is
// not consulted.
class Image8BppAlt : public Image8Bpp {
public:
    ImageBase* CreateEmpty() const override { return new Image8BppAlt; }
    int GetFamily() const override { return 2; }
    u32 GetPixelColor(int y, int x) const override;
};
