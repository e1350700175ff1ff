// The GUI timer list against a counter the test moves: rates and periods,
// no catch-up after a stall, rescaling to a new counter frequency, removal
// and reuse of entries, and the host's behaviour when a callback re-enters it.
#include <gtest/gtest.h>

#include <vector>

#include "gui/timer_host.h"
#include "gui/top_level_base.h"
#include "gui/tests/test_windows.h"

namespace {

u64 fakeFrequency = 1000000;
u64 fakeNow = 0;
bool clockWorks = true;

const TimerClock kFakeClock{[](u64& f) { f = fakeFrequency; return clockWorks; },
                            [](u64& c) { c = fakeNow; return clockWorks; }};

class TimerListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fakeFrequency = 1000000;  // one tick per microsecond
        fakeNow = 5000000;
        clockWorks = true;
    }
};

struct Calls {
    std::vector<u64> at;    // counter value of every call
    bool answer = true;
};

bool Record(void* context, void*, void*, u64*)
{
    auto* calls = static_cast<Calls*>(context);
    calls->at.push_back(fakeNow);
    return calls->answer;
}

TEST_F(TimerListTest, CallsOncePerPeriodAndNeverCatchesUp)
{
    TimerList list(kFakeClock);
    Calls calls;
    TimerEntry* entry = list.Add(500, Record, &calls, nullptr, nullptr);  // 2 ms
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->period, 2000);
    const struct {
        u64 advance;
        size_t callsAfter;
    } steps[] = {
        {1999, 0},    // not yet due
        {0, 0},       // the same counter tick: nothing
        {1, 1},       // due
        {1000, 1},
        {1000, 2},    // one period after the last run
        {50000, 3},   // a long stall: one call, not 25
        {1999, 3},    // the next one full period after that run
        {1, 4},
    };
    for (const auto& step : steps) {
        fakeNow += step.advance;
        int waitMs = 0;
        ASSERT_TRUE(list.Run(&waitMs));
        EXPECT_EQ(calls.at.size(), step.callsAfter) << "at " << fakeNow;
    }
    EXPECT_EQ(entry->count, 4u);
}

// A frame-like host whose callbacks re-enter it from the thread running the list.
class TestHost : public TimerHost, public PlainWindow<TopLevelBase> {
public:
    TestHost() : TimerHost(1, kFakeClock) {}
    FrameInterface* GetFrame() override { return this; }
    Font* GetFont() override { return nullptr; }
    bool AddChild(ControlInterface*) override { return false; }
    bool RemoveChild(ControlInterface*) override { return false; }
    bool DeleteChild(ControlInterface*) override { return false; }
    void DeleteAllChildren() override {}
    int GetChildCount() override { return 0; }
    ControlInterface* GetChild(int) override { return nullptr; }
    void LayoutChildren() override {}
    ControlInterface* ChildAt(int, int) override { return nullptr; }
    void SetMargins(const Margins&) override {}
    void NotifyParent(int) override {}

    int reentered = 0;
    int added = 0;
};

TEST_F(TimerListTest, RatesFromIntervals)
{
    TestHost host;
    EXPECT_EQ(host.AddTimer(0, nullptr, nullptr), 0u);
    EXPECT_EQ(host.AddTimer(1001, nullptr, nullptr), 0u);
    TimerList list(kFakeClock);
    const struct {
        int rate;
        i64 period;
    } cases[] = {{500, 2000}, {333, 3003}, {1, 1000000}, {0, 1}, {-5, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(list.Add(c.rate, Record, nullptr, nullptr, nullptr)->period, c.period) << "rate " << c.rate;
}

TEST_F(TimerListTest, RescalesPeriodsAndWaitsToANewFrequency)
{
    TimerList list(kFakeClock);
    Calls calls;
    TimerEntry* entry = list.Add(100, Record, &calls, nullptr, nullptr);  // 10 ms = 10000 ticks
    fakeNow += 4000;
    list.Run(nullptr);               // 6000 ticks (6 ms) to go
    EXPECT_EQ(entry->due, 6000);
    fakeFrequency = 3000000;         // the counter now ticks three times as fast
    fakeNow += 1;
    list.Run(nullptr);               // re-times, calls nothing
    EXPECT_EQ(entry->period, 30000);
    EXPECT_EQ(entry->due, 18000);
    EXPECT_TRUE(calls.at.empty());
    fakeNow += 17999;
    list.Run(nullptr);
    EXPECT_TRUE(calls.at.empty());
    fakeNow += 1;
    list.Run(nullptr);
    EXPECT_EQ(calls.at.size(), 1u);
}

TEST_F(TimerListTest, RemovedEntriesAreRecycledAndTheWalkGoesOn)
{
    TimerList list(kFakeClock);
    Calls once;
    once.answer = false;
    TimerEntry* first = list.Add(1000, Record, &once, nullptr, nullptr);
    Calls kept;
    list.Add(1000, Record, &kept, nullptr, nullptr);
    fakeNow += 1000;
    list.Run(nullptr);
    fakeNow += 1000;
    list.Run(nullptr);
    EXPECT_EQ(once.at.size(), 1u) << "false removes the timer";
    EXPECT_EQ(kept.at.size(), 2u);
    EXPECT_EQ(list.Add(10, Record, &kept, nullptr, nullptr), first) << "the free entry serves the next Add";

    // A callback that removes the entry after it: the walk skips it.
    struct Pair {
        TimerList* list;
        TimerEntry* victim;
        int calls = 0;
    };
    TimerList other(kFakeClock);
    Pair pair{&other, nullptr};
    const auto removeNext = [](void* p, void*, void*, u64*) {
        auto* self = static_cast<Pair*>(p);
        ++self->calls;
        self->list->Remove(self->victim);
        return true;
    };
    other.Add(1000, removeNext, &pair, nullptr, nullptr);
    Calls victimCalls;
    pair.victim = other.Add(1000, Record, &victimCalls, nullptr, nullptr);
    fakeNow += 1000;
    other.Run(nullptr);
    EXPECT_EQ(pair.calls, 1);
    EXPECT_TRUE(victimCalls.at.empty());
}

TEST_F(TimerListTest, WithoutCounterNothingRuns)
{
    TimerList list(kFakeClock);
    Calls calls;
    list.Add(1000, Record, &calls, nullptr, nullptr);
    clockWorks = false;
    fakeNow += 5000;
    EXPECT_FALSE(list.Run(nullptr));
    EXPECT_EQ(list.Add(1000, Record, &calls, nullptr, nullptr), nullptr);
    EXPECT_TRUE(calls.at.empty());
}

bool Reenter(WindowInterface* window, void*, void*, u64*)
{
    auto* host = dynamic_cast<TestHost*>(window);
    ++host->reentered;
    host->RunTimers();  // as a modal loop inside a callback would: must return at once
    host->added += host->AddTimer(1, [](WindowInterface*, void*, void*, u64*) { return true; }, nullptr) != 0;
    return host->reentered < 3;
}

TEST_F(TimerListTest, ACallbackThatReentersTheHostDoesNotWaitForItself)
{
    TestHost host;
    ASSERT_EQ(host.AddTimer(1, Reenter, nullptr), 1u);
    for (int i = 0; i < 3; ++i) {
        fakeNow += 1000;
        host.RunTimers();
        EXPECT_EQ(host.reentered, i + 1) << "one call per run, none from the nested run";
    }
    EXPECT_EQ(host.added, 3) << "AddTimer from inside a callback went through";
    EXPECT_FALSE(host.IsRunningTimers());
}

} // namespace
