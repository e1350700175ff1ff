// Event bus: bus rates, timer periods and removal, stream timers, the named-event
// registry, and the "_EVT" block (round trip, re-binding, damaged states).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "emu/component.h"
#include "emu/event_bus.h"
#include "emu/sound_stream.h"
#include "record_helpers.h"

namespace {

// A plain node to own timers.
class Owner : public ComponentGroup {
public:
    std::vector<i32> fires;  // tick numbers at which timers of this owner fired
    i32 tick = 0;            // set by the test before each tick
    bool keep = true;
};

bool RecordTick(Component* user, u64*, u32*)
{
    auto* owner = static_cast<Owner*>(user);
    owner->fires.push_back(owner->tick);
    return owner->keep;
}

bool OtherCallback(Component*, u64*, u32*)
{
    return true;
}

bool CpuCallback(Component*, i32*, u32*, ClockInterface*)
{
    return true;
}

// A sound stream that counts what the bus asks of it.
struct StreamLog {
    int live = 0, fills = 0, silences = 0;
    bool refuseOpen = false;
};

class FakeStream : public SoundStreamInterface {
public:
    explicit FakeStream(StreamLog* log) : log_(log) { ++log_->live; }
    ~FakeStream() override { --log_->live; }
    SoundStreamInterface* Clone() override { return new FakeStream(log_); }
    bool Open(i32 total, i32 width, i32 count) override
    {
        return !log_->refuseOpen && total == 22050 && width == 8 && count == 50;
    }
    void Silence() override { ++log_->silences; }
    i32* FlipBuffer(i32* count, i32* minimum, i32* maximum) override
    {
        *count = 441;
        *minimum = 0;
        *maximum = 255;
        return buffer_;
    }
    void FillBuffer() override { ++log_->fills; }

private:
    StreamLog* log_;
    i32 buffer_[441] = {};
};

class StreamOwner : public ComponentGroup {
public:
    int calls = 0;
    i32 lastRate = 0;
    bool keep = true;
};

bool StreamCallback(Component* target, i32*, i32 count, i32, i32, i32 rate, u32*)
{
    auto* owner = static_cast<StreamOwner*>(target);
    owner->calls += count == 441 ? 1 : 1000;
    owner->lastRate = rate;
    return owner->keep;
}

// Ticks the bus n times, telling the owners the tick number first.
void RunTicks(EventBus& bus, std::vector<Owner*> owners, int n)
{
    for (int i = 0; i < n; ++i) {
        for (Owner* owner : owners)
            owner->tick = bus.GetTickCount();
        bus.Tick();
    }
}

// A machine-like tree: root > "Chip" > "Unit", and the bus beside them.
struct Tree {
    ComponentGroup root;
    Owner* chip = new Owner();
    Owner* unit = new Owner();
    EventBus* bus = new EventBus();

    Tree()
    {
        root.AddChild(bus, nullptr, nullptr);
        root.AddChild(chip, "Chip", nullptr);
        chip->AddChild(unit, "Unit", nullptr);
    }
};

}  // namespace

TEST(EventBusFrequency, QuantisesToTheFiveBusRatesAndAnswersTicksPerFrame)
{
    const i32 requested[] = {1, 2450, 2451, 7350, 14701, 22050, 22051, 100000};
    const i32 expected[] = {2450, 2450, 7350, 7350, 22050, 22050, 44100, 44100};
    for (size_t i = 0; i < std::size(requested); ++i)
        EXPECT_EQ(EventBus::QuantiseFrequency(requested[i]), expected[i]) << requested[i];
    EventBus bus;
    const i32 ticksPerFrame[] = {49, 147, 294, 441, 882};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(bus.SetBusFrequency(EventBus::kBusRates[i], nullptr), ticksPerFrame[i]);
}

struct RateCase {
    i32 busRate;
    i32 timerRate;
    i32 reload;   // the shorter interval; the longer is one tick more
    i32 rate;     // calls per busRate ticks
};

class EventBusRates : public ::testing::TestWithParam<RateCase> {};

TEST_P(EventBusRates, TimerMakesExactlyItsRateOfCallsPerEmulatedSecondEvenlySpread)
{
    const RateCase c = GetParam();
    EventBus bus;
    Owner owner;
    bus.SetBusFrequency(c.busRate, nullptr);
    ASSERT_TRUE(bus.AddTimer(c.timerRate, RecordTick, &owner, "T", 0, 0, true));
    const BusTimer* timer = bus.GetFirstTimer();
    EXPECT_EQ(timer->reload, c.reload);
    EXPECT_EQ(timer->achievedRate, c.rate);
    // Three seconds: a rate that drifted would gain or lose calls from one to the next.
    RunTicks(bus, {&owner}, 3 * c.busRate);
    ASSERT_EQ(static_cast<i32>(owner.fires.size()), 3 * c.rate);
    // Call k falls on tick floor(k * busRate / rate): reload or reload + 1 ticks apart,
    // never a whole tick early or late.
    for (size_t k = 0; k < owner.fires.size(); ++k)
        ASSERT_EQ(owner.fires[k], static_cast<i32>(static_cast<i64>(k) * c.busRate / c.rate)) << k;
}

INSTANTIATE_TEST_SUITE_P(
    AllBusRates, EventBusRates,
    ::testing::Values(RateCase{2450, 50, 49, 50}, RateCase{7350, 50, 147, 50}, RateCase{14700, 50, 294, 50},
                      RateCase{22050, 50, 441, 50}, RateCase{44100, 50, 882, 50},
                      RateCase{2450, 60, 40, 60}, RateCase{7350, 60, 122, 60}, RateCase{14700, 60, 245, 60},
                      RateCase{22050, 60, 367, 60}, RateCase{44100, 60, 735, 60},
                      // A display's four frame steps at 50 and 60 Hz.
                      RateCase{2450, 200, 12, 200}, RateCase{44100, 200, 220, 200},
                      RateCase{2450, 240, 10, 240}, RateCase{22050, 240, 91, 240},
                      RateCase{2450, 100000, 1, 2450}, RateCase{44100, 100000, 1, 44100},
                      RateCase{44100, 0, 1, 44100}, RateCase{7350, 1000, 7, 1000}));

TEST(EventBusTimers, ANewBusRateStartsTheSpreadAfresh)
{
    EventBus bus;
    Owner owner;
    bus.SetBusFrequency(2450, nullptr);
    bus.AddTimer(200, RecordTick, &owner, "T", 0, 0, false);
    RunTicks(bus, {&owner}, 100);
    bus.SetBusFrequency(7350, nullptr);
    owner.fires.clear();
    RunTicks(bus, {&owner}, 7350);
    // Passed over by the first tick, then 36.75 ticks apart counted from there.
    ASSERT_EQ(owner.fires.size(), 200u);
    for (size_t k = 0; k < owner.fires.size(); ++k)
        ASSERT_EQ(owner.fires[k], static_cast<i32>(36 + (k * 7350) / 200)) << k;
}

TEST(EventBusTimers, FirstTickAfterAFrequencyChangeStartsEachTimerAfresh)
{
    EventBus bus;
    Owner early, late, before;
    // Added before the bus has a rate: timed when it gets one.
    bus.AddTimer(50, RecordTick, &before, "B", 0, 0, true);
    bus.SetBusFrequency(2450, nullptr);
    // Both added before the first tick: one fires at it, the other after a full reload.
    bus.AddTimer(50, RecordTick, &early, "E", 0, 0, true);
    bus.AddTimer(50, RecordTick, &late, "L", 0, 0, false);
    RunTicks(bus, {&early, &late, &before}, 100);
    EXPECT_EQ(early.fires, (std::vector<i32>{0, 49, 98}));
    EXPECT_EQ(before.fires, early.fires);
    EXPECT_EQ(late.fires, (std::vector<i32>{49, 98}));
}

TEST(EventBusTimers, CallbackAnsweringFalseIsRemovedAtOnceAndStopRemovesAll)
{
    EventBus bus;
    Owner once, steady;
    once.keep = false;
    bus.SetBusFrequency(2450, nullptr);
    EXPECT_FALSE(bus.AddTimer(0, nullptr, &once, "N", 0, 0, true));  // would crash the tick
    bus.AddTimer(0, RecordTick, &once, "O", 0, 0, true);
    bus.AddTimer(0, RecordTick, &steady, "S", 0, 0, true);
    RunTicks(bus, {&once, &steady}, 5);
    EXPECT_EQ(once.fires, (std::vector<i32>{0}));
    EXPECT_EQ(steady.fires.size(), 5u);
    EXPECT_EQ(bus.GetTimerCount(), 1);
    bus.Stop();
    EXPECT_EQ(bus.GetTimerCount(), 0);
    EXPECT_EQ(bus.GetBusFrequency(), 0);
}

TEST(EventBusStreams, NeedAnOutputAndFeedItFiftyTimesASecondUnlessHeld)
{
    EventBus bus;
    StreamOwner owner;
    StreamLog log;
    FakeStream prototype(&log);
    EXPECT_FALSE(bus.AddTimerWithCallback(22050, 8, StreamCallback, &owner, "SoundEvent", 0, 0));
    bus.SetSoundOutput(&prototype);
    log.refuseOpen = true;
    EXPECT_FALSE(bus.AddTimerWithCallback(22050, 8, StreamCallback, &owner, "SoundEvent", 0, 0));
    EXPECT_EQ(log.live, 1);  // the refused clone was destroyed
    log.refuseOpen = false;

    bus.SetBusFrequency(22050, nullptr);
    ASSERT_TRUE(bus.AddTimerWithCallback(22050, 8, StreamCallback, &owner, "SoundEvent", 0, 0));
    EXPECT_EQ(bus.GetFirstTimer()->reload, 441);
    for (int i = 0; i < 22050; ++i)
        bus.Tick();
    EXPECT_EQ(owner.calls, 50);
    EXPECT_EQ(owner.lastRate, 50);
    EXPECT_EQ(log.fills, 50);

    // Held in the debugger: silenced once, the channel still renders, nothing is filled.
    bus.SetHold(true);
    bus.SetHold(true);
    EXPECT_EQ(log.silences, 1);
    for (int i = 0; i < 441; ++i)
        bus.Tick();
    EXPECT_EQ(owner.calls, 51);
    EXPECT_EQ(log.fills, 50);

    // A channel that answers false ends its timer and its stream.
    owner.keep = false;
    bus.SetHold(false);
    for (int i = 0; i < 441; ++i)
        bus.Tick();
    EXPECT_EQ(bus.GetTimerCount(), 0);
    EXPECT_EQ(log.live, 1);
}

TEST(EventBusRegistry, RegistersInsideTheWindowOnceAndRefusesClashes)
{
    Tree t;
    t.bus->AddTimer(50, RecordTick, t.chip, "Outside", 0, 0, true);
    EXPECT_EQ(t.bus->GetNamedEventCount(), 0);
    t.bus->SetRegistrationOpen(true);
    EXPECT_TRUE(t.bus->AddTimer(50, RecordTick, t.unit, "Update", 0, 0, true));
    EXPECT_TRUE(t.bus->AddTimer(50, RecordTick, t.unit, "Update", 0, 0, true));
    EXPECT_FALSE(t.bus->AddTimer(50, RecordTick, t.chip, nullptr, 0, 0, true));  // added, not named
    EXPECT_EQ(t.bus->GetNamedEventCount(), 1);
    EXPECT_FALSE(t.bus->RegisterNamedEventKind0("Update", OtherCallback, t.unit));
    EXPECT_FALSE(t.bus->RegisterNamedEventKind2("Update", CpuCallback, t.unit));

    // Another component that a saved state would name the same way cannot register; one
    // of the same short name elsewhere in the tree can.
    Owner* twin = new Owner();
    t.chip->AddChild(twin, "Unit", nullptr);
    EXPECT_FALSE(t.bus->RegisterNamedEventKind0("Other", RecordTick, twin));
    Owner* cousin = new Owner();
    t.root.AddChild(cousin, "Unit", nullptr);
    EXPECT_TRUE(t.bus->RegisterNamedEventKind0("Update", RecordTick, cousin));

    NamedEventMatch match;
    const char* name = nullptr;
    EXPECT_TRUE(t.bus->FindNamedEvent(StringA("Unit.Chip"), StringA("Update"), &match, &name));
    EXPECT_EQ(match.target, t.unit);
    EXPECT_EQ(match.AsBusTimer(), &RecordTick);
    EXPECT_STREQ(name, "Update");
    EXPECT_FALSE(t.bus->FindNamedEventKind2(StringA("Unit.Chip"), StringA("Update"), &match, &name));
    // Start registers the bus tick as a CPU event.
    t.bus->Start(nullptr);
    EXPECT_TRUE(t.bus->FindNamedEventKind2(StringA("_BUS"), StringA("_BusFreqEvent"), &match, &name));
    EXPECT_EQ(match.AsCpuEvent(), &EventBus::TickCallback);
}

// --- "_EVT" -------------------------------------------------------------------------------

namespace {

// Registers the timers a chip and a unit would add in their Start, and adds them.
struct SavedMachine : Tree {
    StreamLog log;
    FakeStream prototype{&log};
    StreamOwner* voice = new StreamOwner();

    SavedMachine()
    {
        chip->AddChild(voice, "Voice", nullptr);
        bus->SetSoundOutput(&prototype);
        bus->Start(nullptr);
        bus->SetRegistrationOpen(true);
    }

    void AddTimers()
    {
        EXPECT_TRUE(bus->AddTimer(60, RecordTick, chip, "UpdateEvent", 7, 9, false));
        EXPECT_TRUE(bus->AddTimer(1000, RecordTick, unit, "Fast", 0, 1, true));
        EXPECT_TRUE(bus->AddTimerWithCallback(22050, 8, StreamCallback, voice, "SoundEvent", 3, 4));
    }
};

ByteVec SaveBus(EventBus& bus)
{
    StateBuffer state;
    EXPECT_TRUE(bus.SaveState(state.archive));
    return state.Bytes();
}

bool LoadBus(EventBus& bus, const ByteVec& bytes)
{
    StateBuffer state(bytes);
    return bus.LoadState(state.archive, nullptr);
}

}  // namespace

TEST(EventBusState, TimerRecordLayout)
{
    SavedMachine m;
    m.bus->SetBusFrequency(44100, nullptr);
    ASSERT_TRUE(m.bus->AddTimer(60, RecordTick, m.chip, "UpdateEvent", 7, 9, true));
    const ByteVec record = {0x01, 0x01, 0, 0,            // kind 1, waits for its first tick
                            60, 0, 0, 0,                 // achieved rate
                            0xDF, 0x02, 0, 0,            // reload 735
                            0, 0, 0, 0,                  // countdown
                            60, 0, 0, 0,                 // requested rate
                            0, 0, 0, 0,                  // no stream
                            0, 0, 0, 0, 0, 0, 0, 0,      // fire count
                            7, 0, 0, 0, 9, 0, 0, 0};     // user words
    const ByteVec expected =
        Cat({Marker(0xF0, "_EVT"), Keyed("VER", 0x00, {0}), Keyed("CRFRQ", 0x43, {0x44, 0xAC, 0, 0}),
             Keyed("CNFRQ", 0x43, {0, 0, 0, 0}), Keyed("CNEVT", 0x03, {1, 0, 0, 0}),
             Keyed("DVEVT0", 0x80, Cat({{5, 0, 0, 0}, {'C', 'h', 'i', 'p', 0}})),
             Keyed("NMEVT0", 0x80, Cat({{12, 0, 0, 0}, {'U', 'p', 'd', 'a', 't', 'e', 'E', 'v', 'e', 'n', 't', 0}})),
             Keyed("DTEVT0", 0xC0, Cat({{40, 0, 0, 0}, record})), Keyed("RMEVT0", 0x43, {0, 0, 0, 0}),
             Marker(0xFF, "_EVT")});
    EXPECT_EQ(SaveBus(*m.bus), expected);
}

TEST(EventBusState, RunningRemainderFollowsTheRecord)
{
    SavedMachine m;
    m.bus->SetBusFrequency(2450, nullptr);
    ASSERT_TRUE(m.bus->AddTimer(200, RecordTick, m.chip, "UpdateEvent", 0, 0, true));
    // Calls at ticks 0 and 12; each reload carries 2450 - 12 * 200 = 50.
    RunTicks(*m.bus, {m.chip}, 13);
    const ByteVec record = {0x01, 0, 0, 0,               // kind 1, started
                            200, 0, 0, 0,                // achieved rate
                            12, 0, 0, 0,                 // reload
                            12, 0, 0, 0,                 // countdown
                            200, 0, 0, 0,                // requested rate
                            0, 0, 0, 0,                  // no stream
                            2, 0, 0, 0, 0, 0, 0, 0,      // fire count
                            0, 0, 0, 0, 0, 0, 0, 0};     // user words
    const ByteVec values =
        Cat({Keyed("DTEVT0", 0xC0, Cat({{40, 0, 0, 0}, record})), Keyed("RMEVT0", 0x43, {100, 0, 0, 0})});
    const ByteVec saved = SaveBus(*m.bus);
    EXPECT_NE(std::search(saved.begin(), saved.end(), values.begin(), values.end()), saved.end());
}

TEST(EventBusState, RoundTripRebindsByNameAndKeepsEveryPhase)
{
    SavedMachine a;
    a.bus->SetBusFrequency(44100, nullptr);
    a.AddTimers();
    RunTicks(*a.bus, {a.chip, a.unit}, 1000);
    const ByteVec saved = SaveBus(*a.bus);

    // A fresh machine of the same shape registers the same events while it starts.
    SavedMachine b;
    b.AddTimers();
    b.bus->SetRegistrationOpen(false);
    ASSERT_TRUE(LoadBus(*b.bus, saved));
    EXPECT_EQ(b.bus->GetTimerCount(), 3);
    EXPECT_EQ(b.bus->GetBusFrequency(), 44100);
    EXPECT_EQ(b.bus->GetTickCount(), 1000u);
    EXPECT_EQ(SaveBus(*b.bus), saved);

    // Both go on firing on the same ticks, into their own owners.
    a.chip->fires.clear();
    a.unit->fires.clear();
    a.voice->calls = 0;
    RunTicks(*a.bus, {a.chip, a.unit}, 3000);
    RunTicks(*b.bus, {b.chip, b.unit}, 3000);
    EXPECT_EQ(b.chip->fires, a.chip->fires);
    EXPECT_EQ(b.unit->fires, a.unit->fires);
    EXPECT_EQ(b.voice->calls, a.voice->calls);
    EXPECT_GT(b.voice->calls, 0);
    EXPECT_FALSE(b.chip->fires.empty());
    EXPECT_EQ(b.log.live, 2);  // prototype and the re-made stream
}

// The tick count wraps through 0 without it being taken for the first tick after a
// frequency change, which would pass over every running timer once.
TEST(EventBusState, RunningTimersKeepTheirTicksAcrossTheCountsWrap)
{
    SavedMachine a;
    a.bus->SetBusFrequency(2450, nullptr);
    a.AddTimers();
    RunTicks(*a.bus, {a.chip, a.unit}, 10);
    const ByteVec saved = SaveBus(*a.bus);
    const ByteVec count = Keyed("CNFRQ", 0x43, {10, 0, 0, 0});
    const auto at = std::search(saved.begin(), saved.end(), count.begin(), count.end());
    ASSERT_NE(at, saved.end());

    // The same timers from counts 10 and 2^32 - 3 fire on the same ticks from there on.
    std::vector<u32> fires[2][2];
    const u32 starts[] = {10, 0xFFFFFFFD};
    for (int i = 0; i < 2; ++i) {
        ByteVec bytes = saved;
        const size_t value = static_cast<size_t>(at - saved.begin()) + count.size() - 4;
        for (int k = 0; k < 4; ++k)
            bytes[value + k] = static_cast<u8>(starts[i] >> (8 * k));
        SavedMachine b;
        b.AddTimers();
        b.bus->SetRegistrationOpen(false);
        ASSERT_TRUE(LoadBus(*b.bus, bytes));
        RunTicks(*b.bus, {b.chip, b.unit}, 100);
        EXPECT_EQ(b.bus->GetTickCount(), starts[i] + 100);
        for (int owner = 0; owner < 2; ++owner) {
            for (const i32 tick : (owner == 0 ? b.chip : b.unit)->fires)
                fires[i][owner].push_back(static_cast<u32>(tick) - starts[i]);
        }
    }
    EXPECT_EQ(fires[1][0], fires[0][0]);
    EXPECT_EQ(fires[1][1], fires[0][1]);
    // 100 ticks of 2450 Hz hold 2.4 calls at 60 Hz and 40.8 at 1000 Hz.
    EXPECT_EQ(fires[0][0].size(), 2u);
    EXPECT_EQ(fires[0][1].size(), 40u);
}

TEST(EventBusState, RefusesDamagedOrForeignStates)
{
    SavedMachine a;
    a.bus->SetBusFrequency(44100, nullptr);
    a.AddTimers();
    RunTicks(*a.bus, {a.chip, a.unit}, 10);
    const ByteVec good = SaveBus(*a.bus);

    auto load = [](const ByteVec& bytes) {
        SavedMachine b;
        b.AddTimers();
        b.bus->SetRegistrationOpen(false);
        return LoadBus(*b.bus, bytes);
    };
    ASSERT_TRUE(load(good));

    // Offsets of values inside the block.
    auto find = [&](const ByteVec& bytes, const char* key) {
        const ByteVec k = NarrowRecord(key);
        const auto it = std::search(bytes.begin(), bytes.end(), k.begin(), k.end());
        return static_cast<size_t>(it - bytes.begin()) + k.size() + 1;  // past the type byte
    };
    auto patched = [&](const char* key, size_t offset, std::initializer_list<u8> values) {
        ByteVec bytes = good;
        size_t at = find(bytes, key) + offset;
        for (u8 v : values)
            bytes[at++] = v;
        return bytes;
    };

    EXPECT_TRUE(load(patched("DTEVT0", 4 + 32, {8})));                 // control: a user word
    EXPECT_TRUE(load(patched("RMEVT1", 0, {0xE7, 0x03})));              // control: remainder 999 of 1000
    EXPECT_FALSE(load(patched("VER", 0, {1})));
    EXPECT_FALSE(load(patched("CRFRQ", 0, {0x45})));                  // not a bus rate
    EXPECT_FALSE(load(patched("CNEVT", 0, {0xFF, 0xFF, 0xFF, 0x7F})));   // more timers than bytes
    EXPECT_FALSE(load(patched("CNEVT", 0, {4})));                       // one more than written
    EXPECT_FALSE(load(patched("DVEVT0", 4, {'X'})));                    // owner not registered
    EXPECT_FALSE(load(patched("DTEVT0", 4, {3})));                      // kind 3
    EXPECT_FALSE(load(patched("DTEVT0", 4, {2})));                      // a timer saved as a stream
    EXPECT_FALSE(load(patched("DTEVT0", 4 + 16, {0, 0, 0, 0})));        // requested rate 0
    EXPECT_FALSE(load(patched("DTEVT0", 4 + 8, {0, 0, 0, 0})));         // reload 0 at 44100 Hz
    EXPECT_FALSE(load(patched("DTEVT0", 4 + 1, {1})));                  // unstarted after ticks
    EXPECT_FALSE(load(patched("DTEVT0", 4 + 4, {61})));                 // achieved rate not the requested
    EXPECT_FALSE(load(patched("DTEVT0", 4 + 8, {0xDE})));               // reload 734 for 60 of 44100 Hz
    EXPECT_FALSE(load(patched("DTEVT0", 4 + 12, {0xE1, 0x02})));        // countdown beyond reload + 1
    EXPECT_FALSE(load(patched("DTEVT0", 4 + 12, {0xFF, 0xFF, 0xFF, 0xFF})));  // negative countdown
    EXPECT_FALSE(load(patched("RMEVT1", 0, {0xE8, 0x03})));             // remainder 1000 of 1000
    EXPECT_FALSE(load(patched("RMEVT0", 0, {0xFF, 0xFF, 0xFF, 0xFF})));   // negative remainder
    // A stream timer timed, in every other respect consistently, at 60 Hz.
    EXPECT_FALSE(load(patched("DTEVT2", 4 + 4, {60, 0, 0, 0, 0xDF, 0x02, 0, 0, 0x10, 0, 0, 0, 60})));
    EXPECT_FALSE(load(patched("DTEVT2", 4, {1})));                      // a stream saved as a timer
    EXPECT_FALSE(load(ByteVec(good.begin(), good.end() - 3)));          // truncated

    // An event registered as a CPU event cannot come back as a bus timer.
    SavedMachine c;
    EXPECT_TRUE(c.bus->RegisterNamedEventKind2("UpdateEvent", CpuCallback, c.chip));
    EXPECT_FALSE(LoadBus(*c.bus, good));

    // A timer without an owner could never be re-bound, so it cannot be saved.
    EventBus orphan;
    orphan.AddTimer(50, RecordTick, nullptr, "T", 0, 0, true);
    StateBuffer state;
    EXPECT_FALSE(orphan.SaveState(state.archive));
}

