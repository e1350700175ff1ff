// The normal-speed loop under a clock that passes only when it sleeps: cycles per 1/50 s,
// pacing, the speed figure, and the maximum-speed loop.
#include <gtest/gtest.h>

#include <cstdint>

#include "base/memory_stream.h"
#include "core/tests/core_rig.h"

namespace {

// 3.5 MHz / 50 frames; at 2450 Hz that is 49 slices of 1428 or 1429 cycles.
constexpr u64 kFrameCycles = 70000;
// The fake counter runs at 1 MHz: 20000 ticks per 1/50 s, 1000 per sleep.
constexpr u64 kFramePeriod = 20000;

TEST(RunLoop, HundredFramesRunTheirCyclesAndKeepPace)
{
    CoreRig rig;  // all NOPs
    ASSERT_TRUE(rig.alive);
    ASSERT_TRUE(rig.core->Start(false, false));
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= 101; }));
    rig.core->Stop();
    const FrameLog& f = rig.frames;

    EXPECT_EQ(rig.core->GetSyncHz(), 2450);
    // Every 1/50 s runs exactly its cycles: the slices add up, nothing is lost or doubled.
    EXPECT_EQ(f.cycles[0], kFrameCycles);
    for (i32 i = 1; i <= 100; ++i)
        ASSERT_EQ(f.cycles[i] - f.cycles[i - 1], kFrameCycles) << "frame " << i + 1;

    // The loop measures one sleep (1000 ticks) before it starts; then every frame ends
    // 20000 ticks after the one before, sleeping while two sleeps' worth is left (one
    // sleep early). The start pause takes no host time and changes nothing.
    const u64 t1 = FakeClock::kStart + 1000;
    EXPECT_EQ(f.time[0], t1);
    EXPECT_EQ(f.time[1], t1 + kFramePeriod - 1000);
    for (i32 i = 2; i <= 100; ++i)
        ASSERT_EQ(f.time[i] - f.time[i - 1], kFramePeriod) << "frame " << i + 1;

    // Emulated second 1 took 50 periods less 1000 ticks (1001 permille), the next ones
    // exactly a second: full speed throughout.
    for (i32 i = 0; i < 50; ++i)
        ASSERT_EQ(f.speed[i], 0) << "frame " << i + 1;
    for (i32 i = 50; i <= 100; ++i)
        ASSERT_EQ(f.speed[i], 100) << "frame " << i + 1;
}

TEST(RunLoop, PauseMovesTheScheduleByItsLength)
{
    CoreRig rig;
    ASSERT_TRUE(rig.alive);
    // The pause falls in frame 21; asked for on the worker, it is taken at the next
    // request check without waiting.
    constexpr i32 kPausedFrame = 20;
    rig.onFrame = [&](i32 frame) {
        if (frame == kPausedFrame)
            rig.core->RequestPause();
    };
    ASSERT_TRUE(rig.core->Start(false, false));
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= kPausedFrame && rig.core->IsPaused(); }));
    EXPECT_EQ(rig.Frames(), kPausedFrame);
    // The host spends a little over seven frame periods in the pause.
    constexpr u64 kPaused = 7 * kFramePeriod + 321;
    rig.clock.now.fetch_add(kPaused);
    rig.core->ReleasePause();
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= 160; }));
    rig.core->Stop();
    const FrameLog& f = rig.frames;

    // That frame keeps what was left of its period after the pause, so it is longer by
    // the pause alone; every other frame keeps its period.
    for (i32 i = 2; i < 160; ++i) {
        const u64 expected = i == kPausedFrame ? kFramePeriod + kPaused : kFramePeriod;
        ASSERT_EQ(f.time[i] - f.time[i - 1], expected) << "frame " << i + 1;
    }
    // Nor does the pause count against the emulated second it fell in.
    for (i32 i = 50; i < 160; ++i)
        ASSERT_EQ(f.speed[i], 100) << "frame " << i + 1;
}

// A state brings its place in the emulated second: loaded further into its second or
// behind, it leaves the speed figure at full.
TEST(RunLoop, StateLoadsKeepTheSpeedFigureAtFull)
{
    for (const auto& [saveAt, loadAt] : {std::pair{90, 110}, std::pair{60, 140}}) {
        SCOPED_TRACE(loadAt);
        CoreRig rig;
        rig.onFrame = [&](i32 frame) {
            if (frame == saveAt || frame == loadAt)
                rig.core->RequestPause();
        };
        MemoryStream state;
        ASSERT_TRUE(state.Allocate(0, -1));
        ASSERT_TRUE(rig.core->Start(false, false));
        ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= saveAt && rig.core->IsPaused(); }));
        ASSERT_TRUE(rig.core->SaveStateToStream(state, false));
        rig.core->ReleasePause();
        ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= loadAt && rig.core->IsPaused(); }));
        ASSERT_TRUE(rig.core->LoadStateFromStream(state, false));
        rig.core->ReleasePause();
        ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= loadAt + 100; }));
        rig.core->Stop();
        for (i32 i = 50; i < loadAt + 100; ++i)
            ASSERT_EQ(rig.frames.speed[i], 100) << "frame " << i + 1;
    }
}

TEST(RunLoop, LateFrameMovesTheScheduleInsteadOfCatchingUp)
{
    CoreRig rig;
    ASSERT_TRUE(rig.alive);
    // The host stalls for five frame periods during frame 10.
    rig.onFrame = [&](i32 frame) {
        if (frame == 10)
            rig.clock.now.fetch_add(5 * kFramePeriod);
    };
    ASSERT_TRUE(rig.core->Start(false, false));
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= 14; }));
    rig.core->Stop();
    const FrameLog& f = rig.frames;
    EXPECT_EQ(f.time[10] - f.time[9], 5 * kFramePeriod);
    EXPECT_EQ(f.time[11] - f.time[10], kFramePeriod - 1000);
    EXPECT_EQ(f.time[12] - f.time[11], kFramePeriod);
    EXPECT_EQ(f.time[13] - f.time[12], kFramePeriod);
}

TEST(RunLoop, FastInitRunsUnpacedUntilTheFirstKey)
{
    CoreRig rig;
    ASSERT_TRUE(rig.alive);
    rig.core->SetFastInit(true);
    ASSERT_TRUE(rig.core->Start(false, false));
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= 20; }));
    EXPECT_EQ(rig.clock.sleeps.load(), 1);  // only the sleep measured at the start
    rig.core->OnKey(0x41, true);
    const i32 frames = rig.Frames();
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= frames + 5; }));
    EXPECT_GT(rig.clock.sleeps.load(), 1);
    rig.core->Stop();
    EXPECT_EQ(rig.frames.cycles[19], 20 * kFrameCycles);
}

TEST(SpeedFigure, ShowsFullSpeedWithinThePacingJitter)
{
    // With 10000 counter ticks per second the late ticks add straight to 10000.
    auto speed = [](i64 late, i32 previous = -5, bool maxSpeed = false) {
        return EmuCore::ComputeSpeedPercent(late, 10000, previous, maxSpeed);
    };
    EXPECT_EQ(speed(0), 100);
    EXPECT_EQ(speed(80), 100);     // 992 permille
    EXPECT_EQ(speed(90), 99);      // 991
    EXPECT_EQ(speed(-177), 100);   // 1018
    EXPECT_EQ(speed(-187), 101);   // 1019
    EXPECT_EQ(speed(10000), 50);
    EXPECT_EQ(speed(-5000), 200);
    // Below 10 permille, or no time at all, the figure stays as it was.
    EXPECT_EQ(speed(2000000), -5);
    EXPECT_EQ(speed(-10000), -5);
    EXPECT_EQ(speed(-20000), -5);
    EXPECT_EQ(speed(INT64_MAX / 10000 + 1), -5);   // days late: the product passed 64 bits
    EXPECT_EQ(speed(INT64_MIN), -5);
    // Flat out anything from 992 permille up is full speed.
    EXPECT_EQ(speed(-5000, 0, true), 100);
    EXPECT_EQ(speed(80, 0, true), 100);
    EXPECT_EQ(speed(90, 0, true), 99);
}

TEST(RunLoop, SplitAtTheNextEventKeepsEveryCountInRange)
{
    // A budget past the event stops at it; an overrun larger than the slice (a negative
    // budget) raises the count to the event, which stays at "nothing pending" at most.
    constexpr i32 kNone = ClockInterface::kNothingPending;
    struct Case {
        i32 toEvent, budget;
        i32 budgetAfter, toEventAfter, beyond;
    };
    const Case cases[] = {
        {100, 300, 100, 0, 200},
        {100, 40, 40, 60, 0},
        {100, -50, -50, 150, 0},
        {0, INT32_MAX, 0, 0, INT32_MAX},
        {kNone, 1000, 1000, kNone - 1000, 0},
        {kNone, -50, -50, kNone, 0},
        {kNone - 10, -50, -50, kNone, 0},
        {kNone, INT32_MIN, INT32_MIN, kNone, 0},
    };
    for (const Case& c : cases) {
        i32 budget = c.budget;
        i32 toEvent = c.toEvent;
        const i32 beyond = EmuCore::SplitBudget(&budget, &toEvent);
        EXPECT_EQ(c.budgetAfter, budget) << c.toEvent << " " << c.budget;
        EXPECT_EQ(c.toEventAfter, toEvent) << c.toEvent << " " << c.budget;
        EXPECT_EQ(c.beyond, beyond) << c.toEvent << " " << c.budget;
    }
}

TEST(MaxSpeedLoop, TicksTheBusInHostTime)
{
    CoreRig rig;
    ASSERT_TRUE(rig.alive);
    rig.core->SetMaxSpeedQuery([](ClockInterface*) { return true; });
    rig.clock.timedCpu.store(rig.machine->cpu);
    ASSERT_TRUE(rig.core->Start(false, false));
    EXPECT_EQ(rig.core->GetRunMode(), 1);
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= 21; }));
    rig.core->Stop();
    const FrameLog& f = rig.frames;
    // A bus tick per 408 host ticks (1 MHz / 2450), 20000 host ticks per frame.
    const i32 ticks = f.busTicks[20] - f.busTicks[10];
    EXPECT_NEAR(ticks, 490, 15);
    const u64 span = f.time[20] - f.time[10];
    EXPECT_NEAR(static_cast<double>(span), 10.0 * kFramePeriod, 2000.0);
}

} // namespace
