#include <gtest/gtest.h>

#include "app/ui_tick.h"

TEST(UiTickTest, UpdateCostDecidesTheSkippedTicks)
{
    const u64 frequency = 1000000;  // 1 MHz counter: 10 ms are 10000 ticks
    const struct {
        u64 elapsed;
        i32 skip;
    } cases[] = {
        {0, 0}, {9999, 0}, {10000, 5}, {25000, 10}, {99999, 45}, {200000, 50}, {5000000, 50},
    };
    for (const auto& c : cases) {
        UiTick tick;
        ASSERT_TRUE(tick.TakeDisplayTurn());
        tick.DisplayUpdated(c.elapsed, frequency);
        EXPECT_EQ(tick.GetDisplaySkip(), c.skip) << c.elapsed;
        i32 skipped = 0;
        while (!tick.TakeDisplayTurn())
            ++skipped;
        EXPECT_EQ(skipped, c.skip);
    }
    UiTick tick;
    tick.DisplayUpdated(25000, 10000000);  // a new counter frequency: the same ticks are 2.5 ms
    EXPECT_EQ(tick.GetDisplaySkip(), 0);
}

// The total counts on past 32 bits (2^31 ticks are 50 days), and the steps keep their
// rhythm across it.
TEST(UiTickTest, PeriodicStepsFollowTheCounter)
{
    const u64 starts[] = {0, (u64{1} << 31) - 100, (u64{1} << 32) - 100};
    for (const u64 start : starts) {
        UiTick tick(start);
        i32 refreshes = 0, blinks = 0, captions = 0;
        UiTick::Steps first = tick.Next();
        EXPECT_TRUE(first.refresh && first.blink && first.caption) << start;  // c = 0 runs all three
        EXPECT_EQ(tick.GetCounter(), 1);
        // One caption period: c = 1 .. 512.
        for (i32 i = 0; i < 512; ++i) {
            const i32 c = tick.GetCounter();
            const UiTick::Steps s = tick.Next();
            refreshes += s.refresh;
            blinks += s.blink;
            captions += s.caption;
            if (s.blink) {
                EXPECT_TRUE(c == 128 || c == 256 || c == 384) << c;
            }
            if (s.caption) {
                EXPECT_EQ(c, 512);
            }
            if (i == 98) {
                EXPECT_EQ(tick.GetTotal(), start + 100);
            }
        }
        EXPECT_EQ(captions, 1) << start;
        EXPECT_EQ(blinks, 3) << start;
        // c modulo 128 in {0, 1, 16, 17, 32, 33, 48, 49}: seven in 1..127, eight in each of
        // the three next blocks, and 512.
        EXPECT_EQ(refreshes, 7 + 3 * 8 + 1) << start;
        EXPECT_EQ(tick.GetCounter(), 1);
        EXPECT_EQ(tick.GetTotal(), start + 513);
    }
}
