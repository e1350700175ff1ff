#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/bmp_file.h"
#include "base/direct_color_image.h"
#include "base/memory_stream.h"
#include "base/palette_image.h"
#include "base/tests/record_bytes.h"

namespace {

void Put32(Bytes& b, size_t at, u32 v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<u8>(v >> (8 * i));
}
void Put16(Bytes& b, size_t at, u32 v) {
    b[at] = static_cast<u8>(v);
    b[at + 1] = static_cast<u8>(v >> 8);
}

Bytes Save(const ImageBase& image) {
    MemoryStream s;
    s.Allocate(0, -1);
    EXPECT_TRUE(SaveBmpImage(s, image));
    return Contents(s);
}

std::unique_ptr<ImageBase> Load(const Bytes& bytes, int family = kBmpAnyDepth, u64 at = 0) {
    MemoryStream s;
    Fill(s, bytes);
    s.Seek(at);
    return std::unique_ptr<ImageBase>(LoadBmpImage(s, family));
}

// A 1 x 1 4-bit image whose one pixel is colour 0xB of a known palette.
Bytes OnePixel4Bit() {
    Image4Bpp image;
    EXPECT_TRUE(image.Create(1, 1));
    for (int i = 0; i < 16; ++i) image.SetPaletteEntry(i, 0xFF000000u | (i * 0x111111u));
    image.GetRow(0)[0] = 0xB0;
    return Save(image);
}

TEST(BmpTest, OnePixelFourBitLayout) {
    const Bytes b = OnePixel4Bit();
    // File header, 40-byte information header, 16 palette entries, one row of
    // one byte padded to four.
    ASSERT_EQ(b.size(), 14u + 40 + 64 + 4);
    EXPECT_EQ(b[2], 122);  // file size
    EXPECT_EQ(b[10], 118);  // pixel-data offset
    EXPECT_EQ(b[28], 4);   // bits per pixel
    EXPECT_EQ(b[46], 16);  // colours used
    EXPECT_EQ(b[54 + 4 * 0xB + 3], 0x00);  // blue, green, red, 0
    EXPECT_EQ(b[118], 0xB0);

    // Read where it stands in a larger stream.
    Bytes inside(7 + b.size(), 0xEE);
    std::copy(b.begin(), b.end(), inside.begin() + 7);
    auto image = Load(inside, kBmpAnyDepth, 7);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetBitsPerPixel(), 4);
    EXPECT_EQ(image->GetPixel(0, 0), 0xBu) << "the pixel is the high nibble";
    EXPECT_EQ(image->GetPixelColor(0, 0), 0xFFBBBBBBu);
}

TEST(BmpTest, RoundTripEveryDepth) {
    std::vector<std::unique_ptr<ImageBase>> images;
    images.emplace_back(new Image1Bpp);
    images.emplace_back(new Image2Bpp);
    images.emplace_back(new Image4Bpp);
    images.emplace_back(new Image8Bpp);
    images.emplace_back(new Image16Bpp);
    images.emplace_back(new Image24Bpp);
    images.emplace_back(new Image32Bpp);
    for (auto& src : images) {
        const int bits = src->GetBitsPerPixel();
        SCOPED_TRACE(bits);
        ASSERT_TRUE(src->Create(13, 5));  // odd width: every depth needs padding
        for (int i = 0; i < src->GetPaletteSize(false); ++i) src->SetPaletteEntry(i, 0xFF000000u | (i * 0x010203u));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) src->SetPixel(y, x, static_cast<u32>((y * 13 + x) * 2654435761u));

        auto back = Load(Save(*src));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->GetBitsPerPixel(), bits);
        EXPECT_EQ(back->GetWidth(), 13);
        EXPECT_EQ(back->GetHeight(), 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(back->GetPixel(y, x), src->GetPixel(y, x)) << y << "," << x;
        for (int i = 0; i < src->GetPaletteSize(false); ++i)
            ASSERT_EQ(back->GetPaletteEntry(i), src->GetPaletteEntry(i));
    }
}

TEST(BmpTest, FamilyChoosesTheClass) {
    const Bytes four = OnePixel4Bit();
    EXPECT_EQ(Load(four, kBmpGrey), nullptr);
    EXPECT_EQ(Load(four, 7), nullptr);
    MemoryStream s;
    s.Allocate(0, -1);
    EXPECT_FALSE(SaveBmpImage(s, Image24Bpp())) << "an empty image has no file";

    Image32Bpp argb;
    ASSERT_TRUE(argb.Create(2, 2));
    auto direct = Load(Save(argb));
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(direct->GetBitsPerPixel(), 32);
    EXPECT_TRUE(direct->HasAlpha());

    Image8Bpp eight;
    ASSERT_TRUE(eight.Create(1, 1));
    eight.SetPixel(0, 0, 0x33);
    auto grey = Load(Save(eight), kBmpGrey);
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(grey->GetFamily(), 2);
    EXPECT_EQ(grey->GetPixelColor(0, 0), 0xFF333333u);
}

TEST(BmpTest, FewerColoursThanTheDepthAllows) {
    // Many writers store only the colours used; the pixels follow at once.
    Image8Bpp src;
    ASSERT_TRUE(src.Create(4, 1));
    src.SetPaletteEntry(1, 0xFF00FF00);
    const u8 idx[4] = {0, 1, 1, 0};
    src.PackRow(0, idx);
    Bytes full = Save(src);
    Bytes b(full.begin(), full.begin() + 54 + 8);
    b.insert(b.end(), full.end() - 4, full.end());
    Put32(b, 2, static_cast<u32>(b.size()));
    Put32(b, 10, 54 + 8);
    Put32(b, 46, 2);
    auto image = Load(b);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetPixelColor(0, 1), 0xFF00FF00u);
}

TEST(BmpTest, DamagedHeadersAreRefused) {
    const Bytes good = OnePixel4Bit();
    ASSERT_NE(Load(good), nullptr);

    // Truncated anywhere: header, palette or pixels.
    for (size_t n = 0; n < good.size(); ++n)
        ASSERT_EQ(Load(Bytes(good.begin(), good.begin() + n)), nullptr) << "cut at " << n;

    auto damaged = [&](auto change) {
        Bytes b = good;
        change(b);
        return Load(b);
    };
    EXPECT_EQ(damaged([](Bytes& b) { b[1] = 'A'; }), nullptr);
    EXPECT_EQ(damaged([](Bytes& b) { Put32(b, 22, static_cast<u32>(-1)); }), nullptr) << "top-down";
    EXPECT_EQ(damaged([](Bytes& b) { Put32(b, 30, 1); }), nullptr) << "compressed";
    EXPECT_EQ(damaged([](Bytes& b) { Put16(b, 26, 2); }), nullptr) << "two planes";
    EXPECT_EQ(damaged([](Bytes& b) { Put16(b, 28, 3); }), nullptr) << "three bits";
    EXPECT_EQ(damaged([](Bytes& b) { Put32(b, 14, 12); }), nullptr) << "old core header";
    EXPECT_EQ(damaged([](Bytes& b) { Put32(b, 2, 123); }), nullptr) << "file size past the stream";
    EXPECT_EQ(damaged([](Bytes& b) { Put32(b, 10, 123); }), nullptr) << "pixels past the stream";
    EXPECT_EQ(damaged([](Bytes& b) { Put32(b, 10, 100); }), nullptr) << "palette runs into the pixels";
    EXPECT_EQ(damaged([](Bytes& b) { Put32(b, 14, 0xFFFFFFF0); }), nullptr) << "huge header size";
}

TEST(BmpTest, HostileSizesAreRefusedBeforeAllocating) {
    const Bytes good = OnePixel4Bit();
    // Dimensions whose rows would need gigabytes (or wrap 32-bit arithmetic)
    // against a stream of 122 bytes.
    const u32 sizes[][2] = {{0x7FFFFFFF, 0x7FFFFFFF}, {0x7FFFFFFF, 1}, {1, 0x7FFFFFFF},
                            {0x40000000, 0x40000000}, {0x10000, 0x10000}, {8, 2}};
    for (const auto& wh : sizes) {
        Bytes b = good;
        Put32(b, 18, wh[0]);
        Put32(b, 22, wh[1]);
        EXPECT_EQ(Load(b), nullptr) << wh[0] << " x " << wh[1];
    }
}

}  // namespace
