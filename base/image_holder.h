// Root of the display surfaces: a frame of 32-bit ARGB rows that the deriving
// surface allocates, and a SurfaceImage view that lets image code read and
// draw into those rows without owning them.
#pragma once

#include <memory>

#include "base/direct_color_image.h"

class ImageHolder;

// A 32-bit image over an ImageHolder's rows. It owns no pixels: it cannot be
// created, loaded or saved, only drawn into and read.
class SurfaceImage : public DirectColorImage {
public:
    explicit SurfaceImage(ImageHolder* holder) : holder_(holder) {}

    ImageBase* CreateEmpty() const override { return new SurfaceImage(holder_); }
    bool LoadPixels(StreamInterface&) override { return false; }
    bool SavePixels(StreamInterface&) const override { return false; }
    bool Create(int, int) override { return false; }
    int GetBitsPerPixel() const override { return 32; }
    // The lowest row address of the holder.
    u8* GetPixels() const override { return lowest_; }
    u8* GetRow(int y) const override;
    u32 GetPixel(int y, int x) const override;
    void SetPixel(int y, int x, u32 value) override;
    u32 GetPixelColor(int y, int x) const override { return GetPixel(y, x); }
    void SetPixelColor(int y, int x, u32 argb) override { SetPixel(y, x, argb); }
    void PackRow(int y, const u8* indices) override;
    const u32* GetRowARGB(int y) const override;
    // A flag the holder keeps on its view; the image family only reports it.
    bool QueryFlag() const override { return flag_; }
    void SetFlag(bool flag) { flag_ = flag; }

    // Takes width, height, pixel block and stride from the holder.
    void Refresh();

private:
    u32* HolderRow(int y) const;

    ImageHolder* holder_;
    u8* lowest_ = nullptr;
    bool flag_ = false;
};

class ImageHolder {
public:
    ImageHolder() = default;
    virtual ~ImageHolder();
    ImageHolder(const ImageHolder&) = delete;
    ImageHolder& operator=(const ImageHolder&) = delete;

    // Width and height 0; frees the row table (not the pixels, which belong to
    // the deriving surface).
    virtual void Release();
    // The view on the rows, made on first call and refreshed on every call.
    virtual SurfaceImage* GetImage();

    // Row selection of the three below: 0 <= row < height one row, a negative
    // row every row, a row at or past the height none.
    void FillRows(u32 argb, int row);
    void SetOpaque(bool opaque, int row);
    void SetAlpha(u8 alpha, int row);

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    // Row y (null outside the frame or before the surface set it).
    u32* GetRowPixels(int y) const {
        return (rows_ && y >= 0 && y < height_) ? rows_[y] : nullptr;
    }

protected:
    // A row table of height null entries for the deriving surface to point at
    // its pixels; false for a negative size.
    bool AllocateRows(int width, int height);
    void SetRow(int y, u32* pixels) {
        if (rows_ && y >= 0 && y < height_) rows_[y] = pixels;
    }

    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<u32*[]> rows_;

private:
    template <typename F>
    void ForRows(int row, F&& f);

    std::unique_ptr<SurfaceImage> image_;
};
