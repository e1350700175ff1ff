// SN76489: the port decoder and trace lines, and what the chip sounds like, measured on
// the PCM its channels' outputs recorded (8-bit, 48000 Hz, one stream per channel).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "emu/option_item.h"
#include "emu/tests/archive_buffer.h"
#include "sound/sn76489.h"
#include "sound/tests/sound_rig.h"

namespace {

constexpr i32 kRate = 48000;
// The ColecoVision's chip clock; a tone of divider N plays kChipClock / (32 N).
constexpr double kChipClock = 3579545.0;
// An 8-bit stream rests at the middle; full volume swings just under a quarter of the
// half range either side.
constexpr i32 kSilence = 128;
constexpr i32 kFullSwing = 31;

class Sn76489Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        psg = rig.Add(new Sn76489Psg);
        psg->SetToneClock(3579545);
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(4u, rig.sink.streams.size());
    }

    void Write(std::initializer_list<u8> bytes)
    {
        for (u8 b : bytes)
            psg->Write(b);
    }
    // The runs of channel c's stream over its last second (the first periods hold the
    // start-up silence).
    std::vector<i32> SteadyRuns(i32 c, size_t* high = nullptr, size_t* low = nullptr)
    {
        const std::vector<u8>& pcm = rig.Stream(c);
        const size_t from = pcm.size() - kRate;
        auto [lo, hi] = std::minmax_element(pcm.begin() + static_cast<long>(from), pcm.end());
        if (high)
            *high = *hi;
        if (low)
            *low = *lo;
        std::vector<i32> runs = RunLengths(pcm, from, pcm.size());
        // The first and last runs are cut by the window.
        if (runs.size() > 2)
            runs = std::vector<i32>(runs.begin() + 1, runs.end() - 1);
        return runs;
    }

    SoundRig rig;
    Sn76489Psg* psg = nullptr;
};

// Rising crossings of the middle level in pcm[from, end), counted from the first to the
// last: the frequency of a wave that crosses once per period. 0 for fewer than two.
double RisingFrequency(const std::vector<u8>& pcm, size_t from, i32 rate)
{
    if (from >= pcm.size())
        return 0.0;
    const auto [lo, hi] = std::minmax_element(pcm.begin() + static_cast<long>(from), pcm.end());
    const i32 middle = (*lo + *hi) / 2;
    size_t first = 0;
    size_t last = 0;
    size_t rises = 0;
    for (size_t i = from + 1; i < pcm.size(); ++i) {
        if (pcm[i - 1] <= middle && pcm[i] > middle) {
            first = rises++ ? first : i;
            last = i;
        }
    }
    return rises < 2 ? 0.0 : static_cast<double>(rises - 1) * rate / static_cast<double>(last - first);
}

double Cents(double measured, double expected)
{
    return 1200.0 * std::log2(measured / expected);
}

// A chip on its own rig at one of the sample-rate choices, given bytes and then 1.5 s.
struct RatedChip {
    SoundRig rig;
    Sn76489Psg* psg = nullptr;
    i32 rate = 0;

    RatedChip(i32 rateIndex, std::initializer_list<u8> bytes)
    {
        psg = rig.Add(new Sn76489Psg);
        psg->SetToneClock(static_cast<i32>(kChipClock));
        psg->RateIndex() = rateIndex;
        rate = psg->GetChannel(0)->GetSampleRate();
        EXPECT_TRUE(rig.Start());
        for (u8 b : bytes)
            psg->Write(b);
        rig.RunSeconds(1.5);
    }
    // The last second of channel c.
    size_t LastSecond(i32 c) const { return rig.Stream(c).size() - static_cast<size_t>(rate); }
};

TEST_F(Sn76489Test, LatchAndDataBytesReachToneVolumeAndNoise)
{
    Write({0x12});   // a data byte right after Start: channel 0's high bits
    EXPECT_EQ(0x120, psg->GetPsgChannel(0)->GetTone());
    Write({0x8E, 0x0F});
    EXPECT_EQ(0x0FE, psg->GetPsgChannel(0)->GetTone());
    Write({0x3F});   // the latched tone's high bits again
    EXPECT_EQ(0x3FE, psg->GetPsgChannel(0)->GetTone());
    Write({0x9F, 0xB0});
    EXPECT_EQ(0, psg->GetPsgChannel(0)->GetVolume());
    EXPECT_EQ(15, psg->GetPsgChannel(1)->GetVolume());
    Write({0x04});   // data byte with a volume latched
    EXPECT_EQ(11, psg->GetPsgChannel(1)->GetVolume());
    // The noise control carries mode and shift period in the noise channel's tone;
    // rate 3 shifts once per period of channel 2's tone, following it.
    Write({0xE4});
    EXPECT_EQ(-32, psg->GetPsgChannel(3)->GetTone());
    Write({0xC0, 0x10, 0xE3});
    EXPECT_EQ(Sn76489Channel::kFollowsTone2 | 512, psg->GetPsgChannel(3)->GetTone());
    Write({0xC0, 0x20});
    EXPECT_EQ(Sn76489Channel::kFollowsTone2 | 1024, psg->GetPsgChannel(3)->GetTone());
    EXPECT_EQ(0xC0u, psg->GetLatch());
    Write({0xC0, 0x00, 0xE7});   // divider 0 counts 1024; white
    EXPECT_EQ(-(Sn76489Channel::kFollowsTone2 | 2048), psg->GetPsgChannel(3)->GetTone());
    Write({0xE2, 0xC0, 0x10});   // rate 2 no longer follows
    EXPECT_EQ(128, psg->GetPsgChannel(3)->GetTone());
}

TEST_F(Sn76489Test, TraceLinesShowTheDecodedWrite)
{
    psg->TraceWriteRegister(6) = 1;
    psg->TraceWriteRegister(0) = 1;
    psg->TraceWriteRegister(1) = 1;
    Write({0xE4, 0x80, 0x90, 0xC0, 0x10, 0xE3});
    const std::vector<std::string> lines = rig.ConsoleLines();
    ASSERT_GE(lines.size(), 4u);
    const std::vector<std::string> tail(lines.end() - 4, lines.end());
    EXPECT_EQ((std::vector<std::string>{"[PSG] =>CH[3] = E4h (white noise with shift frequency=~6991Hz)",
                                        "[PSG] =>CH[0] = 80h (tone 0/1023, frequency=~109Hz)",
                                        "[PSG] =>CH[0] = 90h (volume 15/15)",
                                        "[PSG] =>CH[3] = E3h (periodic noise with shift frequency=~436Hz)"}),
              tail);
}

TEST_F(Sn76489Test, BreakDropsTheWriteAndKeepsTheLatch)
{
    rig.machine.SetBreakHandler([](void*, bool*, bool*) { return true; }, nullptr);
    psg->BreakWriteRegister(1) = 1;
    Write({0xA0});   // channel 1 tone latch, not broken
    Write({0x90});   // channel 0 volume: breaks
    EXPECT_EQ(0, psg->GetPsgChannel(0)->GetVolume());
    EXPECT_EQ(0xA0u, psg->GetLatch());
}

TEST_F(Sn76489Test, ToneSwingsAtFullLevelAboutSilence)
{
    Write({0x8E, 0x0F, 0x90});   // divider 254, volume 15: about 440 Hz
    rig.RunSeconds(1.5);
    size_t high = 0;
    size_t low = 0;
    const std::vector<i32> runs = SteadyRuns(0, &high, &low);
    ASSERT_GT(runs.size(), 100u);
    EXPECT_EQ(static_cast<size_t>(kSilence + kFullSwing), high);
    EXPECT_EQ(static_cast<size_t>(kSilence - kFullSwing), low);
    // The other tone channels were never given a volume: silence from the first sample.
    EXPECT_TRUE(std::all_of(rig.Stream(1).begin(), rig.Stream(1).end(), [](u8 v) { return v == kSilence; }));
}

// Every audible divider plays clock / (32 N) to within a cent at every sample rate, from
// the lowest note (divider 0 counts 1024) to just under half the sample rate.
TEST(Sn76489Pitch, EveryDividerPlaysItsNoteAtEveryRate)
{
    const i32 dividers[] = {0, 1000, 254, 64, 20, 15};
    for (i32 rateIndex = 0; rateIndex < 4; ++rateIndex) {
        for (i32 n : dividers) {
            RatedChip chip(rateIndex, {static_cast<u8>(0x80 | (n & 15)), static_cast<u8>(n >> 4), 0x90});
            const double expected = kChipClock / (32.0 * (n ? n : 1024));
            const double measured = RisingFrequency(chip.rig.Stream(0), chip.LastSecond(0), chip.rate);
            ASSERT_GT(measured, 0.0) << "divider " << n << " at " << chip.rate << " Hz";
            EXPECT_NEAR(0.0, Cents(measured, expected), 1.0) << "divider " << n << " at " << chip.rate << " Hz";
        }
    }
}

// A tone above half the sample rate holds the volume's level, so that volume writes over
// it are heard as the samples they are.
TEST(Sn76489Pitch, ToneAboveHalfTheSampleRateIsASteadyLevel)
{
    const struct {
        i32 rateIndex;
        i32 divider;
    } cases[] = {{0, 1}, {0, 6}, {3, 13}};
    for (const auto& c : cases) {
        RatedChip chip(c.rateIndex, {static_cast<u8>(0x80 | c.divider), 0x00, 0x90});
        const std::vector<u8>& pcm = chip.rig.Stream(0);
        const size_t from = chip.LastSecond(0);
        EXPECT_TRUE(std::all_of(pcm.begin() + static_cast<long>(from), pcm.end(),
                                [](u8 v) { return v == kSilence + kFullSwing; }))
            << "divider " << c.divider << " at " << chip.rate << " Hz";
        chip.psg->Write(0x9F);   // volume off: back to silence
        chip.rig.RunPeriods(2);
        EXPECT_EQ(kSilence, pcm.back());
    }
}

TEST_F(Sn76489Test, NoiseRateThreeShiftsOncePerPeriodOfChannelTwo)
{
    // Channel 2 at divider 0x100 (its own volume off); periodic noise at rate 3: one
    // short pulse every 15 shifts, a shift per period of channel 2's tone.
    Write({0xC0, 0x10, 0xE3, 0xF0});
    rig.RunSeconds(1.5);
    const std::vector<u8>& pcm = rig.Stream(3);
    EXPECT_NEAR(0.0, Cents(RisingFrequency(pcm, pcm.size() - kRate, kRate), kChipClock / (32.0 * 0x100) / 15.0),
                1.0);
    // Channel 2 an octave up: the noise follows without another noise-control write.
    Write({0xC0, 0x08});
    rig.RunSeconds(1.5);
    EXPECT_NEAR(0.0, Cents(RisingFrequency(pcm, pcm.size() - kRate, kRate), kChipClock / (32.0 * 0x80) / 15.0),
                1.0);
}

TEST_F(Sn76489Test, FourChannelsAtFullVolumeSumInsideTheRange)
{
    // The host mixes the four streams by adding them about their silence.
    Write({0x8E, 0x0F, 0x90, 0xA5, 0x0A, 0xB0, 0xC3, 0x05, 0xD0, 0xE5, 0xF0});
    rig.RunSeconds(1);
    const size_t samples = rig.Stream(0).size();
    i32 lowest = 0;
    i32 highest = 0;
    for (size_t i = 0; i < samples; ++i) {
        i32 sum = 0;
        for (i32 c = 0; c < 4; ++c)
            sum += rig.Stream(c).at(i) - kSilence;
        lowest = std::min(lowest, sum);
        highest = std::max(highest, sum);
    }
    EXPECT_EQ(4 * kFullSwing, highest);
    EXPECT_EQ(-4 * kFullSwing, lowest);
    EXPECT_LE(highest, 127);
    EXPECT_GE(lowest, -128);
}

TEST_F(Sn76489Test, DisabledChannelRestsAtSilence)
{
    Write({0x8E, 0x0F, 0x90});
    rig.RunPeriods(5);
    *psg->GetChannel(0)->GetEnableChannel() = 0;
    rig.RunPeriods(5);
    const std::vector<u8>& pcm = rig.Stream(0);
    EXPECT_TRUE(std::all_of(pcm.end() - 3 * 960, pcm.end(), [](u8 v) { return v == kSilence; }));
    *psg->GetChannel(0)->GetEnableChannel() = 1;
    rig.RunPeriods(3);
    const auto [lo, hi] = std::minmax_element(pcm.end() - 960, pcm.end());
    EXPECT_EQ(kSilence - kFullSwing, *lo);
    EXPECT_EQ(kSilence + kFullSwing, *hi);
}

TEST_F(Sn76489Test, EachAttenuationStepIsTwoDecibels)
{
    std::vector<double> levels;
    for (u8 attenuation = 0; attenuation <= 15; ++attenuation) {
        Write({0x84, 0x04, static_cast<u8>(0x90 | attenuation)});
        rig.RunPeriods(3);
        const std::vector<u8>& pcm = rig.Stream(0);
        const i32 top = *std::max_element(pcm.end() - 960, pcm.end());
        const i32 bottom = *std::min_element(pcm.end() - 960, pcm.end());
        // The wave swings equally about silence at every volume.
        EXPECT_EQ(2 * kSilence, top + bottom) << "attenuation " << static_cast<i32>(attenuation);
        levels.push_back((top - bottom) / 2);
    }
    EXPECT_EQ(kFullSwing, levels[0]);
    EXPECT_EQ(0.0, levels[15]);   // off
    for (size_t i = 1; i < 15; ++i) {
        const double db = 20.0 * std::log10(levels[i] / levels[0]);
        // Within what rounding to a whole level can cost: the exact level lies within half
        // a step of the rounded one.
        ASSERT_GE(levels[i], 1.0) << "attenuation " << i;
        const double rounding = 20.0 * std::log10(levels[i] / (levels[i] - 0.5)) + 0.01;
        EXPECT_NEAR(-2.0 * static_cast<double>(i), db, rounding) << "attenuation " << i;
    }
}

TEST_F(Sn76489Test, PeriodicNoiseIsOneShortPulseEveryFifteenShifts)
{
    Write({0xE0, 0xF0});   // periodic, shift every 32 tone-clock ticks (clock / 512), volume 15
    rig.RunSeconds(1.5);
    const std::vector<u8>& pcm = rig.Stream(3);
    const size_t from = pcm.size() - kRate;
    EXPECT_NEAR(0.0, Cents(RisingFrequency(pcm, from, kRate), kChipClock / 512.0 / 15.0), 1.0);
    // Low for one shift, high for fourteen.
    const auto lows = std::count(pcm.begin() + static_cast<long>(from), pcm.end(), kSilence - kFullSwing);
    EXPECT_NEAR(1.0 / 15.0, static_cast<double>(lows) / kRate, 0.002);
}

TEST_F(Sn76489Test, WhiteNoiseIsBalancedAndNotPeriodic)
{
    Write({0xE5, 0xF0});   // white, shift every 64 ticks
    rig.RunSeconds(2);
    const double shift = kRate * 1024.0 / kChipClock;   // samples per shift
    const std::vector<u8>& pcm = rig.Stream(3);
    const std::vector<i32> runs = SteadyRuns(3);
    std::set<i32> lengths;
    for (i32 run : runs) {
        // A whole number of shifts, each a whole number of samples.
        const double shifts = std::round(run / shift);
        ASSERT_NEAR(shifts * shift, run, 1.0) << run;
        lengths.insert(static_cast<i32>(shifts));
    }
    // A maximal-length register gives runs of many lengths, not a fixed pattern.
    EXPECT_GE(lengths.size(), 6u);
    const size_t from = pcm.size() - kRate;
    const auto highs = std::count(pcm.begin() + static_cast<long>(from), pcm.end(), kSilence + kFullSwing);
    const auto lows = std::count(pcm.begin() + static_cast<long>(from), pcm.end(), kSilence - kFullSwing);
    EXPECT_EQ(kRate, highs + lows);
    EXPECT_NEAR(0.5, static_cast<double>(highs) / kRate, 0.05);
}

TEST(Sn76489Channel, LatchThenDataWithinOneSampleIsAppliedAsOne)
{
    Sn76489Channel channel;
    channel.SetToneClock(223722);
    channel.BuildTables(0, 255);
    channel.ApplyRegisterEvent(nullptr, nullptr, 0, 0, 3579545, kRate);
    u8 first[16];
    u8 second[16];
    SquareRecord{14, 0, -1, 0}.Encode(first);
    SquareRecord{254, 0, 1, 0}.Encode(second);
    // 20 cycles apart: well inside one sample at 48000 Hz.
    channel.ApplyRegisterEvent(first, second, 1000, 1020, 3579545, kRate);
    EXPECT_EQ(219, channel.GetHalfPeriod());   // tone 14 was never applied: still divider 0
    channel.ApplyRegisterEvent(second, nullptr, 1020, 5000, 3579545, kRate);
    EXPECT_EQ(54, channel.GetHalfPeriod());
    // Far apart, the latch's tone is heard on its own.
    SquareRecord{14, 0, -1, 0}.Encode(first);
    SquareRecord{270, 0, 1, 0}.Encode(second);
    channel.ApplyRegisterEvent(first, second, 6000, 9000, 3579545, kRate);
    EXPECT_EQ(3, channel.GetHalfPeriod());
}

// A channel at volume 0 keeps its wave (or noise register) running as it would be heard:
// turned up, it plays in step with one that was loud all along.
TEST(Sn76489Channel, SilentChannelComesBackInStep)
{
    struct Case {
        bool noise;
        i32 tone;   // divider, or the noise's shift period (negative: white noise)
    } cases[] = {{false, 254}, {false, 7}, {true, -16}, {true, 64},
                 // a shift every sample, and one every sample and a half
                 {true, 2}, {true, -3}, {true, 7}, {true, -7}};
    for (const Case& c : cases) {
        Sn76489Channel silent(c.noise), loud(c.noise);
        u8 payload[16];
        for (Sn76489Channel* channel : {&silent, &loud}) {
            channel->SetToneClock(223722);
            channel->BuildTables(0, 255);
            channel->ApplyRegisterEvent(nullptr, nullptr, 0, 0, 3579545, kRate);
            SquareRecord{c.tone, channel == &loud ? 15 : 0, 1, 0}.Encode(payload);
            channel->ApplyRegisterEvent(payload, nullptr, 0, 0, 3579545, kRate);
        }
        std::vector<i32> a(20000), b(20000);
        for (i32 at = 0, n = 1; at < 10000; at += n, n = n * 3 % 997 + 1) {
            const i32 take = std::min(n, 10000 - at);
            silent.RenderSamples(a.data() + at, take);
            loud.RenderSamples(b.data() + at, take);
        }
        EXPECT_TRUE(std::all_of(a.begin(), a.begin() + 10000, [](i32 v) { return v == kSilence; }));
        EXPECT_EQ(loud.GetNoiseRegister(), silent.GetNoiseRegister()) << c.noise << " " << c.tone;
        EXPECT_EQ(loud.GetPhase(), silent.GetPhase()) << c.noise << " " << c.tone;
        SquareRecord{c.tone, 15, 0, 1}.Encode(payload);
        silent.ApplyRegisterEvent(payload, nullptr, 0, 0, 3579545, kRate);
        silent.RenderSamples(a.data() + 10000, 10000);
        loud.RenderSamples(b.data() + 10000, 10000);
        EXPECT_TRUE(std::equal(a.begin() + 10000, a.end(), b.begin() + 10000)) << c.noise << " " << c.tone;
    }
}

TEST_F(Sn76489Test, StateRoundTripContinuesTheSameSound)
{
    Write({0x8E, 0x0F, 0x90, 0xE5, 0xF3});
    rig.RunPeriods(5);
    Write({0xA5, 0x02});   // a write still waiting in the log
    ArchiveBuffer saved;
    ASSERT_TRUE(rig.machine.SaveComponent(saved.archive));

    SoundRig other;
    auto* copy = other.Add(new Sn76489Psg);
    copy->SetToneClock(3579545);
    ASSERT_TRUE(other.Start());
    other.cpu->AddCycles(static_cast<i32>(rig.cpu->GetCycleCount()));
    saved.Rewind();
    ASSERT_TRUE(other.machine.LoadComponent(saved.archive, nullptr));
    ArchiveBuffer again;
    ASSERT_TRUE(other.machine.SaveComponent(again.archive));
    EXPECT_EQ(saved.Bytes(), again.Bytes());
    EXPECT_EQ(0x025, copy->GetPsgChannel(1)->GetTone());
    EXPECT_EQ(psg->GetPsgChannel(3)->GetNoiseRegister(), copy->GetPsgChannel(3)->GetNoiseRegister());
}

// A save between a latch byte and its data byte: after the load the data byte goes to
// the latched register. A state saved before the latch was kept loads with none, and a
// latch without bit 7 is no latch byte.
TEST_F(Sn76489Test, LatchGoesOnInALoadedState)
{
    Write({0xA5});   // channel 1's tone, low bits 5
    ArchiveBuffer saved;
    ASSERT_TRUE(rig.machine.SaveComponent(saved.archive));
    const std::vector<u8> bytes = saved.Bytes();
    const u8 key[] = {'L', 'T', 'C', 'H'};
    const auto at = std::search(bytes.begin(), bytes.end(), std::begin(key), std::end(key));
    ASSERT_NE(at, bytes.end());
    // The record: F8, the key's string record (4 bytes of head), the type byte, the value.
    const size_t record = static_cast<size_t>(at - bytes.begin()) - 5;
    ASSERT_EQ(bytes[record], 0xF8);
    const size_t value = record + 5 + sizeof key + 1;
    ASSERT_EQ(bytes[value], 0xA5);
    std::vector<u8> older = bytes;
    older.erase(older.begin() + static_cast<long>(record), older.begin() + static_cast<long>(value + 1));
    std::vector<u8> noLatchByte = bytes;
    noLatchByte[value] = 0x25;

    struct Case {
        const char* what;
        const std::vector<u8>& state;
        bool loads;
        i32 tone0;   // after the data byte 0x02
        i32 tone1;
    };
    const Case cases[] = {
        {"the latch saved", bytes, true, 0x000, 0x025},
        {"an older state", older, true, 0x020, 0x005},
        {"a latch without bit 7", noLatchByte, false, 0, 0},
    };
    for (const Case& c : cases) {
        SoundRig other;
        auto* copy = other.Add(new Sn76489Psg);
        copy->SetToneClock(3579545);
        ASSERT_TRUE(other.Start());
        ArchiveBuffer state;
        state.stream.Write(c.state.data(), c.state.size());
        state.Rewind();
        ASSERT_EQ(c.loads, other.machine.LoadComponent(state.archive, nullptr)) << c.what;
        if (!c.loads)
            continue;
        copy->Write(0x02);
        EXPECT_EQ(c.tone0, copy->GetPsgChannel(0)->GetTone()) << c.what;
        EXPECT_EQ(c.tone1, copy->GetPsgChannel(1)->GetTone()) << c.what;
    }
}

// Saved at 48000 Hz and loaded while 22050 Hz is chosen: the stream goes on at the saved
// rate, and so does the tone's pitch (divider 254, 440.4 Hz).
TEST(Sn76489Pitch, ToneKeepsItsPitchInAStateLoadedWhileAnotherRateIsChosen)
{
    RatedChip chip(0, {0x8E, 0x0F, 0x90});
    ASSERT_EQ(48000, chip.rate);
    ArchiveBuffer saved;
    ASSERT_TRUE(chip.rig.machine.SaveComponent(saved.archive));

    SoundRig other;
    auto* copy = other.Add(new Sn76489Psg);
    copy->SetToneClock(static_cast<i32>(kChipClock));
    copy->RateIndex() = 2;
    ASSERT_TRUE(other.Start());
    other.cpu->AddCycles(static_cast<i32>(chip.rig.cpu->GetCycleCount()));
    saved.Rewind();
    ASSERT_TRUE(other.machine.LoadComponent(saved.archive, nullptr));
    other.RunSeconds(1.5);
    // The streams opened by the load follow the four of the start.
    ASSERT_EQ(8u, other.sink.streams.size());
    const std::vector<u8>& pcm = other.Stream(4);
    ASSERT_GT(pcm.size(), static_cast<size_t>(kRate));
    EXPECT_NEAR(0.0, Cents(RisingFrequency(pcm, pcm.size() - kRate, kRate), kChipClock / (32.0 * 254)), 5.0);
}

TEST_F(Sn76489Test, StateOfAnotherChannelKindIsRefused)
{
    ArchiveBuffer saved;
    ASSERT_TRUE(rig.machine.SaveComponent(saved.archive));
    const auto loads = [](std::vector<u8> bytes) {
        SoundRig other;
        other.Add(new Sn76489Psg)->SetToneClock(3579545);
        EXPECT_TRUE(other.Start());
        ArchiveBuffer state;
        state.stream.Write(bytes.data(), bytes.size());
        state.Rewind();
        return other.machine.LoadComponent(state.archive, nullptr);
    };
    std::vector<u8> bytes = saved.Bytes();
    EXPECT_TRUE(loads(bytes));
    // The first "NOIS" is tone channel 0's; a state calling it a noise channel is not its own.
    const u8 key[] = {'N', 'O', 'I', 'S', Archive::kTypeBool};
    const auto at = std::search(bytes.begin(), bytes.end(), std::begin(key), std::end(key));
    ASSERT_NE(at, bytes.end());
    const size_t value = static_cast<size_t>(at - bytes.begin()) + sizeof key;
    ASSERT_EQ(bytes[value], 0);
    bytes[value] = 1;
    EXPECT_FALSE(loads(bytes));
}

TEST(SoundDevice, SoundMenuOffersRatesWhileStoppedAndOneSwitchPerChannel)
{
    Sn76489Psg psg;
    DeviceOption root;
    psg.BuildMenu(&root, SoundDevice::kMenuSound);
    OptionItem* menu = psg.GetSoundMenu();
    ASSERT_NE(nullptr, menu);
    // Enable Sound, -, four rates, -, four channel switches.
    ASSERT_EQ(11, menu->GetChildCount());
    EXPECT_TRUE(menu->GetChild(0)->IsChecked());
    EXPECT_TRUE(menu->GetChild(2)->IsChecked());   // 48000 Hz, index 0
    EXPECT_FALSE(menu->GetChild(3)->IsChecked());
    EXPECT_TRUE(menu->GetChild(3)->IsEnabled());
    EXPECT_TRUE(menu->GetChild(6)->IsSeparator());
    EXPECT_TRUE(menu->GetChild(10)->IsEnabled());
    psg.EnableSound() = 0;
    EXPECT_FALSE(menu->GetChild(10)->IsEnabled());   // channels only while sound is on
    menu->GetChild(4)->Execute();
    EXPECT_EQ(2, psg.RateIndex());
    EXPECT_STREQ("PSG SN76489 CH3", psg.GetChannel(3)->GetName());
    EXPECT_STREQ("PSG_CH3", psg.GetChannel(3)->GetDescription().GetNarrow());

    SoundDevice single;
    single.AddChannel(new Sn76489Channel, nullptr, nullptr);
    DeviceOption other;
    single.BuildMenu(&other, SoundDevice::kMenuSound);
    ASSERT_NE(nullptr, single.GetSoundMenu());
    EXPECT_EQ(6, single.GetSoundMenu()->GetChildCount());
    EXPECT_STREQ("Sound Device CH0", single.GetChannel(0)->GetName());
    EXPECT_STREQ("SND_CH0", single.GetChannel(0)->GetDescription().GetNarrow());
}

TEST(SoundDevice, RateIndexOutsideTheChoiceBecomes48000)
{
    Sn76489Psg psg;
    psg.RateIndex() = 7;
    psg.ValidateSettings(false);
    EXPECT_EQ(0, psg.RateIndex());
    EXPECT_EQ(48000, psg.GetChannel(0)->GetSampleRate());
    psg.RateIndex() = 3;
    EXPECT_EQ(16000, psg.GetChannel(2)->GetSampleRate());
    EXPECT_FALSE(psg.SetToneClock(7));   // rounds to a tone clock of 0
    EXPECT_EQ(223722, psg.GetToneClock());
}

TEST(SoundDevice, ChannelWithoutAnOutputStaysSilentAndTheMachineRuns)
{
    SoundRig rig;
    auto* psg = rig.Add(new Sn76489Psg);
    ASSERT_TRUE(rig.Start(false));
    EXPECT_TRUE(psg->IsRunning());
    EXPECT_TRUE(psg->GetChannel(0)->IsStopped());
    psg->Write(0x90);   // logged nowhere, harmless
    rig.RunPeriods(2);
}

} // namespace
