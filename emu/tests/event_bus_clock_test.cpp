// The event bus ticked by the CPU: the repeating "_BusFreqEvent" at every bus rate, and
// the bus tick re-bound by name when a CPU state is loaded.
#include <gtest/gtest.h>

#include <vector>

#include "cpu/cpu_base.h"
#include "emu/component.h"
#include "emu/event_bus.h"
#include "emu/tests/machine_run.h"
#include "record_helpers.h"

namespace {

using machine_run::IdleCpu;

struct Counter : ComponentGroup {
    std::vector<u64> firedAt;  // CPU cycle of every call
    CpuBase* cpu = nullptr;
};

bool CountFire(Component* user, u64*, u32*)
{
    auto* counter = static_cast<Counter*>(user);
    counter->firedAt.push_back(counter->cpu->GetCycleCount());
    return true;
}

// A machine-like tree with a bus and an idle CPU at the MSX clock.
struct ClockedBus {
    ComponentGroup root;
    EventBus* bus = new EventBus();
    IdleCpu* cpu = new IdleCpu();
    Counter* counter = new Counter();

    ClockedBus()
    {
        root.AddChild(bus, nullptr, nullptr);
        root.AddChild(cpu, "CPU Z80", nullptr);
        root.AddChild(counter, "Chip", nullptr);
        counter->cpu = cpu;
        cpu->SetServices(nullptr, bus, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        cpu->SetFrequency(3579545);
        EXPECT_TRUE(bus->Start(nullptr));
        EXPECT_TRUE(cpu->Start(nullptr));
    }

    void Run(u64 cycles) { machine_run::RunCycles(cpu, cycles, 1000); }
};

constexpr i64 kClockHz = 3579545;

class EventBusClock : public ::testing::TestWithParam<i32> {};

}  // namespace

TEST_P(EventBusClock, BusTicksExactlyItsRatePerEmulatedSecondEvenlySpread)
{
    const i32 busRate = GetParam();
    ClockedBus m;
    EXPECT_EQ(m.bus->SetBusFrequency(busRate, m.cpu), 1);
    ASSERT_TRUE(m.bus->AddTimer(0, CountFire, m.counter, "Every", 0, 0, true));
    m.cpu->FindNextEvent();
    m.Run(2 * kClockHz);
    // Both ends of the two seconds hold a tick.
    EXPECT_EQ(m.bus->GetTickCount(), static_cast<u32>(2 * busRate + 1));
    ASSERT_EQ(m.counter->firedAt.size(), static_cast<size_t>(2 * busRate + 1));
    // Tick k on cycle floor(k * clock / busRate): the cycles between ticks are the two
    // integers around clock / busRate (81 or 82 at 44100 Hz), never a drifting round-off.
    for (size_t k = 0; k < m.counter->firedAt.size(); ++k)
        ASSERT_EQ(m.counter->firedAt[k], static_cast<u64>(static_cast<i64>(k) * kClockHz / busRate)) << k;
}

INSTANTIATE_TEST_SUITE_P(AllBusRates, EventBusClock, ::testing::ValuesIn(EventBus::kBusRates));

TEST(EventBusClockFrame, FourFrameStepsAt50HzMakeFiftyFramesPerEmulatedSecond)
{
    // A display's frame steps, 200 per second, on the slowest bus.
    ClockedBus m;
    m.bus->SetBusFrequency(2450, m.cpu);
    ASSERT_TRUE(m.bus->AddTimer(200, CountFire, m.counter, "Frame", 0, 0, true));
    m.cpu->FindNextEvent();
    m.Run(10 * kClockHz - 1);
    EXPECT_EQ(m.counter->firedAt.size(), 2000u);
}

TEST(EventBusClockState, SavedBusTickComesBackThroughTheRegistry)
{
    ClockedBus a;
    a.bus->SetBusFrequency(22050, a.cpu);
    a.bus->SetRegistrationOpen(true);
    ASSERT_TRUE(a.bus->AddTimer(50, CountFire, a.counter, "Frame", 0, 0, false));
    a.cpu->FindNextEvent();
    a.Run(100000);
    StateBuffer state;
    ASSERT_TRUE(a.cpu->SaveState(state.archive));
    ASSERT_TRUE(a.bus->SaveState(state.archive));

    ClockedBus b;
    b.bus->SetRegistrationOpen(true);
    ASSERT_TRUE(b.bus->AddTimer(50, CountFire, b.counter, "Frame", 0, 0, false));
    state.Rewind();
    ASSERT_TRUE(b.cpu->LoadState(state.archive, nullptr));
    ASSERT_TRUE(b.bus->LoadState(state.archive, nullptr));

    a.counter->firedAt.clear();
    a.Run(400000);
    b.Run(400000);
    EXPECT_EQ(b.counter->firedAt, a.counter->firedAt);
    EXPECT_EQ(b.bus->GetTickCount(), a.bus->GetTickCount());
    EXPECT_FALSE(b.counter->firedAt.empty());
}
