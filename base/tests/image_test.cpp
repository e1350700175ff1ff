#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/direct_color_image.h"
#include "base/image_holder.h"
#include "base/palette_image.h"

namespace {

void CountChange(void* context, ImageBase*) { ++*static_cast<int*>(context); }

TEST(ImageTest, StorageAndChangeCallback) {
    Image24Bpp rgb;
    int changes = 0;
    rgb.SetChangeCallback(&CountChange, &changes);
    ASSERT_TRUE(rgb.Create(5, 3));
    EXPECT_EQ(rgb.GetStride(), 16);  // 15 bytes padded to 16
    EXPECT_EQ(rgb.GetRow(1), rgb.GetPixels() + 16);
    EXPECT_EQ(changes, 1);
    rgb.SetPixel(2, 3, 0x5A);
    ASSERT_TRUE(rgb.Create(5, 3));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(rgb.GetPixel(2, 3), 0x5Au) << "the same size must keep the pixels";

    Image32Bpp argb;
    EXPECT_FALSE(argb.Create(-1, 4));
    // Sizes whose rows cannot be addressed are refused, not wrapped.
    EXPECT_FALSE(argb.Create(0x7FFFFFFF, 0x7FFFFFFF));
}

TEST(ImageTest, SubBytePixelOrder) {
    Image1Bpp i1;
    ASSERT_TRUE(i1.Create(9, 1));
    EXPECT_EQ(i1.GetStride(), 4);
    const u8 bits[9] = {1, 0, 0, 0, 0, 0, 0, 1, 1};
    i1.GetRow(0)[1] = 0xFF;  // stale bits must not survive the packing
    i1.PackRow(0, bits);
    EXPECT_EQ(i1.GetRow(0)[0], 0x81);
    EXPECT_EQ(i1.GetRow(0)[1], 0x80);

    Image2Bpp i2;
    ASSERT_TRUE(i2.Create(5, 1));
    const u8 quads[5] = {3, 0, 1, 2, 7};  // 7 keeps only its low two bits
    i2.PackRow(0, quads);
    EXPECT_EQ(i2.GetRow(0)[0], 0xC6);
    EXPECT_EQ(i2.GetRow(0)[1], 0xC0);
    i2.SetPixel(0, 1, 2);
    EXPECT_EQ(i2.GetRow(0)[0], 0xE6);

    Image4Bpp i4;
    ASSERT_TRUE(i4.Create(3, 1));
    const u8 nibbles[3] = {0xA, 0x5, 0x1F};
    i4.PackRow(0, nibbles);
    EXPECT_EQ(i4.GetRow(0)[0], 0xA5);
    EXPECT_EQ(i4.GetRow(0)[1], 0xF0);
}

TEST(ImageTest, ColourConversions) {
    Image4Bpp pal;
    ASSERT_TRUE(pal.Create(2, 1));
    pal.SetPaletteEntry(3, 0xFF123456);
    pal.SetPixel(0, 1, 3);
    pal.SetPixelColor(0, 1, 0xFFFFFFFF);  // palette images ignore colours
    const u32* row = pal.GetRowARGB(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row[0], ImageBase::kOpaqueBlack) << "fresh palettes are opaque black";
    EXPECT_EQ(row[1], 0xFF123456u);

    Image8BppAlt grey;
    ASSERT_TRUE(grey.Create(1, 1));
    grey.SetPaletteEntry(0x40, 0xFFFF0000);
    grey.SetPixel(0, 0, 0x40);
    EXPECT_EQ(grey.GetPixelColor(0, 0), 0xFF404040u) << "grey images do not consult the palette";

    Image16Bpp i16;
    ASSERT_TRUE(i16.Create(2, 1));
    i16.SetPixelColor(0, 1, 0xFF123456);
    EXPECT_EQ(i16.GetPixel(0, 1), 0x11AAu);
    EXPECT_EQ(i16.GetPixelColor(0, 1), 0xFF103450u);

    Image24Bpp i24;
    ASSERT_TRUE(i24.Create(2, 1));
    i24.SetPixelColor(0, 1, 0x80A1B2C3);
    EXPECT_EQ(i24.GetRow(0)[3], 0xC3);  // blue first
    EXPECT_EQ(i24.GetPixelColor(0, 1), 0xFFA1B2C3u) << "24-bit colours read back opaque";

    // PackRow goes through the palette in direct-colour images.
    Image32Bpp i32;
    ASSERT_TRUE(i32.Create(2, 1));
    EXPECT_TRUE(i32.HasAlpha());
    i32.SetPaletteEntry(1, 0x11223344);
    const u8 idx[2] = {1, 0};
    i32.PackRow(0, idx);
    EXPECT_EQ(i32.GetPixel(0, 0), 0x11223344u);
    EXPECT_EQ(i32.GetRowARGB(0), reinterpret_cast<const u32*>(i32.GetRow(0)));
}

TEST(ImageTest, MasksCopiesAndClones) {
    Image24Bpp image;
    ASSERT_TRUE(image.Create(10, 2));
    for (int x = 0; x < 10; ++x) {
        image.SetPixelColor(0, x, x % 3 ? 0xFFFF00FF : 0xFF000000);
        image.SetPixelColor(1, x, 0xFFFF00FF);
    }
    EXPECT_EQ(image.ConvertTo1Bpp(nullptr), nullptr) << "no key given and none set";
    const u32 key = 0xFFFF00FF;
    std::unique_ptr<Image1Bpp> mask(image.ConvertTo1Bpp(&key));
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->GetRow(0)[0], 0x92);  // pixels 0, 3, 6 differ from the key
    EXPECT_EQ(mask->GetRow(0)[1], 0x40);  // pixel 9
    EXPECT_EQ(mask->GetRow(1)[0], 0x00);
    image.SetKeyColor(0xFF000000);
    std::unique_ptr<Image1Bpp> inverse(image.ConvertTo1Bpp(nullptr));
    ASSERT_NE(inverse, nullptr);
    EXPECT_EQ(inverse->GetPixel(0, 1), 1u);

    std::unique_ptr<ImageBase> copy(image.Clone(true));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetKeyColor(), 0xFF000000u);
    EXPECT_EQ(copy->GetPixelColor(0, 1), 0xFFFF00FFu);

    Image32Bpp out;
    ASSERT_TRUE(image.CopyToARGB(out));
    EXPECT_EQ(out.GetPixel(0, 2), 0xFFFF00FFu);
    Image24Bpp narrowTarget;
    EXPECT_FALSE(image.CopyToARGB(narrowTarget)) << "rows of a 24-bit target are too short";
}

// A surface as the video classes build one: its own pixels, rows bottom-up.
class TestSurface : public ImageHolder {
public:
    TestSurface(int w, int h) : pixels_(static_cast<size_t>(w) * h, 0) {
        AllocateRows(w, h);
        for (int y = 0; y < h; ++y) SetRow(y, &pixels_[static_cast<size_t>(h - 1 - y) * w]);
    }
    std::vector<u32> pixels_;
};

TEST(ImageTest, HolderRowsAndSurfaceView) {
    TestSurface s(4, 3);
    s.FillRows(0x00112233, -1);
    for (u32 p : s.pixels_) EXPECT_EQ(p, 0x00112233u);
    s.FillRows(0xFFFFFFFF, 3);  // at the height: nothing
    s.FillRows(0xFF0000FF, 1);
    EXPECT_EQ(s.GetRowPixels(1)[3], 0xFF0000FFu);
    EXPECT_EQ(s.GetRowPixels(0)[0], 0x00112233u);
    s.SetOpaque(true, 0);
    EXPECT_EQ(s.GetRowPixels(0)[2], 0xFF112233u);
    s.SetAlpha(0x80, -1);
    EXPECT_EQ(s.GetRowPixels(2)[0], 0x80112233u);

    SurfaceImage* view = s.GetImage();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetHeight(), 3);
    EXPECT_EQ(view->GetStride(), 16);
    EXPECT_EQ(view->GetPixels(), reinterpret_cast<u8*>(s.pixels_.data())) << "lowest row address";
    view->SetPixelColor(2, 1, 0xFFCAFE00);
    EXPECT_EQ(s.pixels_[1], 0xFFCAFE00u);
    EXPECT_FALSE(view->Create(8, 8)) << "a view owns no pixels";

    s.Release();
    s.FillRows(0, -1);  // no row table: nothing to do
    EXPECT_EQ(s.GetImage()->GetWidth(), 0);
}

}  // namespace
