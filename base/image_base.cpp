#include "base/image_base.h"

#include <cstring>
#include <limits>
#include <new>

#include "base/direct_color_image.h"
#include "base/palette_image.h"
#include "base/stream_interface.h"

ImageBase::~ImageBase() = default;

void ImageBase::Invalidate() {
    argbCache_.clear();
    argbCache_.shrink_to_fit();
    if (callback_) callback_(callbackContext_, this);
}

void ImageBase::SetChangeCallback(ChangeCallback callback, void* context) {
    callback_ = callback;
    callbackContext_ = context;
}

void ImageBase::Release() {
    pixels_.reset();
    rows_.reset();
    width_ = 0;
    height_ = 0;
    stride_ = 0;
}

bool ImageBase::Create(int width, int height) {
    if (width == width_ && height == height_) return true;
    if (width < 0 || height < 0) return false;
    Release();
    const u64 stride = StrideFor(static_cast<u64>(width), GetBitsPerPixel());
    const u64 bytes = stride * static_cast<u64>(height);
    if (stride > static_cast<u64>(std::numeric_limits<int>::max()) ||
        bytes > static_cast<u64>(std::numeric_limits<std::size_t>::max() / 2))
        return false;
    // Cleared, so that unused bits of a row never carry old heap bytes into a file.
    std::unique_ptr<u8[]> pixels(new (std::nothrow) u8[static_cast<std::size_t>(bytes)]());
    std::unique_ptr<u8*[]> rows(new (std::nothrow) u8*[static_cast<std::size_t>(height)]);
    if ((bytes && !pixels) || (height && !rows)) return false;
    for (int y = 0; y < height; ++y) rows[y] = pixels.get() + static_cast<std::size_t>(y) * stride;
    pixels_ = std::move(pixels);
    rows_ = std::move(rows);
    width_ = width;
    height_ = height;
    stride_ = static_cast<int>(stride);
    Invalidate();
    return true;
}

u8* ImageBase::GetRow(int y) const {
    if (y < 0 || y >= height_ || !rows_) return nullptr;
    return rows_[y];
}

int ImageBase::GetChannelBits(int& red, int& green, int& blue) const {
    red = green = blue = 8;
    return 24;
}

u32* ImageBase::GetPalette() {
    if (!palette_) {
        palette_.reset(new u32[256]);
        for (int i = 0; i < 256; ++i) palette_[i] = kOpaqueBlack;
    }
    return palette_.get();
}

u32 ImageBase::GetPaletteEntry(int index) const {
    if (!palette_ || index < 0 || index > 255) return kOpaqueBlack;
    return palette_[index];
}

void ImageBase::SetPaletteEntry(int index, u32 argb) {
    if (index >= 0 && index <= 255) GetPalette()[index] = argb;
}

ImageBase* ImageBase::Clone(bool copyPixels) const {
    std::unique_ptr<ImageBase> copy(CreateEmpty());
    if (!copy || !copy->Create(width_, height_)) return nullptr;
    copy->SetKeyColor(keyColor_, keyFlag_);
    if (palette_) {
        const int n = GetPaletteSize(true);
        u32* dest = copy->GetPalette();
        for (int i = 0; i < n && i < 256; ++i) dest[i] = palette_[i];
    }
    if (copyPixels)
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) copy->SetPixel(y, x, GetPixel(y, x));
    return copy.release();
}

const u32* ImageBase::GetRowARGB(int y) const {
    if (width_ < 1 || y < 0 || y >= height_) return nullptr;
    if (argbCache_.size() != static_cast<std::size_t>(width_)) argbCache_.assign(width_, kOpaqueBlack);
    for (int x = 0; x < width_; ++x) argbCache_[x] = GetPixelColor(y, x);
    return argbCache_.data();
}

bool ImageBase::LoadPixels(StreamInterface& stream) {
    const int bits = GetBitsPerPixel();
    const u64 rowBytes = RowBytesFor(static_cast<u64>(width_), bits);
    const u64 padding = StrideFor(static_cast<u64>(width_), bits) - rowBytes;
    for (int y = height_ - 1; y >= 0; --y) {
        u8* row = GetRow(y);
        if (!row || stream.Read(row, rowBytes) != rowBytes) return false;
        if (padding && !stream.Seek(stream.GetPosition() + padding)) return false;
    }
    return true;
}

bool ImageBase::SavePixels(StreamInterface& stream) const {
    static constexpr u8 kZeros[4] = {};
    const int bits = GetBitsPerPixel();
    const u64 rowBytes = RowBytesFor(static_cast<u64>(width_), bits);
    const u64 padding = StrideFor(static_cast<u64>(width_), bits) - rowBytes;
    for (int y = height_ - 1; y >= 0; --y) {
        const u8* row = GetRow(y);
        if (!row || stream.Write(row, rowBytes) != rowBytes) return false;
        if (padding && stream.Write(kZeros, padding) != padding) return false;
    }
    return true;
}

Image1Bpp* ImageBase::ConvertTo1Bpp(const u32* key) const {
    if (!key && !keyFlag_) return nullptr;
    const u32 colour = key ? *key : keyColor_;
    std::unique_ptr<Image1Bpp> mask(new Image1Bpp);
    if (!MakeMask(*mask, colour)) return nullptr;
    return mask.release();
}

bool ImageBase::MakeMask(ImageBase& target, u32 key) const {
    if (!target.Create(width_, height_)) return false;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) target.SetPixel(y, x, GetPixelColor(y, x) != key ? 1 : 0);
    target.Invalidate();
    return true;
}

bool ImageBase::CopyToARGB(ImageBase& target) const {
    if (target.GetBitsPerPixel() != 32) return false;
    if (!target.Create(width_, height_)) {
        target.Create(0, 0);
        return false;
    }
    for (int y = 0; y < height_; ++y) {
        const u32* src = GetRowARGB(y);
        u8* dest = target.GetRow(y);
        if (src && dest) std::memcpy(dest, src, static_cast<std::size_t>(width_) * 4);
    }
    return true;
}
