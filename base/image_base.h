// In-memory bitmap images.
//
// Every pixel buffer is a block of rows of one stride (ceil(width x bits / 8)
// rounded up to 4 bytes, as a BMP stores them), row 0 first, with a table of
// row pointers. Colours cross the interface as ARGB u32 (0xAARRGGBB).
//
//   family 1  PaletteImage     1, 2, 4, 8 bits: palette indices
//   family 2  Image8BppAlt     8 bits: grey levels
//   family 3  DirectColorImage 16 (5-6-5), 24 (B, G, R), 32 (ARGB) bits
//
// Whenever the pixel storage is replaced the image drops its ARGB row cache and
// tells its owner through the change callback.
#pragma once

#include <memory>
#include <vector>

#include "base/types.h"

class StreamInterface;
class Image1Bpp;

class ImageBase {
public:
    using ChangeCallback = void (*)(void* context, ImageBase* image);

    static constexpr u32 kOpaqueBlack = 0xFF000000u;

    virtual ~ImageBase();
    ImageBase(const ImageBase&) = delete;
    ImageBase& operator=(const ImageBase&) = delete;

    // Pixel rows as a BMP stores them: bottom-up, each padded to 4 bytes.
    virtual bool LoadPixels(StreamInterface& stream);
    virtual bool SavePixels(StreamInterface& stream) const;
    // Drops the ARGB row cache and calls the change callback.
    virtual void Invalidate();
    virtual int GetFamily() const { return 0; }
    virtual ImageBase* CreateEmpty() const = 0;
    // A new image of the same class, size, key and palette (and pixels when
    // asked); null when it cannot be made.
    virtual ImageBase* Clone(bool copyPixels) const;
    // Gives the image that size (pixels cleared to 0); the same size keeps the
    // pixels and calls nobody. False for a negative or unallocatable size.
    virtual bool Create(int width, int height);
    virtual int GetBitsPerPixel() const = 0;
    // Bits of red, green and blue; answers their total.
    virtual int GetChannelBits(int& red, int& green, int& blue) const;
    virtual u8* GetPixels() const { return pixels_.get(); }
    // Row y, null outside the image.
    virtual u8* GetRow(int y) const;
    // Raw value: palette index, grey level or packed colour; 0 outside.
    virtual u32 GetPixel(int y, int x) const = 0;
    virtual void SetPixel(int y, int x, u32 value) = 0;
    virtual u32 GetPixelColor(int y, int x) const = 0;
    // Packs an ARGB colour into the pixel; palette images ignore it.
    virtual void SetPixelColor(int y, int x, u32 argb) = 0;
    virtual bool QueryFlag() const { return false; }
    // Palette images: 2^bits. Direct colour: 256 for the internal table, 0 for
    // what a BMP stores.
    virtual int GetPaletteSize(bool internal) const = 0;
    // Fills row y from one palette index per pixel.
    virtual void PackRow(int y, const u8* indices) = 0;
    // Row y as ARGB: the row itself in 32-bit images, else a converted copy
    // valid until the next call or change. Null for width < 1 or y outside.
    virtual const u32* GetRowARGB(int y) const;

    void Release();
    void SetChangeCallback(ChangeCallback callback, void* context);

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetStride() const { return stride_; }

    // 256 entries, made on first use with every entry opaque black.
    u32* GetPalette();
    const u32* GetPaletteIfAny() const { return palette_.get(); }
    u32 GetPaletteEntry(int index) const;
    void SetPaletteEntry(int index, u32 argb);

    u32 GetKeyColor() const { return keyColor_; }
    bool HasKeyColor() const { return keyFlag_; }
    void SetKeyColor(u32 argb, bool enabled = true) {
        keyColor_ = argb;
        keyFlag_ = enabled;
    }
    bool HasAlpha() const { return alphaFlag_; }
    void SetAlphaFlag(bool alpha) { alphaFlag_ = alpha; }

    // 1-bit mask of this size: 1 where the colour differs from the key, 0
    // where it equals it. A null key takes the image's own key colour, and
    // answers null when none is set.
    Image1Bpp* ConvertTo1Bpp(const u32* key) const;
    // The same into an existing target; answers whether the target could be
    // given this size.
    bool MakeMask(ImageBase& target, u32 key) const;
    // Copies every ARGB row into a 32-bit target of this size; other targets
    // are refused (their rows are too short), as is a target that cannot be
    // sized (it is then emptied).
    bool CopyToARGB(ImageBase& target) const;

    // Stride of a row of width pixels at bits per pixel, as a BMP pads it;
    // computed in 64 bits so that hostile sizes cannot wrap.
    static u64 StrideFor(u64 width, int bits) { return ((width * static_cast<u64>(bits) + 31) / 32) * 4; }
    // Bytes of one row without its padding.
    static u64 RowBytesFor(u64 width, int bits) { return (width * static_cast<u64>(bits) + 7) / 8; }

protected:
    ImageBase() = default;

    bool InImage(int y, int x) const { return y >= 0 && y < height_ && x >= 0 && x < width_; }

    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;

private:
    std::unique_ptr<u32[]> palette_;
    u32 keyColor_ = kOpaqueBlack;
    bool keyFlag_ = false;
    bool alphaFlag_ = false;
    mutable std::vector<u32> argbCache_;
    ChangeCallback callback_ = nullptr;
    void* callbackContext_ = nullptr;
    std::unique_ptr<u8[]> pixels_;
    std::unique_ptr<u8*[]> rows_;
};
