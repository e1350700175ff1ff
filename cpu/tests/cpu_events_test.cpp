// CPU event list: firing order, repeating and ending events, catching up, and the "_CPU"
// block carrying pending events across a save and a load.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "base/archive.h"
#include "base/memory_stream.h"
#include "cpu/tests/z80_test_rig.h"

namespace {

// Owner of test events; records (user word 0, cycle) at every call. User word 1 > 0
// counts down the calls left before the event ends itself.
class Ticker : public Component {
public:
    explicit Ticker(const char* name) { SetName(name); }

    static bool Fire(Component* target, i32*, u32* userWords, ClockInterface* clock)
    {
        auto* self = static_cast<Ticker*>(target);
        self->log.emplace_back(userWords[0], clock->GetCycleCount());
        if (self->onFire)
            self->onFire(*self, clock);
        if (userWords[1] > 0 && --userWords[1] == 0)
            return false;
        return true;
    }

    std::vector<std::pair<u32, u64>> log;
    void (*onFire)(Ticker& self, ClockInterface* clock) = nullptr;
};

using Log = std::vector<std::pair<u32, u64>>;

TEST(CpuEvents, EqualDueTimesFireInInsertionOrder)
{
    for (bool aFirst : {true, false}) {
        Z80Rig rig;
        Ticker t("T");
        rig.cpu.AddEvent(100, &Ticker::Fire, &t, "E", aFirst ? 'A' : 'B', 0);
        rig.cpu.AddEvent(100, &Ticker::Fire, &t, "E", aFirst ? 'B' : 'A', 0);
        rig.cpu.FindNextEvent();
        rig.RunLoop(150);
        const Log expected = aFirst ? Log{{'A', 100}, {'B', 100}} : Log{{'B', 100}, {'A', 100}};
        EXPECT_EQ(expected, t.log);
    }
}

TEST(CpuEvents, NegativePeriodFiresAtOnceThenRepeats)
{
    Z80Rig rig;
    Ticker t("T");
    rig.cpu.FindNextEvent();
    rig.RunLoop(40);
    rig.cpu.AddEvent(-100, &Ticker::Fire, &t, "E", 1, 0);
    EXPECT_EQ(0, rig.cpu.CyclesToNextEvent());
    rig.RunLoop(250);
    EXPECT_EQ((Log{{1, 40}, {1, 140}, {1, 240}}), t.log);
}

TEST(CpuEvents, ZeroPeriodBeforeStartFiresInFindNextEventThenEveryCycle)
{
    Z80Rig rig;
    Ticker t("T");
    rig.cpu.AddEvent(0, &Ticker::Fire, &t, "E", 1, 4);
    rig.cpu.FindNextEvent();
    ASSERT_EQ(1u, t.log.size());
    EXPECT_EQ(1, rig.cpu.CyclesToNextEvent());
    rig.RunLoop(10);
    EXPECT_EQ((Log{{1, 0}, {1, 1}, {1, 2}, {1, 3}}), t.log);
}

TEST(CpuEvents, EndedEventIsNotCalledAgainAndItsNodeIsReused)
{
    Z80Rig rig;
    Ticker t("T");
    rig.cpu.AddEvent(10, &Ticker::Fire, &t, "E", 1, 2);   // two calls, then it ends
    const CpuEvent* node = rig.cpu.GetFirstEvent();
    rig.cpu.FindNextEvent();
    rig.RunLoop(100);
    EXPECT_EQ((Log{{1, 10}, {1, 20}}), t.log);
    EXPECT_EQ(nullptr, rig.cpu.GetFirstEvent());
    rig.cpu.AddEvent(10, &Ticker::Fire, &t, "E", 2, 0);
    EXPECT_EQ(node, rig.cpu.GetFirstEvent());
}

TEST(CpuEvents, MissedPeriodsAreCaughtUpAtTheNominalClock)
{
    Z80Rig rig;
    Ticker t("T");
    rig.cpu.FindNextEvent();
    rig.cpu.AddEvent(10, &Ticker::Fire, &t, "E", 1, 0);
    rig.cpu.AddCycles(45);   // due at 10, now 45: 35 cycles late
    rig.cpu.RunDueEvents();
    EXPECT_EQ(4u, t.log.size());
    EXPECT_EQ(5, rig.cpu.CyclesToNextEvent());
}

TEST(CpuEvents, EventAddedByACallbackFiresInTheSameWalk)
{
    Z80Rig rig;
    Ticker t("T");
    t.onFire = [](Ticker& self, ClockInterface* clock) {
        if (self.log.size() == 1)
            clock->AddEvent(0, &Ticker::Fire, &self, "F", 2, 1);
    };
    rig.cpu.AddEvent(50, &Ticker::Fire, &t, "E", 1, 1);
    rig.cpu.FindNextEvent();
    rig.RunLoop(50);
    EXPECT_EQ((Log{{1, 50}, {2, 50}}), t.log);
}

// Saves the whole CPU (its "_DEV" and "_CPU" blocks and registers) into a buffer.
void Save(Z80Cpu& cpu, MemoryStream& stream)
{
    ASSERT_TRUE(stream.Allocate(0, 4096));
    Archive archive(&stream);
    ASSERT_TRUE(cpu.SaveState(archive));
    ASSERT_TRUE(stream.Seek(0));
}

bool Load(Z80Cpu& cpu, MemoryStream& stream)
{
    Archive archive(&stream);
    return cpu.LoadState(archive, nullptr);
}

TEST(CpuEvents, PendingEventsFireOnTheSameCyclesAfterSaveAndLoad)
{
    Z80Rig first;
    Ticker a("TICK");
    first.bus.SetRegistrationOpen(true);   // as while the machine starts
    ASSERT_TRUE(first.cpu.AddEvent(100, &Ticker::Fire, &a, "A", 1, 0));
    ASSERT_TRUE(first.cpu.AddEvent(37, &Ticker::Fire, &a, "B", 2, 0));
    first.bus.SetRegistrationOpen(false);
    first.cpu.FindNextEvent();
    first.RunLoop(250);
    MemoryStream state;
    Save(first.cpu, state);
    a.log.clear();
    first.RunLoop(1000);

    Z80Rig second;
    Ticker b("TICK");
    ASSERT_TRUE(second.bus.RegisterNamedEventKind2("A", &Ticker::Fire, &b));
    ASSERT_TRUE(second.bus.RegisterNamedEventKind2("B", &Ticker::Fire, &b));
    ASSERT_TRUE(Load(second.cpu, state));
    EXPECT_EQ(first.cpu.GetCycleCount() - 1000, second.cpu.GetCycleCount());
    second.RunLoop(1000);
    EXPECT_FALSE(b.log.empty());
    EXPECT_EQ(a.log, b.log);
}

TEST(CpuEvents, LoadRefusesEventsItCannotBind)
{
    Z80Rig first;
    Ticker a("TICK");
    first.bus.SetRegistrationOpen(true);
    first.cpu.AddEvent(100, &Ticker::Fire, &a, "A", 1, 0);
    first.bus.SetRegistrationOpen(false);
    first.cpu.AddEvent(100, &Ticker::Fire, &a, "LATE", 2, 0);   // added outside the window
    first.cpu.FindNextEvent();
    MemoryStream state;
    Save(first.cpu, state);

    {
        Z80Rig second;   // nothing registered
        EXPECT_FALSE(Load(second.cpu, state));
    }
    {
        Z80Rig second;   // "A" is a bus timer there, "LATE" unknown
        Ticker b("TICK");
        second.bus.RegisterNamedEventKind0("A", [](Component*, u64*, u32*) { return true; }, &b);
        ASSERT_TRUE(state.Seek(0));
        EXPECT_FALSE(Load(second.cpu, state));
    }
    {
        Z80Rig second;   // "A" binds, "LATE" does not
        Ticker b("TICK");
        second.bus.RegisterNamedEventKind2("A", &Ticker::Fire, &b);
        ASSERT_TRUE(state.Seek(0));
        EXPECT_FALSE(Load(second.cpu, state));
    }
}

TEST(CpuEvents, LoadRefusesAnotherMemoryLayout)
{
    Z80Rig first;
    MemoryStream state;
    Save(first.cpu, state);
    Z80Rig smaller(0x8000);
    EXPECT_FALSE(Load(smaller.cpu, state));
    Z80Rig same;
    ASSERT_TRUE(state.Seek(0));
    EXPECT_TRUE(Load(same.cpu, state));
}

// The clock is the machine's: events saved at another one would fire at the wrong ratio.
TEST(CpuEvents, LoadRefusesAnotherNominalClock)
{
    Z80Rig first;
    MemoryStream state;
    Save(first.cpu, state);
    Z80Rig faster;
    faster.cpu.SetFrequency(first.cpu.GetNominalFrequency() + 1);
    EXPECT_FALSE(Load(faster.cpu, state));
}

} // namespace
