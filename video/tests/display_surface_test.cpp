// Display surfaces: frame ending and hand-over, border colour, line bookkeeping, fitting
// to the output and the bit-block painter.
#include <gtest/gtest.h>

#include "video/null_display.h"
#include "video/tests/video_rig.h"

TEST(DisplaySurface, EndFrameReportsChangesOnce)
{
    BufferSurface surface;
    EXPECT_EQ(surface.GetFrameCounter(), 1u);
    EXPECT_TRUE(surface.EndFrame(false));   // a new surface has something to show
    EXPECT_FALSE(surface.EndFrame(false));
    EXPECT_EQ(surface.GetFrameCounter(), 3u);

    // The counter skips 0 when it wraps: 0 means "no frame yet" to its readers.
    surface.SetFrameCounter(0xFFFFFFFF);
    surface.EndFrame(false);
    EXPECT_EQ(surface.GetFrameCounter(), 1u);
}

TEST(DisplaySurface, AFullEndAsksTheNextHandOverForEveryLine)
{
    BufferSurface surface;
    ASSERT_TRUE(surface.SetSize(16, 10, false));
    surface.EndFrame(false);
    EXPECT_TRUE(surface.EndFrame(true));    // even though nothing changed
    EXPECT_TRUE(surface.IsFullRedrawRequested());
    EXPECT_FALSE(surface.IsChanged());
    surface.BeginFrame(1, 1.5f);
    EXPECT_FALSE(surface.IsFullRedrawRequested());
    EXPECT_TRUE(surface.IsChanged());
    EXPECT_EQ(surface.GetRenderedLineCount(), 10);
    EXPECT_EQ(surface.GetLineFlags(9) & DisplaySurface::kLineRendered, DisplaySurface::kLineRendered);
    EXPECT_EQ(surface.GetLineFlags(10), 0);
    EXPECT_FLOAT_EQ(surface.GetAspect(), 1.5f);

    // A frame-ready callback that answers true shows everything again.
    BufferSurface other;
    ASSERT_TRUE(other.SetSize(4, 3, false));
    other.EndFrame(false);
    int asked = 0;
    other.frameReadyUserData = &asked;
    other.frameReadyCallback = [](void* user) {
        ++*static_cast<int*>(user);
        return true;
    };
    other.BeginFrame(0, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(other.GetRenderedLineCount(), 3);
    EXPECT_TRUE(other.EndFrame(false));
}

TEST(DisplaySurface, BorderColourChangesOnlyWhenItDiffers)
{
    BufferSurface surface;
    ASSERT_TRUE(surface.SetSize(8, 4, false));
    surface.EndFrame(false);
    const u32 black = 0xFF000000;
    surface.SetBorderColor(&black);
    EXPECT_FALSE(surface.IsChanged());

    surface.EndFrame(true);
    const u32 red = 0xFFFF0000;
    surface.SetBorderColor(&red);
    EXPECT_EQ(surface.GetBorderColor(), red);
    EXPECT_TRUE(surface.IsChanged());
    EXPECT_FALSE(surface.IsFullRedrawRequested());   // cancelled: the border did it
    EXPECT_EQ(surface.GetRenderedLineCount(), 4);

    surface.Reset();
    EXPECT_EQ(surface.GetBorderColor(), black);
    EXPECT_EQ(surface.GetWidth(), 0);
    EXPECT_EQ(surface.GetPixelBuffer(), nullptr);
}

TEST(DisplaySurface, DrawnLinesAreTrackedUntilMemoryChanges)
{
    BufferSurface surface;
    ASSERT_TRUE(surface.SetSize(8, 6, false));
    EXPECT_EQ(surface.GetUndrawnLineCount(), 6);
    surface.MarkLineDrawn(2);
    surface.MarkLineDrawn(4);
    EXPECT_TRUE(surface.IsLineDrawn(2));
    EXPECT_EQ(surface.GetUndrawnLineCount(), 4);
    EXPECT_EQ(surface.GetRenderedLineCount(), 2);
    EXPECT_EQ(surface.GetDrawnFirst(), 2);
    EXPECT_EQ(surface.GetDrawnLast(), 4);

    surface.InvalidateDrawnLines();
    EXPECT_FALSE(surface.IsLineDrawn(2));
    EXPECT_FALSE(surface.IsLineDrawn(4));
    EXPECT_EQ(surface.GetUndrawnLineCount(), 6);
    // Rendered since the resize stays.
    EXPECT_EQ(surface.GetLineFlags(4), DisplaySurface::kLineRendered);

    // A resize starts over.
    ASSERT_TRUE(surface.SetSize(8, 3, false));
    EXPECT_EQ(surface.GetRenderedLineCount(), 0);
    EXPECT_EQ(surface.GetDrawnFirst(), DisplaySurface::kMaxLines);
    EXPECT_EQ(surface.GetLineFlags(4), 0);

    // Only the low eleven bits of the height are tracked.
    ASSERT_TRUE(surface.SetSize(1, 2050, false));
    EXPECT_EQ(surface.GetLineCount(), 2);
    EXPECT_EQ(surface.GetUndrawnLineCount(), 2);
}

TEST(DisplaySurface, FittingFollowsTheOutputSize)
{
    BufferSurface surface;
    EXPECT_FALSE(surface.FitToOutputSize());   // no output
    surface.outputWidth = 320;
    surface.outputHeight = 200;
    EXPECT_TRUE(surface.FitToOutputSize());
    EXPECT_TRUE(surface.HasSize(320, 200));
    EXPECT_FALSE(surface.FitToOutputSize());   // already that size
    EXPECT_EQ(surface.sizeCalls, 1);

    NullDisplay none;
    EXPECT_FALSE(none.FitToOutputSize());
    EXPECT_FALSE(none.SetSize(256, 192, false));
    EXPECT_EQ(none.GetWidth(), 0);
    EXPECT_STREQ(none.GetName(), "No Rendering");
    LockedDisplaySurface* copy = none.Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy->GetName(), "No Rendering");
    delete copy;
}

TEST(DisplaySurface, DrawBitsPaintsRightToLeftAndClips)
{
    BufferSurface surface;
    ASSERT_TRUE(surface.SetSize(16, 16, false));
    const u32 on = 0xFFFFFFFF;
    const u32 off = 0xFF111111;
    // 8 x 8, bit 0 at the block's top right corner, bit 63 at its bottom left.
    EXPECT_EQ(surface.DrawBits(7, 0, -8, 8, 0x8000000000000001ull, &on, &off), 64);
    EXPECT_EQ(surface.Pixel(7, 0), on);
    EXPECT_EQ(surface.Pixel(6, 0), off);
    EXPECT_EQ(surface.Pixel(0, 7), on);
    EXPECT_EQ(surface.Pixel(1, 7), off);
    EXPECT_EQ(surface.Pixel(8, 0), 0xFF000000u);

    // Beyond the right edge the mask's first bits are dropped; the rest lands in place.
    EXPECT_EQ(surface.DrawBits(17, 10, -4, 1, 0b0100, &on, &off), 2);
    EXPECT_EQ(surface.Pixel(15, 10), on);
    EXPECT_EQ(surface.Pixel(14, 10), off);

    // A block wholly outside the image counts its pixels but paints none.
    EXPECT_EQ(surface.DrawBits(7, 100, -8, 8, ~0ull, &on, &off), 64);
    EXPECT_EQ(surface.DrawBits(7, 0, 8, 8, ~0ull, &on, &off), 0);
    EXPECT_EQ(surface.DrawBits(7, 0, -8, 0, ~0ull, &on, &off), 0);
}
