// A halted Z80 waiting for its interrupt: large slices, in which the CPU passes the idle
// HALT passes in one go, must leave R, the cycle count and the interrupts exactly where
// slices of at most one HALT pass leave them.
#include <gtest/gtest.h>

#include <vector>

#include "cpu/tests/z80_test_rig.h"

namespace {

enum class Wake { kIrq, kNmi };

// What the handler reports at every interrupt: the cycle of its OUT and the R it read.
struct Seen {
    u64 cycle;
    u8 r;
    bool operator==(const Seen&) const = default;
};

struct HaltRun {
    std::vector<Seen> seen;
};

Z80Rig* g_rig = nullptr;   // the rig whose event is firing
Wake g_wake = Wake::kIrq;
std::vector<u64>* g_outCycles = nullptr;   // the cycle of each OUT of that rig

bool RaiseWake(Component*, i32*, u32*, ClockInterface*)
{
    if (g_wake == Wake::kIrq)
        g_rig->RaiseIrq();
    else
        g_rig->cpu.SetNmiPending(true);
    return true;
}

// Runs total T-states of a HALT loop woken every period T-states, in slices of at most
// maxSlice as the emulation core's loop does, or (maxSlice 0) in single steps, the due
// events run after each.
HaltRun RunHaltLoop(Wake wake, i32 period, i32 maxSlice, u64 total)
{
    Z80Rig rig;
    rig.R().SP = 0xF000;
    rig.R().IR = 0x1200;
    rig.Load(0x0000, {0xED, 0x56,          // IM 1
                      0xFB,                // EI (a DI for the NMI run)
                      0x76,                // loop: HALT
                      0x18, 0xFD});        //       JR loop
    if (wake == Wake::kNmi)
        rig.Load(0x0002, {0xF3});          // DI
    rig.Load(0x0038, {0xED, 0x5F,          // LD A,R
                      0xD3, 0x20,          // OUT (20h),A
                      0xFB,                // EI
                      0xC9});              // RET
    rig.Load(0x0066, {0xED, 0x5F,          // LD A,R
                      0xD3, 0x20,          // OUT (20h),A
                      0xED, 0x45});        // RETN
    rig.HookPort(0x20);
    HaltRun run;
    g_rig = &rig;
    g_wake = wake;
    rig.cpu.AddEvent(period, &RaiseWake, &rig.cpu, "Wake", 0, 0);
    rig.cpu.FindNextEvent();

    std::vector<u64> outCycles;
    g_outCycles = &outCycles;
    rig.onPortWrite = [](Z80Rig& r) { g_outCycles->push_back(r.cpu.GetCycleCount()); };
    while (rig.cpu.GetCycleCount() < total) {
        const i32 toEnd = static_cast<i32>(total - rig.cpu.GetCycleCount());
        const i32 n = rig.cpu.Execute(maxSlice == 0 ? 0 : std::min({maxSlice, rig.cpu.CyclesToNextEvent(), toEnd}));
        rig.cpu.CyclesToNextEvent() -= n;
        if (rig.cpu.CyclesToNextEvent() <= 0)
            rig.cpu.RunDueEvents();
    }
    for (size_t i = 0; i < outCycles.size() && i < rig.portWrites.size(); ++i)
        run.seen.push_back({outCycles[i], rig.portWrites[i].second});
    g_rig = nullptr;
    return run;
}

TEST(Z80Halt, SlicesMatchSingleSteps)
{
    // The handlers run far from the next event, so no slice ends inside them.
    struct Case {
        const char* name;
        Wake wake;
        i32 period;    // T-states between interrupts
        i32 slice;     // the longest slice
    };
    const Case cases[] = {
        {"IM 1 every 1003 T, bus-tick slices", Wake::kIrq, 1003, 1429},
        {"IM 1 every 1003 T, frame slices", Wake::kIrq, 1003, 70000},
        {"IM 1 every 4096 T, odd slices", Wake::kIrq, 4096, 777},
        {"NMI every 59659 T, frame slices", Wake::kNmi, 59659, 71590},
        {"NMI every 1001 T, bus-tick slices", Wake::kNmi, 1001, 1429},
    };
    constexpr u64 kTotal = 300000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HaltRun sliced = RunHaltLoop(c.wake, c.period, c.slice, kTotal);
        const HaltRun stepped = RunHaltLoop(c.wake, c.period, 0, kTotal);
        ASSERT_GE(sliced.seen.size(), kTotal / static_cast<u64>(c.period) - 1) << "one interrupt per period";
        EXPECT_EQ(sliced.seen, stepped.seen) << "each interrupt at the same cycle, with the same R";
    }
}

// An instruction suspended across a slice end shows a device the cycle where the clock
// stood when it resumed; after it the clock reads the cycles really spent.
TEST(Z80Halt, ClockAfterAResumedInstructionIsExact)
{
    Z80Rig rig;
    rig.HookPort(0x20);
    rig.Load(0, {0x00,           // NOP           4 T
                 0xD3, 0x20,     // OUT (20h),A   11 T
                 0xD3, 0x20,     // OUT (20h),A   11 T
                 0x00});         // NOP
    std::vector<u64> outCycles;
    g_outCycles = &outCycles;
    rig.onPortWrite = [](Z80Rig& r) { g_outCycles->push_back(r.cpu.GetCycleCount()); };
    EXPECT_EQ(9, rig.cpu.Execute(9));       // NOP, then 5 T-states of the first OUT
    EXPECT_EQ(5, rig.cpu.GetOwedCycles());
    EXPECT_EQ(21, rig.cpu.Execute(21));     // the first OUT's other 6, the second OUT, NOP
    ASSERT_EQ(2u, outCycles.size());
    EXPECT_EQ(9u, outCycles[0]) << "resumed where the clock stood";
    EXPECT_EQ(15u, outCycles[1]) << "the second OUT begins at 4 + 11";
    EXPECT_EQ(30u, rig.cpu.GetCycleCount());
    EXPECT_EQ(0x0006, rig.R().PC);
}

// A single step on a HALT stays one pass of 4 T-states, whatever lies ahead.
TEST(Z80Halt, SingleStepIsOnePass)
{
    Z80Rig rig;
    rig.Load(0x10, {0x76});   // HALT
    rig.R().PC = 0x10;
    rig.R().IR = 0x007F;
    EXPECT_EQ(4, rig.cpu.Execute(0));
    EXPECT_EQ(0x10, rig.R().PC);
    EXPECT_EQ(0x00, rig.cpu.GetR()) << "R counts one fetch, its bit 7 kept";
    EXPECT_EQ(4u, rig.cpu.GetCycleCount());
    // A slice of 1000 T-states: 250 passes, R moved by 250 within its low 7 bits.
    EXPECT_EQ(1000, rig.cpu.Execute(1000));
    EXPECT_EQ(static_cast<u8>(250 & 0x7F), rig.cpu.GetR());
    // A slice that ends inside a pass suspends it: 1001 = 250 passes and 1 T-state paid.
    EXPECT_EQ(1001, rig.cpu.Execute(1001));
    EXPECT_EQ(1, rig.cpu.GetOwedCycles());
    EXPECT_EQ(static_cast<u8>(501 & 0x7F), rig.cpu.GetR());
}

} // namespace
