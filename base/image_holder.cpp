#include "base/image_holder.h"

#include <cstdint>
#include <new>

u32* SurfaceImage::HolderRow(int y) const { return holder_ ? holder_->GetRowPixels(y) : nullptr; }

u8* SurfaceImage::GetRow(int y) const { return reinterpret_cast<u8*>(HolderRow(y)); }

u32 SurfaceImage::GetPixel(int y, int x) const {
    const u32* row = HolderRow(y);
    return (row && x >= 0 && x < holder_->GetWidth()) ? row[x] : 0;
}

void SurfaceImage::SetPixel(int y, int x, u32 value) {
    u32* row = HolderRow(y);
    if (row && x >= 0 && x < holder_->GetWidth()) row[x] = value;
}

void SurfaceImage::PackRow(int y, const u8* indices) {
    u32* row = HolderRow(y);
    if (!row || !indices) return;
    const u32* palette = GetPalette();
    for (int x = 0; x < holder_->GetWidth(); ++x) row[x] = palette[indices[x]];
}

const u32* SurfaceImage::GetRowARGB(int y) const {
    if (!holder_ || holder_->GetWidth() < 1) return nullptr;
    return HolderRow(y);
}

void SurfaceImage::Refresh() {
    width_ = holder_ ? holder_->GetWidth() : 0;
    height_ = holder_ ? holder_->GetHeight() : 0;
    lowest_ = nullptr;
    for (int y = 0; y < height_; ++y) {
        u8* row = GetRow(y);
        if (row && (!lowest_ || row < lowest_)) lowest_ = row;
    }
    stride_ = width_ * 4;
    const u8* row0 = GetRow(0);
    const u8* row1 = GetRow(1);
    if (row0 && row1 && row0 != row1) {
        const std::intptr_t d = row1 > row0 ? row1 - row0 : row0 - row1;
        stride_ = static_cast<int>(d);
    }
}

ImageHolder::~ImageHolder() = default;

void ImageHolder::Release() {
    width_ = 0;
    height_ = 0;
    rows_.reset();
}

SurfaceImage* ImageHolder::GetImage() {
    if (!image_) image_ = std::make_unique<SurfaceImage>(this);
    image_->Refresh();
    return image_.get();
}

bool ImageHolder::AllocateRows(int width, int height) {
    if (width < 0 || height < 0) return false;
    std::unique_ptr<u32*[]> rows(new (std::nothrow) u32*[static_cast<std::size_t>(height)]());
    if (height && !rows) return false;
    rows_ = std::move(rows);
    width_ = width;
    height_ = height;
    return true;
}

template <typename F>
void ImageHolder::ForRows(int row, F&& f) {
    if (!rows_ || row >= height_) return;
    const int first = row < 0 ? 0 : row;
    const int last = row < 0 ? height_ - 1 : row;
    for (int y = first; y <= last; ++y)
        if (u32* p = rows_[y])
            for (int x = 0; x < width_; ++x) f(p[x]);
}

void ImageHolder::FillRows(u32 argb, int row) {
    ForRows(row, [argb](u32& px) { px = argb; });
}

void ImageHolder::SetOpaque(bool opaque, int row) {
    SetAlpha(opaque ? 0xFF : 0x00, row);
}

void ImageHolder::SetAlpha(u8 alpha, int row) {
    const u32 a = static_cast<u32>(alpha) << 24;
    ForRows(row, [a](u32& px) { px = (px & 0x00FFFFFFu) | a; });
}
