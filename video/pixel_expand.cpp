#include "video/pixel_expand.h"

namespace {

template <int Bits>
void Expand(const u8* src, u32* dst, const u32* palette, i32 count, bool msbFirst)
{
    constexpr int kPerByte = 8 / Bits;
    constexpr u32 kMask = (1u << Bits) - 1;
    for (i32 i = 0; i < count; ++i) {
        const u8 byte = src[i / kPerByte];
        const int field = i % kPerByte;
        const int shift = msbFirst ? 8 - Bits * (field + 1) : Bits * field;
        dst[i] = palette[(byte >> shift) & kMask];
    }
}

} // namespace

void ExpandPixels1bpp(const u8* src, u32* dst, const u32* palette, i32 count, bool msbFirst)
{
    Expand<1>(src, dst, palette, count, msbFirst);
}

void ExpandPixels2bpp(const u8* src, u32* dst, const u32* palette, i32 count, bool msbFirst)
{
    Expand<2>(src, dst, palette, count, msbFirst);
}

void ExpandPixels4bpp(const u8* src, u32* dst, const u32* palette, i32 count, bool msbFirst)
{
    Expand<4>(src, dst, palette, count, msbFirst);
}
