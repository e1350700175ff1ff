// i8253 timer: the six counting modes on a 2 MHz input clock sampled half-way through
// input clocks, latches and read-back, BCD counts, the control-word routing and state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "emu/option_item.h"
#include "emu/port_space.h"
#include "emu/tests/archive_buffer.h"
#include "sound/pit8253.h"
#include "sound/tests/sound_rig.h"

namespace {

// The CPU at twice the input clock: one input clock is two cycles.
constexpr i32 kCpuHz = 4000000;

// The CPU's time moved on by shift: what the timer reads as the host's time.
class ShiftedCpu : public machine_run::IdleCpu {
public:
    u64 GetTime() const override { return IdleCpu::GetTime() + shift; }
    // From here the time reads at.
    void MoveTo(u64 at) { shift = at - IdleCpu::GetTime(); }

    u64 shift = 0;
};

class Pit8253Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        pit = rig.Add(new Pit8253);
        rig.cpu->SetFrequency(kCpuHz);
        for (i32 i = 0; i < 3; ++i) {
            pit->GetChannel(i)->SetInputClock(2000000);
            ASSERT_TRUE(pit->GetChannel(i)->AttachDataPort(0x84 + i));
        }
        ASSERT_TRUE(pit->AttachModePort(0x87));
        ASSERT_TRUE(rig.Start());
    }
    PortSpace* Ports() { return rig.machine.GetPorts(); }
    void Mode(u8 control) { Ports()->Write8(0x87, control); }
    void Data(i32 counter, u8 value) { Ports()->Write8(0x84 + static_cast<u32>(counter), value); }
    u8 Read(i32 counter, bool peek = false) { return Ports()->Read8(0x84 + static_cast<u32>(counter), peek, nullptr); }
    // Counter 0 read LSB then MSB.
    u16 Read16(i32 counter = 0)
    {
        const u8 lsb = Read(counter);
        return static_cast<u16>(lsb | (Read(counter) << 8));
    }
    void Clocks(i32 n) { rig.cpu->AddCycles(2 * n); }
    // Samples taken half-way between input clocks never sit on a count's edge.
    void HalfClock() { rig.cpu->AddCycles(1); }

    ShiftedCpu* clock = new ShiftedCpu;
    SoundRig rig{clock};
    Pit8253* pit = nullptr;
};

TEST_F(Pit8253Test, SixModesCountAndDriveOut)
{
    struct Sample {
        i32 clock;   // input clocks after the count was written (or the gate rose), +0.5
        u16 count;
        bool out;
    };
    struct Case {
        u8 mode;
        u16 n;
        bool trigger;   // started by a rising gate
        std::vector<Sample> samples;
    };
    const Case cases[] = {
        {0, 10, false, {{0, 10, false}, {9, 1, false}, {10, 0, true}, {30, 0, true}}},
        {1, 10, true, {{0, 10, false}, {9, 1, false}, {10, 0, true}, {30, 0, true}}},
        {2, 10, false, {{0, 10, true}, {8, 2, true}, {9, 1, false}, {10, 10, true}, {19, 1, false}}},
        {3, 10, false, {{0, 10, true}, {4, 6, true}, {5, 5, false}, {9, 1, false}, {10, 10, true}}},
        {3, 5, false, {{2, 3, true}, {3, 2, false}, {5, 5, true}}},   // odd: high 6/10 of the period
        {4, 10, false, {{0, 10, true}, {10, 1, true}, {11, 0, false}, {12, 0, true}, {40, 0, true}}},
        {5, 10, true, {{0, 10, true}, {10, 1, true}, {11, 0, false}, {12, 0, true}}},
    };
    // The host's time at each count's write: from the start, where a double's step is two
    // input clocks, and 4.5 input clocks before the time wraps at 2^64.
    for (const u64 writeAt : {u64{0}, (u64{1} << 62) + 123, 0 - u64{2250}}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << " count " << c.n << " at " << writeAt);
            PitChannel* counter = pit->GetChannel(0);
            if (writeAt != 0)
                clock->MoveTo(writeAt);
            Mode(static_cast<u8>(0x30 | (c.mode << 1)));
            Data(0, static_cast<u8>(c.n));
            Data(0, static_cast<u8>(c.n >> 8));
            if (c.trigger) {
                Clocks(3);
                EXPECT_TRUE(counter->GetOut());   // waits for the gate
                counter->SetGate(false);
                counter->SetGate(true);
            }
            HalfClock();
            i32 at = 0;
            for (const Sample& s : c.samples) {
                Clocks(s.clock - at);
                at = s.clock;
                EXPECT_EQ(s.count, Read16()) << "clock " << s.clock;
                EXPECT_EQ(s.out, counter->GetOut()) << "clock " << s.clock;
            }
        }
    }
}

TEST_F(Pit8253Test, LatchesHoldTheCountUntilRead)
{
    Mode(0x34);   // counter 0, LSB then MSB, mode 2
    Data(0, 0xE8);
    Data(0, 0x03);   // 1000
    Clocks(100);
    Mode(0x00);   // latch counter 0
    Clocks(50);
    Mode(0x00);   // ignored: a latch waits
    EXPECT_EQ(0x84, Read(0, true));   // a peek does not move the read sequence
    EXPECT_EQ(900, Read16());
    EXPECT_EQ(850, Read16());   // unlatched again
    // Read-back of count and status of counter 0: status first, then the count.
    Clocks(50);
    Mode(0xC2);
    Clocks(10);
    EXPECT_EQ(0x80 | 0x34, Read(0));   // OUT high, count taken, control word
    EXPECT_EQ(800, Read16());
    // A new count waits for the end of the period: the status shows it as null count,
    // and a status latch does not lose it.
    Data(0, 100);
    Data(0, 0);
    Mode(0xE2);   // status of counter 0 only
    EXPECT_EQ(0x80 | 0x40 | 0x34, Read(0));
    Clocks(800);
    EXPECT_EQ(100, Read16());
    EXPECT_DOUBLE_EQ(100 * 500.0, pit->GetChannel(0)->GetPeriod());
}

TEST_F(Pit8253Test, ZeroCountsTheFullRangeInBinaryAndBcd)
{
    struct Case {
        u8 control;
        u8 lsb, msb;
        i32 clocks;    // of one full count
        u16 first;     // read right after the write
    };
    const Case cases[] = {
        {0x30, 0x00, 0x00, 65535, 0},        // binary 0 reads 0 until the counter moves
        {0x31, 0x00, 0x00, 10000, 0x0000},   // BCD 0: ten thousand
        {0x31, 0x34, 0x12, 1234, 0x1234},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.msb) << int(c.lsb) << " control " << int(c.control));
        Mode(c.control);   // mode 0
        Data(0, c.lsb);
        Data(0, c.msb);
        HalfClock();
        EXPECT_EQ(c.first, Read16());
        Clocks(c.clocks - 1);
        EXPECT_FALSE(pit->GetChannel(0)->GetOut());
        EXPECT_EQ((c.control & 1) ? 0x0001 : 1, Read16());
        Clocks(1);
        EXPECT_EQ(0, Read16());
        EXPECT_TRUE(pit->GetChannel(0)->GetOut());
    }
}

TEST_F(Pit8253Test, ControlWordsReachTheCountersTheySelect)
{
    struct Case {
        u8 control;
        std::vector<i32> modes;   // of counters 0-2 afterwards
    };
    for (const Case& c : {Case{0x36, {3, 0, 0}}, Case{0x76, {3, 3, 0}}, Case{0xB4, {3, 3, 2}}}) {
        Mode(c.control);
        for (i32 i = 0; i < 3; ++i)
            EXPECT_EQ(c.modes[static_cast<size_t>(i)], pit->GetChannel(i)->GetMode()) << std::hex << int(c.control);
    }
    EXPECT_EQ(0, Ports()->Read8(0x87, false, nullptr));
    // Read-back 0xEE latches the status of all three and no count; 0xC0 selects none.
    Mode(0xC0);
    EXPECT_EQ(0, Read(0));   // nothing latched, no count written: reads 0
    Mode(0xEE);
    EXPECT_EQ(0x40 | 0x36, Read(0) & 0x7F);
    EXPECT_EQ(0x40 | 0x34, Read(2) & 0x7F);
}

TEST_F(Pit8253Test, TwoPeriodsBetweenUpdatesCountOneRisingEdge)
{
    PitChannel* counter = pit->GetChannel(1);
    Mode(0x74);   // counter 1, mode 2
    Data(1, 10);
    Data(1, 0);
    const u32 before = counter->GetPendingEdges();
    Clocks(20);
    counter->Update();
    EXPECT_EQ(before + 1, counter->GetPendingEdges());
    EXPECT_TRUE(counter->GetOut());
    // 9.5 periods in all: the start moved on by whole periods and one and a half remain,
    // so the time since it stays small however long the count runs.
    Clocks(75);
    counter->Update();
    EXPECT_EQ(7500u, clock->GetTime() - counter->GetStartTime());
}

TEST_F(Pit8253Test, DebugMenuSwitchesEveryCounterAtOnce)
{
    DeviceOption root;
    pit->BuildMenu(&root, Device::kMenuDebug);
    // A submenu per counter, then -, Trace All, Break On All, -, Select All, Clear All.
    ASSERT_EQ(9, root.GetChildCount());
    EXPECT_STREQ("PIT Channel 2", root.GetChild(2)->GetName().GetNarrow());
    root.GetChild(4)->Execute();   // Trace All
    for (i32 i = 0; i < 3; ++i) {
        PitChannel* counter = pit->GetChannel(i);
        EXPECT_EQ(1, counter->Trace(PitChannel::kReadData));
        EXPECT_EQ(1, counter->TraceMode(5));
        EXPECT_EQ(0, counter->TraceMode(6));   // modes 6 and 7 have no switches
        EXPECT_EQ(0, counter->Break(PitChannel::kWriteMode));
    }
    root.GetChild(7)->Execute();   // Select All
    EXPECT_EQ(1, pit->GetChannel(1)->BreakMode(0));
    root.GetChild(8)->Execute();   // Clear All
    EXPECT_EQ(0, pit->GetChannel(1)->TraceMode(0));
    EXPECT_EQ(0, pit->GetChannel(2)->Break(PitChannel::kWriteData));
}

TEST_F(Pit8253Test, StateRoundTripsAndDamagedStatesAreRefused)
{
    Clocks(100);   // the counts start at a time other than 0
    Mode(0x36);
    Data(0, 0x10);
    Data(0, 0x27);
    Mode(0x70);   // counter 1 in mode 0
    Data(1, 0x10);
    Data(1, 0x27);
    Clocks(1234);
    ArchiveBuffer saved;
    ASSERT_TRUE(rig.machine.SaveComponent(saved.archive));
    const std::vector<u8> bytes = saved.Bytes();

    // What counters 0 and 1 of a loaded copy read once brought to the same time.
    struct Seen {
        u16 count[2] = {};
        u32 edges[2] = {};   // rises of OUT from ended periods
        bool out[2] = {};
        bool operator==(const Seen&) const = default;
    };
    auto load = [&](const std::vector<u8>& state, Seen* seen) {
        SoundRig other;
        auto* copy = other.Add(new Pit8253);
        other.cpu->SetFrequency(kCpuHz);
        EXPECT_TRUE(other.Start());
        other.cpu->AddCycles(static_cast<i32>(rig.cpu->GetCycleCount()));
        ArchiveBuffer in;
        in.stream.Write(state.data(), state.size());
        in.Rewind();
        const bool ok = other.machine.LoadComponent(in.archive, nullptr);
        for (i32 i = 0; i < 3; ++i)
            copy->GetChannel(i)->Update();
        for (i32 i = 0; i < 2; ++i) {
            seen->count[i] = copy->GetChannel(i)->GetCountingElement();
            seen->edges[i] = copy->GetChannel(i)->GetPendingEdges();
            seen->out[i] = copy->GetChannel(i)->GetOut();
        }
        return ok;
    };
    pit->GetChannel(0)->Update();
    Seen good;
    ASSERT_TRUE(load(bytes, &good));
    const bool sound = true;
    EXPECT_EQ(pit->GetChannel(0)->GetCountingElement(), good.count[0]);

    // Patches the value of the counter-th counter's record of key; with version, also its
    // version (the "VER" before the counter's "SNDG").
    auto patch = [](std::vector<u8>& b, const char* key, u8 type, const void* value, size_t size, i32 counter) {
        std::vector<u8> pattern(key, key + std::strlen(key));
        pattern.push_back(type);
        auto at = std::search(b.begin(), b.end(), pattern.begin(), pattern.end());
        for (i32 n = 0; n < counter && at != b.end(); ++n)
            at = std::search(at + 1, b.end(), pattern.begin(), pattern.end());
        EXPECT_NE(at, b.end()) << key;
        // A blob's value follows its 4-byte length.
        const long skip = static_cast<long>(pattern.size()) + (type == Archive::kTypeBlob ? 4 : 0);
        if (at != b.end())
            std::memcpy(&*(at + skip), value, size);
        return at;
    };
    auto patched = [&](const char* key, u8 type, const void* value, size_t size, i32 counter = 0,
                       Seen* seen = nullptr, const u8* version = nullptr) {
        std::vector<u8> b = bytes;
        if (version) {
            const auto sndg = patch(b, "SNDG", Archive::kTypeBool, &sound, 0, counter);
            const std::string ver = std::string("VER") + char(Archive::kTypeUInt8);
            const auto at = std::find_end(b.begin(), sndg, ver.begin(), ver.end());
            EXPECT_NE(at, sndg);
            if (at != sndg)
                *(at + 4) = *version;
        }
        patch(b, key, type, value, size, counter);
        Seen ignored;
        return load(b, seen ? seen : &ignored);
    };
    const u8 badState = 5;
    const double notANumber = std::nan("");
    const double negative = -1.0;
    EXPECT_FALSE(patched("DWRS", Archive::kTypeUInt8, &badState, 1));
    EXPECT_FALSE(patched("CETM", Archive::kTypeBlob, &notANumber, 8));
    EXPECT_FALSE(patched("CETM", Archive::kTypeBlob, &negative, 8));
    EXPECT_FALSE(patched("SNDG", Archive::kTypeBool, &sound, 1));
    // A start time past the loading machine's clock, in the periodic mode (counter 0) and
    // in mode 0 (counter 1): the count is taken as just started, so it reads its whole
    // count 10000, and no period has ended: no rise of OUT was added, and OUT is as saved.
    // Version 0 held the time as a double (0 here: a u64 time of version 1).
    const u8 version0 = 0;
    const u64 later = clock->GetTime() + (u64{1} << 62);
    for (i32 counter = 0; counter < 2; ++counter) {
        Seen started = good;
        started.count[counter] = 10000;
        for (const double future : {1e300, 1e12, 0.0}) {
            Seen seen;
            EXPECT_TRUE(future != 0 ? patched("STTM", Archive::kTypeBlob, &future, 8, counter, &seen, &version0)
                                    : patched("STTM", Archive::kTypeBlob, &later, 8, counter, &seen));
            EXPECT_TRUE(seen == started) << future << " counter " << counter << " reads " << seen.count[counter];
        }
        // A version 0 state with the start time the counter holds counts on as this one.
        const double start = static_cast<double>(pit->GetChannel(counter)->GetStartTime());
        Seen seen;
        EXPECT_TRUE(patched("STTM", Archive::kTypeBlob, &start, 8, counter, &seen, &version0));
        EXPECT_TRUE(seen == good) << counter << " reads " << seen.count[counter];
    }
}

} // namespace
