// i8253 counter sound: OUT rendered as 8-bit samples at 44100 Hz (high OUT plays the
// output's minimum, low or disabled OUT its maximum).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "emu/tests/archive_buffer.h"
#include "sound/pit8253.h"
#include "sound/tests/sound_rig.h"

namespace {

constexpr size_t kRate = 44100;

struct Played {
    std::vector<u8> pcm;   // the last second
};

// Counter 0 with sound, programmed with control and count (after a quarter second of
// count before, if any), played for 1.5 s.
Played Play(u8 control, u16 count, bool enableOutput, u16 before = 0)
{
    SoundRig rig;
    auto* pit = rig.Add(new Pit8253);
    PitChannel* counter = pit->GetChannel(0);
    EXPECT_TRUE(counter->SetSoundGeneration(true));
    EXPECT_TRUE(rig.Start());
    EXPECT_FALSE(counter->SetSoundGeneration(false));   // not while running
    if (enableOutput)
        counter->SetOutputEnabled(true);
    pit->WriteMode(control);
    if (before != 0) {
        counter->WriteData(static_cast<u8>(before));
        counter->WriteData(static_cast<u8>(before >> 8));
        rig.RunSeconds(0.25);
    }
    counter->WriteData(static_cast<u8>(count));
    counter->WriteData(static_cast<u8>(count >> 8));
    rig.RunSeconds(1.5);
    Played played;
    EXPECT_EQ(1u, rig.sink.streams.size());
    if (rig.sink.streams.empty() || rig.Stream(0).size() < kRate)
        return played;
    const std::vector<u8>& pcm = rig.Stream(0);
    played.pcm.assign(pcm.end() - static_cast<long>(kRate), pcm.end());
    return played;
}

TEST(PitChannelSound, SquareWaveSplitsItsPeriodBySamples)
{
    // 2 MHz input clock: count 4536 lasts 100.02 samples, 4580 lasts 100.99 (101, the
    // high half taking the extra sample), 9072 200.04. A new count with the same halves
    // of its period (any two even counts) plays at its own pitch.
    struct Case {
        u16 count;
        i32 high, low;
        u16 before;
    };
    for (const Case& c : {Case{4536, 50, 50, 0}, Case{4580, 51, 50, 0}, Case{4580, 51, 50, 4536},
                          Case{4536, 50, 50, 4580}, Case{9072, 100, 100, 4536}}) {
        const Played p = Play(0x36, c.count, true, c.before);
        ASSERT_EQ(kRate, p.pcm.size());
        const std::vector<i32> runs = RunLengths(p.pcm, 0, p.pcm.size());
        ASSERT_GT(runs.size(), kRate / static_cast<size_t>(c.high + c.low) * 18 / 10);   // two a period
        // Runs alternate between the levels; skip the two the window cuts.
        size_t index = 0;
        for (size_t i = 1; i + 1 < runs.size(); ++i) {
            index += static_cast<size_t>(runs[i - 1]);
            const bool high = p.pcm[index] == 0;
            ASSERT_EQ(high ? c.high : c.low, runs[i]) << "count " << c.count << " after " << c.before << " run " << i;
        }
        EXPECT_EQ(0, *std::min_element(p.pcm.begin(), p.pcm.end()));
        EXPECT_EQ(255, *std::max_element(p.pcm.begin(), p.pcm.end()));
    }
}

TEST(PitChannelSound, TerminalCountGoesHighForGoodAndADisabledOutputStaysAtMaximum)
{
    // Mode 0: low for one count, then high for ever.
    const Played on = Play(0x30, 1000, true);
    ASSERT_EQ(kRate, on.pcm.size());
    EXPECT_TRUE(std::all_of(on.pcm.begin(), on.pcm.end(), [](u8 v) { return v == 0; }));
    const Played off = Play(0x36, 4536, false);
    ASSERT_EQ(kRate, off.pcm.size());
    EXPECT_TRUE(std::all_of(off.pcm.begin(), off.pcm.end(), [](u8 v) { return v == 255; }));
}

TEST(PitChannelSound, FirstLowPhaseOfTerminalCountLastsOneCount)
{
    // A new count of 44100 at 2 MHz: 22.05 ms, 972 samples low, then high again.
    SoundRig rig;
    auto* pit = rig.Add(new Pit8253);
    PitChannel* counter = pit->GetChannel(0);
    ASSERT_TRUE(counter->SetSoundGeneration(true));
    ASSERT_TRUE(rig.Start());
    counter->SetOutputEnabled(true);
    pit->WriteMode(0x30);
    counter->WriteData(1);
    counter->WriteData(0);
    rig.RunPeriods(3);
    ASSERT_EQ(0, rig.Stream(0).back());   // ran out: high
    counter->WriteData(44100 & 0xFF);
    counter->WriteData(44100 >> 8);
    rig.RunPeriods(4);
    const std::vector<u8>& pcm = rig.Stream(0);
    const auto high = std::find(pcm.begin(), pcm.end(), 0);
    const auto firstLow = std::find(high, pcm.end(), 255);
    ASSERT_NE(firstLow, pcm.end());
    const auto after = std::find(firstLow, pcm.end(), 0);
    ASSERT_NE(after, pcm.end());
    EXPECT_NEAR(972, after - firstLow, 1);
    EXPECT_TRUE(std::all_of(after, pcm.end(), [](u8 v) { return v == 0; }));
}

TEST(PitChannelSound, RenderStateTravelsWithTheStateOfASoundingCounter)
{
    // Saved mid-wave and loaded into a counter that sounds as well, the state holds the
    // render lengths and saves again byte for byte; a silent counter refuses it.
    SoundRig rig;
    auto* pit = rig.Add(new Pit8253);
    ASSERT_TRUE(pit->GetChannel(0)->SetSoundGeneration(true));
    ASSERT_TRUE(rig.Start());
    pit->GetChannel(0)->SetOutputEnabled(true);
    pit->WriteMode(0x36);
    pit->GetChannel(0)->WriteData(4580 & 0xFF);
    pit->GetChannel(0)->WriteData(4580 >> 8);
    rig.RunSeconds(0.33);
    ArchiveBuffer saved;
    ASSERT_TRUE(rig.machine.SaveComponent(saved.archive));
    for (bool sounding : {true, false}) {
        SoundRig other;
        auto* copy = other.Add(new Pit8253);
        ASSERT_TRUE(copy->GetChannel(0)->SetSoundGeneration(sounding));
        ASSERT_TRUE(other.Start());
        other.RunSeconds(0.33);   // the same emulated time
        saved.Rewind();
        EXPECT_EQ(sounding, other.machine.LoadComponent(saved.archive, nullptr));
        if (!sounding)
            continue;
        ArchiveBuffer again;
        ASSERT_TRUE(other.machine.SaveComponent(again.archive));
        EXPECT_EQ(saved.Bytes(), again.Bytes());
        other.RunSeconds(0.5);   // renders from the loaded lengths
        // The load re-registers the sound timer, which opens a stream of its own.
        const std::vector<u8>& pcm = other.sink.streams.back();
        ASSERT_GE(pcm.size(), kRate / 4);
        const std::vector<i32> runs = RunLengths(pcm, pcm.size() - kRate / 4, pcm.size());
        ASSERT_GT(runs.size(), 100u);
        EXPECT_TRUE(std::all_of(runs.begin() + 1, runs.end() - 1, [](i32 r) { return r == 50 || r == 51; }));
    }
}

// What a sounding counter plays once its machine's state is taken back with the bus count
// set to count: a tone of count 4580 for 1,201 ticks, then of 4537 (100 samples a period,
// phases of 50) for 1,225 ticks more.
std::vector<u8> PlayFromCount(i32 count)
{
    SoundRig rig;
    auto* pit = rig.Add(new Pit8253);
    PitChannel* counter = pit->GetChannel(0);
    EXPECT_TRUE(counter->SetSoundGeneration(true));
    EXPECT_TRUE(rig.Start());
    counter->SetOutputEnabled(true);
    pit->WriteMode(0x36);
    counter->WriteData(4580 & 0xFF);
    counter->WriteData(4580 >> 8);
    rig.RunSeconds(0.1);
    ArchiveBuffer saved;
    EXPECT_TRUE(rig.machine.SaveComponent(saved.archive));
    std::vector<u8> bytes = saved.Bytes();
    const std::string key = "CNFRQ";
    const auto found = std::search(bytes.begin(), bytes.end(), key.begin(), key.end());
    if (found == bytes.end())
        return {};
    std::memcpy(&*(found + static_cast<long>(key.size()) + 1), &count, sizeof count);
    ArchiveBuffer in;
    in.stream.Write(bytes.data(), bytes.size());
    in.Rewind();
    if (!rig.machine.LoadComponent(in.archive, nullptr))
        return {};
    EXPECT_EQ(rig.machine.GetEventBus()->GetTickCount(), static_cast<u32>(count));
    rig.RunTicks(1201);
    counter->WriteData(4537 & 0xFF);
    counter->WriteData(4537 >> 8);
    rig.RunTicks(1225);
    // The load re-registers the sound timer, which opens a stream of its own.
    return rig.sink.streams.back();
}

TEST(PitChannelSound, ToneKeepsItsPitchAcrossTheWrapOfTheBusCount)
{
    // Saved 1,200 ticks below 2^32 (the i32 -1200, as a count past 2^31 is saved), the
    // count wraps a tick before the change of tone, inside a sound period: the sound is
    // sample for sample the one of a count far from the wrap.
    const std::vector<u8> wrapping = PlayFromCount(-1200);
    const std::vector<u8> steady = PlayFromCount(1000);
    ASSERT_GE(wrapping.size(), kRate * 9 / 10);
    EXPECT_TRUE(wrapping == steady);
    const std::vector<i32> after = RunLengths(wrapping, wrapping.size() - kRate * 4 / 10, wrapping.size());
    ASSERT_GT(after.size(), 300u);
    EXPECT_TRUE(std::all_of(after.begin() + 1, after.end() - 1, [](i32 r) { return r == 50; })) << "after the change";
}

} // namespace
