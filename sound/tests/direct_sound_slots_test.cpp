// "DirectSound" slot plan: where one converted buffer goes in the 50-slot loop relative
// to the play and write cursors.
#include <gtest/gtest.h>

#include <vector>

#include "sound/direct_sound_slots.h"

namespace {

constexpr i32 kSlots = 50;

struct Planned {
    std::vector<i32> slots;
    i32 next = 0;
};

Planned Plan(i32 next, i32 play, i32 write)
{
    i32 slots[DirectSoundSlots::kMaxWrites];
    const i32 n = DirectSoundSlots::Plan(&next, play, write, kSlots, slots);
    return {std::vector<i32>(slots, slots + n), next};
}

TEST(DirectSoundSlots, FirstWriteGoesSixAheadOfThePlayCursorAndSteadyWritesFollowIt)
{
    const Planned first = Plan(-1, 10, 11);
    EXPECT_EQ((std::vector<i32>{16}), first.slots);
    EXPECT_EQ(17, first.next);
    // One slot played since: one write, still six ahead.
    const Planned steady = Plan(first.next, 11, 12);
    EXPECT_EQ((std::vector<i32>{17}), steady.slots);
    EXPECT_EQ(18, steady.next);
    // Across the end of the loop.
    EXPECT_EQ((std::vector<i32>{2}), Plan(-1, 46, 47).slots);
}

TEST(DirectSoundSlots, UnderrunRestartsAtThePlayCursorAndFillsUpToTheLead)
{
    // The player ran past slot 20 long ago and now plays slot 40.
    const Planned plan = Plan(20, 40, 41);
    // The slot under the write cursor's guard is skipped, then the lead is filled again.
    EXPECT_EQ((std::vector<i32>{41, 42, 43, 44, 45}), plan.slots);
    EXPECT_EQ(46, plan.next);
}

TEST(DirectSoundSlots, WritesFarAheadStepBackByTwo)
{
    const Planned plan = Plan(22, 10, 11);   // lead 12
    EXPECT_EQ((std::vector<i32>{20}), plan.slots);
    EXPECT_EQ(21, plan.next);
}

TEST(DirectSoundSlots, FallingBehindRepeatsTheBufferUpToTheLead)
{
    const Planned plan = Plan(13, 10, 11);   // lead 3
    EXPECT_EQ((std::vector<i32>{13, 14, 15}), plan.slots);
    EXPECT_EQ(16, plan.next);
}

} // namespace
