// CPU time base: cycle count, added cycles inside and outside a slice, nanoseconds at the
// machines' clock, frequency changes.
#include <gtest/gtest.h>

#include "cpu/tests/z80_test_rig.h"

namespace {

TEST(CpuTimeBase, StartsAtZero)
{
    Z80Rig rig;
    ASSERT_TRUE(rig.started);
    EXPECT_EQ(0u, rig.cpu.GetCycleCount());
    EXPECT_EQ(0u, rig.cpu.GetTime());
    EXPECT_EQ(3579545, rig.cpu.GetFrequency());
    EXPECT_EQ(3579545, rig.cpu.GetEffectiveFrequency());
    EXPECT_EQ(1000000000, rig.cpu.GetTicksPerSecond());
}

TEST(CpuTimeBase, AddCyclesOutsideASliceGoesToTheClock)
{
    Z80Rig rig;
    EXPECT_EQ(0, rig.cpu.AddCycles(0));
    EXPECT_EQ(-5, rig.cpu.AddCycles(-5));
    EXPECT_EQ(0u, rig.cpu.GetCycleCount());
    EXPECT_EQ(10, rig.cpu.AddCycles(10));
    EXPECT_EQ(10u, rig.cpu.GetCycleCount());
}

TEST(CpuTimeBase, AddCyclesInsideASliceShortensIt)
{
    Z80Rig rig;
    rig.HookPort(0x10);
    rig.Load(0, {0xD3, 0x10});   // OUT (10h),A    11 T
    static u64 seenBefore, seenAfter;
    rig.onPortWrite = [](Z80Rig& r) {
        seenBefore = r.cpu.GetCycleCount();
        r.cpu.AddCycles(10);   // a device's wait states
        seenAfter = r.cpu.GetCycleCount();
    };
    EXPECT_EQ(21, rig.cpu.Execute(0));
    EXPECT_EQ(0u, seenBefore);   // the OUT is charged when it completes
    EXPECT_EQ(10u, seenAfter);
    EXPECT_EQ(21u, rig.cpu.GetCycleCount());
}

TEST(CpuTimeBase, OneSecondOfTheMachinesClock)
{
    Z80Rig rig;
    EXPECT_DOUBLE_EQ(1e9 / 3579545.0, rig.cpu.GetPeriod());
    rig.cpu.AddCycles(3579545);
    EXPECT_NEAR(1e9, static_cast<double>(rig.cpu.GetTime()), 1.0);
}

TEST(CpuTimeBase, FrequencyChangeKeepsTimeContinuous)
{
    Z80Rig rig;
    rig.RunLoop(123457);
    const u64 before = rig.cpu.GetTime();
    rig.cpu.ChangeFrequency(7159090);
    EXPECT_EQ(before, rig.cpu.GetTime());
    EXPECT_EQ(7159090, rig.cpu.GetFrequency());
    EXPECT_EQ(3579545, rig.cpu.GetNominalFrequency());
    EXPECT_DOUBLE_EQ(1e9 / 7159090.0, rig.cpu.GetPeriod());
}

TEST(CpuTimeBase, FrequencyIsCheckedBeforeStart)
{
    Z80Cpu cpu;
    EXPECT_EQ(Z80Cpu::kDefaultFrequency, cpu.GetNominalFrequency());
    EXPECT_FALSE(cpu.SetFrequency(-1));
    EXPECT_EQ(Z80Cpu::kDefaultFrequency, cpu.GetNominalFrequency());
    EXPECT_TRUE(cpu.SetFrequency(0));
    i32 rate = 0;
    EXPECT_FALSE(cpu.Start(&rate));
}

} // namespace
