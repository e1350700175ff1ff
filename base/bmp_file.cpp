#include "base/bmp_file.h"

#include <memory>

#include "base/direct_color_image.h"
#include "base/palette_image.h"
#include "base/stream_interface.h"

namespace {

constexpr u64 kFileHeaderSize = 14;
constexpr u64 kInfoHeaderSize = 40;

u16 Get16(const u8* p) { return static_cast<u16>(p[0] | (p[1] << 8)); }
u32 Get32(const u8* p) {
    return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8) | (static_cast<u32>(p[2]) << 16) |
           (static_cast<u32>(p[3]) << 24);
}
void Put16(u8* p, u32 v) {
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
}
void Put32(u8* p, u32 v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

ImageBase* MakeImage(int family, int bits) {
    const bool palette = family == kBmpAnyDepth || family == kBmpPalette;
    const bool direct = family == kBmpAnyDepth || family == kBmpDirect;
    switch (bits) {
        case 1: return palette ? new Image1Bpp : nullptr;
        case 2: return palette ? new Image2Bpp : nullptr;
        case 4: return palette ? new Image4Bpp : nullptr;
        case 8:
            if (family == kBmpGrey) return new Image8BppAlt;
            return palette ? new Image8Bpp : nullptr;
        case 16: return direct ? new Image16Bpp : nullptr;
        case 24: return direct ? new Image24Bpp : nullptr;
        case 32: return direct ? new Image32Bpp : nullptr;
        default: return nullptr;
    }
}

}  // namespace

ImageBase* LoadBmpImage(StreamInterface& stream, int family) {
    const u64 start = stream.GetPosition();
    const u64 size = stream.GetSize();
    if (start > size) return nullptr;
    const u64 available = size - start;

    u8 file[kFileHeaderSize];
    if (stream.Read(file, sizeof file) != sizeof file) return nullptr;
    if (file[0] != 'B' || file[1] != 'M') return nullptr;
    const u64 fileSize = Get32(file + 2);
    const u64 pixelOffset = Get32(file + 10);
    if (fileSize > available || pixelOffset > available) return nullptr;

    u8 info[kInfoHeaderSize];
    if (stream.Read(info, sizeof info) != sizeof info) return nullptr;
    const u64 infoSize = Get32(info);
    const i32 width = static_cast<i32>(Get32(info + 4));
    const i32 height = static_cast<i32>(Get32(info + 8));
    const u16 planes = Get16(info + 12);
    const int bits = Get16(info + 14);
    const u32 compression = Get32(info + 16);
    const u32 coloursUsed = Get32(info + 32);
    if (infoSize < kInfoHeaderSize || width < 1 || height < 1 || planes != 1 || compression != 0)
        return nullptr;

    // The pixel rows must lie wholly inside the stream before a byte is
    // allocated for them: the header's sizes are not to be trusted.
    const u64 stride = ImageBase::StrideFor(static_cast<u64>(width), bits);
    if (stride == 0 || stride > available) return nullptr;
    if (static_cast<u64>(height) > (available - pixelOffset) / stride) return nullptr;

    std::unique_ptr<ImageBase> image(MakeImage(family, bits));
    if (!image || !image->Create(width, height)) return nullptr;

    // The palette follows the information header, whatever its version; a
    // file may store fewer colours than its depth allows.
    u64 entries = static_cast<u64>(image->GetPaletteSize(false));
    if (coloursUsed > 0 && coloursUsed < entries) entries = coloursUsed;
    if (kFileHeaderSize + infoSize + entries * 4 > pixelOffset) return nullptr;
    if (entries > 0) {
        u8 table[256 * 4];
        if (!stream.Seek(start + kFileHeaderSize + infoSize)) return nullptr;
        if (stream.Read(table, entries * 4) != entries * 4) return nullptr;
        // Entries are B, G, R and a reserved byte: the 24-bit pixel layout.
        for (u64 i = 0; i < entries; ++i)
            image->SetPaletteEntry(static_cast<int>(i), GetPixel24(table + i * 4));
    }

    if (!stream.Seek(start + pixelOffset) || !image->LoadPixels(stream)) return nullptr;
    return image.release();
}

bool SaveBmpImage(StreamInterface& stream, const ImageBase& image) {
    if (image.GetWidth() == 0 || image.GetHeight() == 0) return false;
    const u64 start = stream.GetPosition();
    const int bits = image.GetBitsPerPixel();
    const int entries = image.GetPaletteSize(false);

    u8 file[kFileHeaderSize] = {'B', 'M'};
    u8 info[kInfoHeaderSize] = {};
    Put32(info, kInfoHeaderSize);
    Put32(info + 4, static_cast<u32>(image.GetWidth()));
    Put32(info + 8, static_cast<u32>(image.GetHeight()));
    Put16(info + 12, 1);
    Put16(info + 14, static_cast<u32>(bits));
    if (bits <= 8) {
        Put32(info + 32, static_cast<u32>(entries));
        Put32(info + 36, static_cast<u32>(entries));
    }
    if (stream.Write(file, sizeof file) != sizeof file) return false;
    if (stream.Write(info, sizeof info) != sizeof info) return false;
    for (int i = 0; i < entries; ++i) {
        u8 e[4] = {};
        SetPixel24(e, image.GetPaletteEntry(i));
        if (stream.Write(e, 4) != 4) return false;
    }

    const u64 pixelOffset = stream.GetPosition() - start;
    if (!image.SavePixels(stream)) return false;
    const u64 end = stream.GetPosition();
    const u64 fileSize = end - start;
    if (fileSize > 0xFFFFFFFFu) return false;

    Put32(file + 2, static_cast<u32>(fileSize));
    Put32(file + 10, static_cast<u32>(pixelOffset));
    if (!stream.Seek(start) || stream.Write(file, sizeof file) != sizeof file) return false;
    return stream.Seek(end);
}
