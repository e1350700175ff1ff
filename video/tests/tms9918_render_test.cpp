// TMS9918 screen modes and sprites: known video memory drawn into a frame, checked by a
// digest of the whole frame and by spot pixels that say why.
#include <gtest/gtest.h>

#include "video/tests/video_rig.h"

namespace {

using P = Tms9918Vdp;

constexpr u32 kNames = 0x1800;      // R2 = 0x06
constexpr u32 kColours = 0x2000;    // R3 = 0x80
constexpr u32 kPatterns = 0x0000;   // R4 = 0x00
constexpr u32 kSprites = 0x1B00;    // R5 = 0x36
constexpr u32 kSpritePatterns = 0x3800;  // R6 = 0x07

struct Vdp : ::testing::Test {
    BufferSurface surface;
    VdpMachine machine;

    void SetUp() override
    {
        ASSERT_TRUE(machine.Build(&surface));
        ASSERT_TRUE(machine.Run());
        machine.SetRegister(2, 0x06);
        machine.SetRegister(3, 0x80);
        machine.SetRegister(4, 0x00);
        machine.SetRegister(5, 0x36);
        machine.SetRegister(6, 0x07);
    }
    void TearDown() override { machine.Stop(); }

    void Frame() { ASSERT_TRUE(machine.vdp->RenderLines()); }
    u32 At(i32 x, i32 y) const { return surface.Pixel(x, y); }
    // Sprite i at (x, y) with pattern name and colour; the list ends after it.
    void Sprite(i32 i, u8 y, u8 x, u8 name, u8 colour)
    {
        machine.Poke(kSprites + static_cast<u32>(i) * 4, {y, x, name, colour, 208});
    }
};

// Graphics I over a blank screen: sprite size bits and the backdrop black.
struct Sprites : Vdp {
    void SetUp() override
    {
        Vdp::SetUp();
        machine.SetRegister(1, 0x40);
        machine.SetRegister(7, 0x01);
        machine.Fill(kSprites, 208, 1);
    }
};

} // namespace

TEST_F(Vdp, DisplayOffShowsTheBackdropAndABlackOneForTheTransparentCode)
{
    // After Start the display is off (R1 = 0x80).
    EXPECT_EQ(machine.vdp->GetRegister(1), 0x80);
    machine.SetRegister(7, 0x05);
    Frame();
    EXPECT_EQ(At(0, 0), P::kPalette[5]);
    EXPECT_EQ(At(255, 191), P::kPalette[5]);
    machine.SetRegister(7, 0x00);
    Frame();
    EXPECT_EQ(At(100, 100), P::kPalette[1]);
    EXPECT_EQ(surface.GetBorderColor(), 0xFF000000u);
}

TEST_F(Vdp, GraphicsOneColoursEachGroupOfEightNames)
{
    machine.SetRegister(1, 0x40);
    machine.SetRegister(7, 0x17);
    // Name 1 is an "A"; names 8.. use the second colour byte.
    machine.Poke(kPatterns + 8, {0x18, 0x24, 0x42, 0x7E, 0x42, 0x42, 0x42, 0x00});
    machine.Poke(kPatterns + 9 * 8, {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F});
    machine.Poke(kColours, {0xF0, 0x6D});
    for (u32 row = 0; row < 24; ++row)
        machine.Poke(kNames + row * 32, {0, 1, 9, 1});
    Frame();
    EXPECT_EQ(surface.Digest(), 0x8440032672B661A5ull);
    EXPECT_EQ(At(0, 0), P::kPalette[7]);    // transparent low nibble: the backdrop
    EXPECT_EQ(At(8 + 3, 0), P::kPalette[15]);
    EXPECT_EQ(At(8 + 2, 0), P::kPalette[7]);
    EXPECT_EQ(At(8 + 1, 3), P::kPalette[15]);  // the "A"'s bar
    EXPECT_EQ(At(16, 0), P::kPalette[6]);   // second colour byte
    EXPECT_EQ(At(20, 0), P::kPalette[13]);
    EXPECT_EQ(At(16, 7), P::kPalette[13]);
    EXPECT_EQ(At(24 + 3, 8 * 23), P::kPalette[15]);
    EXPECT_EQ(At(40, 0), P::kPalette[7]);   // name 0 beyond the poked columns

    // With the backdrop itself transparent the key colour shows.
    machine.SetRegister(7, 0x10);
    Frame();
    EXPECT_EQ(At(0, 0), 0xFF010203u);
}

TEST_F(Vdp, GraphicsTwoTablesFollowTheirMasks)
{
    machine.SetRegister(1, 0x40);
    machine.SetRegister(0, 0x02);
    machine.SetRegister(7, 0x01);
    machine.Fill(kNames, 0, 768);
    // Name 0 in each third: all set, left half, right half.
    machine.Fill(0x0000, 0xFF, 8);
    machine.Fill(0x0800, 0xF0, 8);
    machine.Fill(0x1000, 0x0F, 8);
    machine.Fill(0x2000, 0x2E, 8);
    machine.Fill(0x2800, 0x6B, 8);
    machine.Fill(0x3000, 0x45, 8);

    // R3 = 0x9F: the colour index keeps only the name, so every third takes the first
    // colour block; R4 = 0x03 keeps the thirds of the pattern table apart.
    machine.SetRegister(3, 0x9F);
    machine.SetRegister(4, 0x03);
    Frame();
    EXPECT_EQ(surface.Digest(), 0xADE0DEE1FCAD2325ull);
    EXPECT_EQ(At(0, 0), P::kPalette[2]);
    EXPECT_EQ(At(0, 70), P::kPalette[2]);
    EXPECT_EQ(At(4, 70), P::kPalette[14]);
    EXPECT_EQ(At(0, 140), P::kPalette[14]);
    EXPECT_EQ(At(7, 140), P::kPalette[2]);

    // R3 = 0xFF: each third has its own colours.
    machine.SetRegister(3, 0xFF);
    Frame();
    EXPECT_EQ(At(0, 70), P::kPalette[6]);
    EXPECT_EQ(At(4, 70), P::kPalette[11]);
    EXPECT_EQ(At(7, 140), P::kPalette[4]);

    // R4 = 0x00: every third draws the first third's patterns.
    machine.SetRegister(4, 0x00);
    Frame();
    EXPECT_EQ(surface.Digest(), 0xE13CCEB0EAE4A325ull);
    EXPECT_EQ(At(4, 70), P::kPalette[6]);
    EXPECT_EQ(At(0, 140), P::kPalette[4]);

    // R4 = 0x01: thirds 0 and 1 apart, third 2 falls back on third 0.
    machine.SetRegister(4, 0x01);
    Frame();
    EXPECT_EQ(At(4, 70), P::kPalette[11]);
    EXPECT_EQ(At(0, 140), P::kPalette[4]);
}

TEST_F(Vdp, MulticolorDrawsFourByFourBlocks)
{
    machine.SetRegister(1, 0x48);
    machine.SetRegister(7, 0x03);
    machine.Fill(kNames, 0, 768);
    machine.Poke(kNames + 32, {1});
    machine.Poke(kPatterns, {0x4A, 0x0F, 0x9C, 0x00});
    machine.Poke(kPatterns + 8, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    Frame();
    EXPECT_EQ(surface.Digest(), 0x120B11C43D1851A5ull);
    EXPECT_EQ(At(0, 0), P::kPalette[4]);
    EXPECT_EQ(At(3, 3), P::kPalette[4]);
    EXPECT_EQ(At(4, 0), P::kPalette[10]);
    EXPECT_EQ(At(0, 4), P::kPalette[3]);   // transparent: the backdrop
    EXPECT_EQ(At(5, 4), P::kPalette[15]);
    EXPECT_EQ(At(0, 8), P::kPalette[3]);   // name 1's all-transparent byte
    EXPECT_EQ(At(8, 8), P::kPalette[9]);   // name row 1 takes pattern byte 2
    EXPECT_EQ(At(255, 191), P::kPalette[3]);
}

TEST_F(Vdp, TextShowsFortyCharactersOfSixPixelsBetweenBackdropMargins)
{
    machine.SetRegister(1, 0x50);
    machine.SetRegister(7, 0xF4);
    machine.SetRegister(2, 0x02);
    machine.Fill(0x0800, 0, 960);
    machine.Poke(0x0800, {1, 2});
    machine.Poke(0x0800 + 39, {2});
    machine.Poke(0x0800 + 40, {2});
    machine.Poke(kPatterns + 8, {0xFF});
    machine.Poke(kPatterns + 16, {0x84});
    Frame();
    EXPECT_EQ(surface.Digest(), 0xE877EB82D1CC0E6Dull);
    EXPECT_EQ(At(7, 0), P::kPalette[4]);    // left margin
    EXPECT_EQ(At(8, 0), P::kPalette[15]);
    EXPECT_EQ(At(13, 0), P::kPalette[15]);  // six pixels of 0xFF
    EXPECT_EQ(At(14, 0), P::kPalette[15]);  // the next character starts at once: 0x84
    EXPECT_EQ(At(15, 0), P::kPalette[4]);
    EXPECT_EQ(At(19, 0), P::kPalette[15]);  // bit 2 of 0x84; bits 1 and 0 are not shown
    EXPECT_EQ(At(20, 0), P::kPalette[4]);
    EXPECT_EQ(At(8 + 39 * 6, 0), P::kPalette[15]);  // the 40th character
    EXPECT_EQ(At(8 + 39 * 6 + 5, 0), P::kPalette[15]);
    EXPECT_EQ(At(248, 0), P::kPalette[4]);  // right margin
    EXPECT_EQ(At(8, 8), P::kPalette[15]);   // rows are 40 names apart
    EXPECT_EQ(At(8, 1), P::kPalette[4]);

    // A text colour of 0 is transparent: the backdrop shows, not the key colour.
    machine.SetRegister(7, 0x04);
    Frame();
    EXPECT_EQ(At(8, 0), P::kPalette[4]);
    EXPECT_EQ(At(8, 1), P::kPalette[4]);
}

TEST_F(Vdp, MixedModesLeaveTheRowsAsTheyWere)
{
    machine.SetRegister(7, 0x06);
    Frame();
    const u64 off = surface.Digest();
    machine.SetRegister(1, 0x58);  // M1 + M2: mode 5
    machine.vdp->RenderLines();
    EXPECT_EQ(surface.Digest(), off);
}

TEST_F(Sprites, SizeAndMagnificationSetTheExtent)
{
    machine.Poke(kSpritePatterns, {0x81, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    Sprite(0, 10, 20, 0, 15);
    Frame();
    EXPECT_EQ(surface.Digest(), 0x5233C5FF0441124Dull);
    // The first row shows on the line after Y.
    EXPECT_EQ(At(20, 10), P::kPalette[1]);
    EXPECT_EQ(At(20, 11), P::kPalette[15]);
    EXPECT_EQ(At(21, 11), P::kPalette[1]);
    EXPECT_EQ(At(27, 11), P::kPalette[15]);
    EXPECT_EQ(At(28, 12), P::kPalette[1]);
    EXPECT_EQ(At(27, 18), P::kPalette[15]);
    EXPECT_EQ(At(20, 19), P::kPalette[1]);

    // Magnified 8 x 8: each bit two pixels wide, each row two lines high.
    machine.SetRegister(1, 0x41);
    Frame();
    EXPECT_EQ(surface.Digest(), 0x1E8302FA85368FC5ull);
    EXPECT_EQ(At(21, 12), P::kPalette[15]);
    EXPECT_EQ(At(22, 12), P::kPalette[1]);
    EXPECT_EQ(At(34, 11), P::kPalette[15]);
    EXPECT_EQ(At(35, 11), P::kPalette[15]);
    EXPECT_EQ(At(36, 13), P::kPalette[1]);
    EXPECT_EQ(At(35, 26), P::kPalette[15]);
    EXPECT_EQ(At(35, 27), P::kPalette[1]);

    // 16 x 16: the right half comes from the pattern bytes 16 further on, and the name's
    // low two bits are not used (name 3 draws the block of name 0).
    machine.Poke(kSpritePatterns + 16, {0x01});
    Sprite(0, 10, 20, 3, 15);
    machine.SetRegister(1, 0x42);
    Frame();
    EXPECT_EQ(At(20, 11), P::kPalette[15]);
    EXPECT_EQ(At(35, 11), P::kPalette[15]);
    EXPECT_EQ(At(34, 11), P::kPalette[1]);
    EXPECT_EQ(At(20, 26), P::kPalette[1]);   // rows 8..15: names 1 and 3, blank
    EXPECT_EQ(At(20, 27), P::kPalette[1]);

    // 16 x 16 magnified: 32 pixels wide.
    machine.SetRegister(1, 0x43);
    Frame();
    EXPECT_EQ(At(50, 11), P::kPalette[15]);
    EXPECT_EQ(At(51, 12), P::kPalette[15]);
    EXPECT_EQ(At(52, 11), P::kPalette[1]);
}

TEST_F(Sprites, EarlyClockShiftsThirtyTwoPixelsLeft)
{
    machine.Poke(kSpritePatterns, {0x80});
    Sprite(0, 40, 40, 0, 0x8F);
    Frame();
    EXPECT_EQ(At(8, 41), P::kPalette[15]);
    EXPECT_EQ(At(40, 41), P::kPalette[1]);
    // At X = 0 the whole sprite lies left of the picture.
    Sprite(0, 40, 0, 0, 0x8F);
    Frame();
    EXPECT_EQ(surface.Digest(), 0xC03D3A0BC0002325ull);
}

TEST_F(Sprites, TerminatorHidesItselfAndEveryLaterSprite)
{
    machine.Poke(kSpritePatterns, {0xFF});
    machine.Poke(kSprites, {50, 0, 0, 15, 208, 40, 0, 15, 50, 80, 0, 15});
    Frame();
    EXPECT_EQ(At(0, 51), P::kPalette[15]);
    EXPECT_EQ(At(80, 51), P::kPalette[1]);
    // The sprite number shows the terminating entry.
    EXPECT_EQ(machine.vdp->GetStatus() & 0x5F, 1);
}

TEST_F(Sprites, FourOnALineShowAndTheFifthSetsTheStatus)
{
    machine.Poke(kSpritePatterns, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    // Five on lines 50..57, a sixth elsewhere; priority: sprite 0 over sprite 1.
    machine.Poke(kSprites, {50, 0, 0, 15, 50, 4, 0, 6, 50, 80, 0, 15, 50, 120, 0, 15, 50, 160, 0, 15,
                            100, 0, 0, 15, 208});
    Frame();
    EXPECT_EQ(surface.Digest(), 0xB54D1CE5D6A2E065ull);
    EXPECT_EQ(At(7, 51), P::kPalette[15]);
    EXPECT_EQ(At(8, 51), P::kPalette[6]);
    EXPECT_EQ(At(120, 58), P::kPalette[15]);
    EXPECT_EQ(At(160, 51), P::kPalette[1]);   // the fifth is not shown
    EXPECT_EQ(At(0, 101), P::kPalette[15]);
    const u8 status = machine.In(0x99);
    EXPECT_EQ(status & 0x40, 0x40);
    EXPECT_EQ(status & 0x1F, 4);
    EXPECT_EQ(status & 0x20, 0x20);   // sprites 0 and 1 overlap
    // The read cleared the flags; the next frame sets them again.
    EXPECT_EQ(machine.In(0x99) & 0xE0, 0);
    machine.vdp->RenderLines();
    EXPECT_EQ(machine.vdp->GetStatus() & 0x5F, 0x44);
}

TEST_F(Sprites, CollisionNeedsASetPixelOnTheSameVisibleSpot)
{
    // Pattern 0: one pixel on the left; pattern 1: the left and right edges; pattern 2:
    // the right half.
    machine.Poke(kSpritePatterns, {0x80});
    machine.Poke(kSpritePatterns + 8, {0x81});
    machine.Poke(kSpritePatterns + 16, {0x0F});
    machine.Poke(kSpritePatterns + 24, {0xFF});
    auto collides = [&](const std::vector<u8>& list) {
        machine.In(0x99);
        machine.Poke(kSprites, list);
        Frame();
        return (machine.In(0x99) & 0x20) != 0;
    };
    // Boxes overlap, pixels do not.
    EXPECT_FALSE(collides({60, 100, 0, 15, 60, 107, 0, 15, 208}));
    // Pixel 107 is set in both.
    EXPECT_TRUE(collides({60, 100, 1, 15, 60, 107, 0, 15, 208}));
    EXPECT_TRUE(collides({60, 107, 0, 15, 60, 100, 1, 15, 208}));
    // Magnified, the single pixel is two wide and meets the next one.
    machine.SetRegister(1, 0x41);
    EXPECT_TRUE(collides({60, 100, 0, 15, 60, 101, 0, 15, 208}));
    machine.SetRegister(1, 0x40);
    EXPECT_FALSE(collides({60, 100, 0, 15, 60, 101, 0, 15, 208}));
    // Only beyond the right edge (pixels 256..259) or left of it (early clock): nothing.
    EXPECT_FALSE(collides({60, 252, 2, 15, 60, 254, 3, 15, 208}));
    EXPECT_FALSE(collides({60, 0, 3, 0x8F, 60, 4, 3, 0x8F, 208}));
    EXPECT_TRUE(collides({60, 28, 3, 0x8F, 60, 0, 3, 15, 208}));
    // A fifth sprite on the line takes no part.
    EXPECT_FALSE(collides({60, 0, 3, 15, 60, 20, 3, 15, 60, 40, 3, 15, 60, 60, 3, 15, 60, 0, 3, 15, 208}));
}

TEST_F(Sprites, SpriteStatusComesFromLinesThatAreNotDrawnAgain)
{
    machine.Poke(kSpritePatterns, {0xFF});
    machine.Poke(kSprites, {60, 100, 0, 15, 60, 104, 0, 15, 208});
    Frame();
    EXPECT_EQ(machine.In(0x99) & 0x20, 0x20);
    // Nothing changed: no line is drawn, but the collision is seen again.
    EXPECT_FALSE(machine.vdp->RenderLines());
    EXPECT_EQ(machine.In(0x99) & 0x20, 0x20);
}

TEST_F(Sprites, ASpriteNearTheBottomOfItsRangeWrapsToTheTop)
{
    machine.Poke(kSpritePatterns, {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01});
    // Y = 255 is the line above line 0: the whole sprite shows from the top.
    Sprite(0, 255, 100, 0, 15);
    Frame();
    EXPECT_EQ(surface.Digest(), 0xF94019FA0948EC45ull);
    EXPECT_EQ(At(100, 0), P::kPalette[15]);   // row 0 on line 0
    EXPECT_EQ(At(107, 7), P::kPalette[15]);   // row 7 on line 7
    EXPECT_EQ(At(107, 8), P::kPalette[1]);

    // Y = 248 starts at line -7: only row 7 shows, on line 0.
    Sprite(0, 248, 100, 0, 15);
    Frame();
    EXPECT_EQ(At(107, 0), P::kPalette[15]);
    EXPECT_EQ(At(106, 1), P::kPalette[1]);

    // Y = 224 with 32-line sprites starts at line -31: the last row shows on line 0.
    machine.SetRegister(1, 0x43);
    machine.Poke(kSpritePatterns + 15, {0x01});
    Sprite(0, 224, 100, 0, 15);
    Frame();
    EXPECT_EQ(At(114, 0), P::kPalette[15]);   // pattern row 15, bit 0 of the left half
    EXPECT_EQ(At(115, 0), P::kPalette[15]);
    EXPECT_EQ(At(114, 1), P::kPalette[1]);

    // Y = 191 would start below the picture: nothing at the top.
    machine.SetRegister(1, 0x40);
    Sprite(0, 191, 100, 0, 15);
    Frame();
    EXPECT_EQ(At(100, 0), P::kPalette[1]);
}

TEST_F(Sprites, TransparentSpritesDrawNothingButStillCollide)
{
    machine.Poke(kSpritePatterns, {0xFF});
    machine.Poke(kSprites, {30, 10, 0, 0, 30, 12, 0, 0, 208});
    Frame();
    EXPECT_EQ(At(12, 30), P::kPalette[1]);
    EXPECT_EQ(machine.In(0x99) & 0x20, 0x20);
}
