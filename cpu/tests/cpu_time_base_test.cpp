// CPU time base: cycle count, added cycles inside and outside a slice, nanoseconds at the
// machines' clock, frequency changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "base/archive.h"
#include "base/memory_stream.h"
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

TEST(CpuTimeBase, ConvertedCyclesSaturateAboveOneGigahertz)
{
    Z80Rig rig;
    rig.cpu.ChangeFrequency(INT32_MAX);   // a full-speed run measures clocks like this
    EXPECT_EQ(INT32_MAX, rig.cpu.AddCycles(INT32_MAX));
    EXPECT_EQ(static_cast<u64>(INT32_MAX), rig.cpu.GetCycleCount());
    EXPECT_EQ(INT32_MIN, rig.cpu.AddCycles(INT32_MIN));
}

// A run flat out at a thousand times real time and more passes 2^64 ns within months, and
// cycles added between slices would pass 32 bits: the count stays whole, the time wraps.
TEST(CpuTimeBase, TimeWrapsPastTwoToTheSixtyFourNanoseconds)
{
    Z80Rig rig;
    u64 added = 0;
    for (i32 i = 0; i < 3; ++i)
        added += static_cast<u64>(rig.cpu.AddCycles(INT32_MAX));
    EXPECT_EQ(added, rig.cpu.GetCycleCount());

    rig.Load(0, {0xF3, 0x76});   // DI; HALT: a slice of any length takes no time to run
    rig.cpu.ChangeFrequency(1);  // a second per cycle: 1.85e10 cycles pass 2^64 ns
    const u64 base = rig.cpu.GetTime();
    const u64 from = rig.cpu.GetCycleCount();
    while (rig.cpu.GetCycleCount() - from < 20000000000u)
        rig.cpu.Execute(INT32_MAX);
    const u64 wrapped = base + (rig.cpu.GetCycleCount() - from) * 1000000000u;   // modulo 2^64
    EXPECT_NEAR(0.0, static_cast<double>(static_cast<i64>(rig.cpu.GetTime() - wrapped)), 4096.0);
}

// A "_CPU" block saved at another current clock than the nominal one, so that the cycle
// conversions divide by the period, as bytes to damage.
class ClockState {
public:
    ClockState()
    {
        Z80Rig rig;
        rig.cpu.ChangeFrequency(kCurrent);
        MemoryStream stream;
        stream.Allocate(0, 4096);
        Archive archive(&stream);
        EXPECT_TRUE(rig.cpu.SaveState(archive));
        bytes.resize(stream.GetSize());
        stream.ReadAt(bytes.data(), 0, bytes.size());
    }
    // Replaces the one place where the 8 bytes of from stand by those of to.
    template <typename T> void Replace(T from, T to)
    {
        u8 a[8], b[8];
        std::memcpy(a, &from, 8);
        std::memcpy(b, &to, 8);
        const auto at = std::search(bytes.begin(), bytes.end(), a, a + 8);
        ASSERT_NE(bytes.end(), at);
        ASSERT_EQ(bytes.end(), std::search(at + 1, bytes.end(), a, a + 8));
        std::copy(b, b + 8, at);
    }
    bool LoadInto(Z80Cpu& cpu)
    {
        MemoryStream stream;
        stream.Allocate(0, 4096);
        stream.Write(bytes.data(), bytes.size());
        stream.Seek(0);
        Archive archive(&stream);
        return cpu.LoadState(archive, nullptr);
    }

    static constexpr i64 kNominal = 3579545;
    static constexpr i64 kCurrent = 7159090;
    static constexpr double kPeriod = 1e9 / 7159090.0;
    std::vector<u8> bytes;
};

TEST(CpuTimeBase, LoadTakesTheClocksAndTheirPeriod)
{
    ClockState state;
    Z80Rig rig;
    ASSERT_TRUE(state.LoadInto(rig.cpu));
    EXPECT_EQ(ClockState::kNominal, rig.cpu.GetNominalFrequency());
    EXPECT_EQ(ClockState::kCurrent, rig.cpu.GetFrequency());
    EXPECT_DOUBLE_EQ(ClockState::kPeriod, rig.cpu.GetPeriod());
}

TEST(CpuTimeBase, LoadRefusesClocksThatAreNotClocks)
{
    const auto refused = [](auto from, auto to) {
        ClockState state;
        state.Replace(from, to);
        Z80Rig rig;
        return !state.LoadInto(rig.cpu) && rig.cpu.GetFrequency() == 3579545 &&
               rig.cpu.GetPeriod() == 1e9 / 3579545.0;
    };
    EXPECT_TRUE(refused(ClockState::kNominal, i64{0}));
    EXPECT_TRUE(refused(ClockState::kNominal, i64{-3579545}));
    EXPECT_TRUE(refused(ClockState::kCurrent, i64{0}));
    EXPECT_TRUE(refused(ClockState::kCurrent, i64{-1}));
    EXPECT_TRUE(refused(ClockState::kCurrent, (i64{1} << 32) + ClockState::kCurrent));
    // A period that is not the current clock's: tiny ones overflowed the conversions.
    EXPECT_TRUE(refused(ClockState::kPeriod, 1e-300));
    EXPECT_TRUE(refused(ClockState::kPeriod, 2 * ClockState::kPeriod));
    EXPECT_TRUE(refused(ClockState::kPeriod, -ClockState::kPeriod));
    EXPECT_TRUE(refused(ClockState::kPeriod, std::numeric_limits<double>::quiet_NaN()));
}

// "AMSK" is read in 64 bits and kept in the CPU's own width: a mask that would not come
// back as read is refused, and the CPU keeps its own.
TEST(CpuState, LoadRefusesAnAddressMaskTheCpuWouldNotKeep)
{
    const u64 rows[] = {(u64{1} << 32) | 0xFFFF,   // beyond 32 bits
                        0x10000};                  // beyond the Z80's 16
    for (const u64 mask : rows) {
        ClockState state;
        state.Replace(u64{0xFFFF}, mask);
        Z80Rig rig;
        EXPECT_FALSE(state.LoadInto(rig.cpu)) << mask;
        EXPECT_EQ(0xFFFFu, rig.cpu.GetAddressMask()) << mask;
    }
}

// The time base "LCYCL" lies at or before the cycle count: a base past the count has no
// time. Any distance after it has one, the time wrapping at 2^64 ns as the clock runs on.
TEST(CpuState, LoadTakesEveryTimeButNoBasePastTheCount)
{
    Z80Rig saved;
    saved.RunLoop(123457);
    saved.cpu.ChangeFrequency(7159090);
    const u64 base = saved.cpu.GetCycleCount();
    const u64 baseTime = saved.cpu.GetTime();
    saved.RunLoop(1000);
    const u64 count = saved.cpu.GetCycleCount();
    MemoryStream stream;
    ASSERT_TRUE(stream.Allocate(0, 4096));
    Archive out(&stream);
    ASSERT_TRUE(saved.cpu.SaveState(out));
    ClockState state;
    state.bytes.assign(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    // A count whose time since the base is about ns (whole cycles).
    const auto at = [&](double ns) { return base + static_cast<u64>(ns / ClockState::kPeriod); };
    const struct {
        u64 from, to;
        bool loads;
    } rows[] = {{base, count + 1, false},
                {base, ~u64{0}, false},
                {count, count, true},
                {count, at(0x1p63 - 0x1p20), true},
                {count, at(0x1p63 + 0x1p20), true},
                {count, at(0x1p64 - 0x1p20), true},   // 1.4e6 ns of running wrap it
                {count, at(0x1p64 + 0x1p20), true}};
    for (const auto& row : rows) {
        ClockState damaged = state;
        damaged.Replace(row.from, row.to);
        Z80Rig rig;
        ASSERT_EQ(row.loads, damaged.LoadInto(rig.cpu)) << row.from << " -> " << row.to;
        if (!row.loads)
            continue;
        // The time the count stands for, modulo 2^64, within the rounding of its doubles.
        const double since = std::fmod(static_cast<double>(row.to - base) * ClockState::kPeriod, 0x1p64);
        const u64 time = rig.cpu.GetTime();
        EXPECT_NEAR(0.0, static_cast<double>(static_cast<i64>(time - (baseTime + static_cast<u64>(since)))), 8192.0)
            << row.to;
        rig.RunLoop(10000);
        EXPECT_EQ(row.to + 10000, rig.cpu.GetCycleCount()) << row.to;
        const i64 ran = static_cast<i64>(rig.cpu.GetTime() - time);
        EXPECT_NEAR(10000 * ClockState::kPeriod, static_cast<double>(ran), 8192.0) << row.to;
    }
}

} // namespace
