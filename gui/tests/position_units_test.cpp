// Millimetres and tenths of a millimetre to pixels and back, and the frame
// window's resolution rule.
#include <gtest/gtest.h>

#include "gui/position_units.h"

namespace {

class PositionUnitsTest : public ::testing::Test {
protected:
    void TearDown() override { ScreenDpiX = ScreenDpiY = 96; }
};

TEST_F(PositionUnitsTest, ConvertsToPixelsRoundingToNearest)
{
    const struct {
        int dpi, unit, value, pixels;
    } cases[] = {
        {96, kUnitMillimetres, 10, 38},        // 37.8
        {139, kUnitMillimetres, 10, 55},       // 54.7
        {96, kUnitTenthMillimetres, 100, 38},
        {96, kUnitMillimetres, 0, 0},
        {96, kUnitPixels, 123, 123},
        {96, 3, 123, 123},                     // unknown unit: unchanged
    };
    for (const auto& c : cases) {
        ScreenDpiX = ScreenDpiY = c.dpi;
        int x = c.value, y = c.value;
        MmToPixels(&x, &y, c.unit);
        EXPECT_EQ(x, c.pixels) << c.value << " in unit " << c.unit << " at " << c.dpi;
        EXPECT_EQ(y, c.pixels);
    }
}

TEST_F(PositionUnitsTest, UsesEachAxisOwnResolution)
{
    ScreenDpiX = 96;
    ScreenDpiY = 192;
    int x = 254, y = 254;
    MmToPixels(&x, &y, kUnitTenthMillimetres);
    EXPECT_EQ(x, 96);
    EXPECT_EQ(y, 192);
    double fx = 25.4, fy = 25.4;
    MmToPixelsF(&fx, &fy, kUnitMillimetres);
    EXPECT_DOUBLE_EQ(fx, 96.0);
    EXPECT_DOUBLE_EQ(fy, 192.0);
}

TEST_F(PositionUnitsTest, ConvertsPixelsBack)
{
    int x = 38, y = 38;
    PixelsToMm(&x, &y, kUnitTenthMillimetres);
    EXPECT_EQ(x, 99);
    x = 38;
    PixelsToMm(&x, &y, kUnitMillimetres);
    EXPECT_EQ(x, 9);
    double fx = 96, fy = 96;
    PixelsToMmF(&fx, &fy, kUnitMillimetres);
    EXPECT_DOUBLE_EQ(fx, 25.4);
}

TEST_F(PositionUnitsTest, ScreenResolutionIsScaledAndSetOnce)
{
    const struct {
        int screenX, screenY, dpiX, dpiY;
    } cases[] = {{96, 96, 139, 139}, {120, 120, 174, 174}, {0, 0, 139, 139}, {96, 0, 139, 139}, {0, 72, 139, 104}};
    for (const auto& c : cases) {
        i32 x = 0, y = 0;
        ScaledScreenDpi(c.screenX, c.screenY, &x, &y);
        EXPECT_EQ(x, c.dpiX) << c.screenX << " by " << c.screenY;
        EXPECT_EQ(y, c.dpiY);
    }
    // The first call of the process sets the values (a frame window may have
    // made it already); no later call changes them.
    SetScreenDpiOnce(96, 96);
    const i32 x = ScreenDpiX;
    EXPECT_FALSE(SetScreenDpiOnce(120, 120));
    EXPECT_EQ(ScreenDpiX, x);
}

} // namespace
