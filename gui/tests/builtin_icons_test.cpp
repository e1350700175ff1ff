#include "gui/builtin_icons.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/image_base.h"

namespace {

using Loader = ImageBase* (*)(unsigned);
using Data = std::span<const u8> (*)(unsigned);

u32 Le32(std::span<const u8> b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<u32>(b[at + 3]) << 24;
}

TEST(BuiltinIcons, ToolbarPicturesHaveTheirSizesAndNoKey)
{
    struct Case {
        ImageBase* (*load)();
        std::span<const u8> (*data)();
        size_t bytes;
        int width, height;
        u32 arrow;  // a pixel in the middle of the drawing, not the background
    } cases[] = {
        {LoadStartIcon, BuiltinIconData::Start, 230, 15, 14, 0xFF00FF00},
        {LoadPauseIcon, BuiltinIconData::Pause, 238, 13, 15, 0xFF0000FF},
        {LoadStopIcon, BuiltinIconData::Stop, 222, 14, 13, 0xFF800000},
    };
    for (const Case& c : cases) {
        const auto bytes = c.data();
        ASSERT_EQ(bytes.size(), c.bytes);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(Le32(bytes, 10), 118u);  // pixels follow the 16-entry palette
        EXPECT_EQ(bytes[28], 4);           // bits per pixel
        EXPECT_EQ(Le32(bytes, 46), 16u);   // colours used
        std::unique_ptr<ImageBase> image(c.load());
        ASSERT_TRUE(image);
        EXPECT_EQ(image->GetWidth(), c.width);
        EXPECT_EQ(image->GetHeight(), c.height);
        EXPECT_EQ(image->GetBitsPerPixel(), 4);
        EXPECT_FALSE(image->HasKeyColor());
        EXPECT_EQ(image->GetPixelColor(0, 0), 0xFFFF00FFu) << "magenta corner, the button's key";
        EXPECT_EQ(image->GetPixelColor(5, 3), c.arrow);
    }
}

TEST(BuiltinIcons, DriveSetsHaveTwelveKeyedStates)
{
    struct Set {
        Loader load;
        Data data;
        int lampX, lampY;  // a lamp pixel of the drawing
    } sets[] = {
        {LoadFloppyDriveIcon, BuiltinIconData::FloppyDrive, 6, 10},
        {LoadHardDriveIcon, BuiltinIconData::HardDrive, 29, 10},
        {LoadCartridgeIcon, BuiltinIconData::Cartridge, 30, 7},
    };
    const u32 lamp[12] = {0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF00FF00, 0xFFFF0000,
                          0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF0000, 0xFFFFFF00, 0xFFFF0000, 0xFFFFFF00};
    for (const Set& s : sets) {
        for (unsigned i = 0; i < 12; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(s.data(i).size(), 502u);
            std::unique_ptr<ImageBase> image(s.load(i));
            ASSERT_TRUE(image);
            EXPECT_EQ(image->GetWidth(), 47);
            EXPECT_EQ(image->GetHeight(), 16);
            ASSERT_TRUE(image->HasKeyColor());
            EXPECT_EQ(image->GetKeyColor(), kDriveIconKeyColor);
            EXPECT_EQ(image->GetPixelColor(0, 0), kDriveIconKeyColor) << "background is the key";
            EXPECT_EQ(image->GetPixelColor(s.lampY, s.lampX), lamp[i]);
            const bool lit = (i >= 4 && i <= 7) || i >= 10;
            EXPECT_EQ(image->GetPixelColor(13, 10), lit ? lamp[i] : 0xFF808080u) << "face";
            const bool open = i == 1 || i == 3 || i == 5 || i == 7;
            EXPECT_EQ(image->GetPixelColor(4, 37) == 0xFF000000u, !open) << "upright lever";
            EXPECT_EQ(image->GetPixelColor(8, 42) == 0xFF000000u, open) << "sideways lever";
        }
        EXPECT_EQ(s.load(12), nullptr);
        EXPECT_EQ(s.load(static_cast<unsigned>(-1)), nullptr);
    }
}

TEST(BuiltinIcons, EachCallMakesAnIndependentImage)
{
    std::unique_ptr<ImageBase> a(LoadCartridgeIcon(11));
    std::unique_ptr<ImageBase> b(LoadCartridgeIcon(11));
    ASSERT_TRUE(a && b);
    EXPECT_NE(a.get(), b.get());
    a->SetPixel(5, 5, 0);
    EXPECT_NE(b->GetPixel(5, 5), 0u);
}

}  // namespace
