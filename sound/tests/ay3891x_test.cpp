// AY-3-891X: the generator measured on the samples it renders (8-bit range, 48000 Hz),
// the device's ports, register decoding and I/O ports, and its saved state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "emu/option_item.h"
#include "emu/port_space.h"
#include "emu/tests/archive_buffer.h"
#include "sound/ay3891x.h"
#include "sound/tests/sound_rig.h"

namespace {

constexpr i32 kRate = 48000;
constexpr double kPerTick = kRate / 223722.0;
constexpr i32 kSilence = 128;
// Full amplitude rises a third of the half range above silence.
constexpr i32 kTop = kSilence + 42;

// A generator on its own, fed records directly.
struct Generator {
    Ay3891xSound sound;
    Ay3891xRecord rec;

    Generator()
    {
        sound.SetToneClock(223722);
        sound.BuildTables(0, 255);
        sound.ApplyRegisterEvent(nullptr, nullptr, 0, 0, 3579545, kRate);
    }
    void Apply(const Ay3891xRecord& r)
    {
        u8 payload[Ay3891xRecord::kSize];
        r.Encode(payload);
        sound.ApplyRegisterEvent(payload, nullptr, 0, 0, 3579545, kRate);
    }
    std::vector<i32> Render(i32 count)
    {
        std::vector<i32> out(static_cast<size_t>(count));
        sound.RenderSamples(out.data(), count);
        return out;
    }
};

i32 Samples(double ticks)
{
    return std::max(1, static_cast<i32>(std::floor(kPerTick * ticks + 0.5)));
}

TEST(Ay3891xSound, LevelsRiseFromSilenceAlongTheChipsCurve)
{
    Generator g;
    const i32 expected[16] = {128, 129, 129, 129, 130, 130, 131, 134, 135, 139, 143, 147, 152, 158, 163, 170};
    for (i32 i = 0; i < 16; ++i)
        EXPECT_EQ(expected[i], g.sound.GetFixedLevel(i)) << i;
    struct Range {
        i32 min, max, silence, top;
    };
    for (const Range& r : {Range{-32768, 32767, 0, 10922}, Range{5, 5, 5, 5}}) {
        g.sound.BuildTables(r.min, r.max);
        EXPECT_EQ(r.silence, g.sound.GetFixedLevel(0));
        EXPECT_EQ(r.top, g.sound.GetFixedLevel(15));
        EXPECT_EQ(r.top, g.sound.GetEnvelopeLevel(15));
    }
}

TEST(Ay3891xSound, TonePlaysHalfPeriodsOfPeriodOverToneClock)
{
    // A tone with the noise off plays between silence and its amplitude's level.
    for (i32 period : {1, 254, 0x100, 4095}) {
        Generator g;
        g.rec.toneOff = 0;
        g.rec.amplitude = 15;
        g.rec.tonePeriod = period;
        g.Apply(g.rec);
        const i32 half = Samples(period);
        const std::vector<i32> pcm = g.Render(8 * half);
        for (i32 i = 0; i < 8 * half; ++i)
            ASSERT_EQ(((i / half) & 1) ? kSilence : kTop, pcm[static_cast<size_t>(i)]) << period << " at " << i;
    }
    EXPECT_EQ(54, Samples(254));   // 440 Hz
}

TEST(Ay3891xSound, NoiseStepsEveryTwoNoisePeriodsFromItsShiftRegister)
{
    Generator g;
    g.rec.noiseOff = 0;
    g.rec.amplitude = 15;
    g.rec.noisePeriod = 31;
    g.Apply(g.rec);
    const i32 step = Samples(62);
    ASSERT_EQ(step, g.sound.GetNoiseLength());
    // Register 1: the first step flips the output low and moves bit 0 ^ bit 2 into bit 16.
    EXPECT_EQ(kSilence, g.Render(1).front());
    EXPECT_EQ(0x10000, g.sound.GetNoiseRegister());
    const std::vector<i32> pcm = g.Render(20000 * step);
    std::vector<i32> runs;
    i32 run = 1;
    for (size_t i = 1; i < pcm.size(); ++i) {
        if (pcm[i] != pcm[i - 1]) {
            runs.push_back(run);
            run = 1;
        } else {
            ++run;
        }
    }
    const auto high = std::count(pcm.begin(), pcm.end(), kTop);
    EXPECT_EQ(static_cast<long>(pcm.size()), high + std::count(pcm.begin(), pcm.end(), kSilence));
    EXPECT_NEAR(0.5, static_cast<double>(high) / static_cast<double>(pcm.size()), 0.05);
    // Every run but the two cut by the window lasts whole noise steps.
    ASSERT_GT(runs.size(), 1000u);
    for (size_t i = 1; i + 1 < runs.size(); ++i)
        ASSERT_EQ(0, runs[i] % step) << runs[i];
}

TEST(Ay3891xSound, EnvelopeShapesRunTheirPrograms)
{
    // Per shape, the step heard at the first and last sample of its first three ramps:
    // 'F' falls 15 to 0, 'R' rises 0 to 15, 'L' holds 0, 'H' holds 15.
    const char* const kRamps[16] = {"FLL", "FLL", "FLL", "FLL", "RLL", "RLL", "RLL", "RLL",
                                    "FFF", "FLL", "FRF", "FHH", "RRR", "RHH", "RFR", "RLL"};
    const i32 period = 15;
    const i32 ramp = Samples(32.0 * period);   // the datasheet's 256 EP chip clocks
    for (i32 shape = 0; shape < 16; ++shape) {
        Generator g;
        g.rec.amplitude = 0x10;
        g.rec.envelopePeriod = period;
        g.rec.shape = ~shape;
        g.Apply(g.rec);
        ASSERT_EQ(ramp, g.sound.GetEnvelopeLength());
        const std::vector<i32> pcm = g.Render(3 * ramp);
        for (i32 seg = 0; seg < 3; ++seg) {
            const i32 first = pcm[static_cast<size_t>(seg * ramp)];
            const i32 last = pcm[static_cast<size_t>(seg * ramp + ramp - 1)];
            const char kind = kRamps[shape][seg];
            const i32 wantFirst = (kind == 'F' || kind == 'H') ? kTop : kSilence;
            const i32 wantLast = (kind == 'R' || kind == 'H') ? kTop : kSilence;
            EXPECT_EQ(wantFirst, first) << "shape " << shape << " ramp " << seg;
            EXPECT_EQ(wantLast, last) << "shape " << shape << " ramp " << seg;
        }
    }
}

TEST(Ay3891xSound, HalfWrittenPeriodIsNeverHeard)
{
    // Fine then coarse byte of one period: within two samples only the whole period is
    // applied; 1000 cycles apart (13 samples) both are.
    struct Case {
        u64 gap;
        bool firstApplied;
    };
    for (const Case& c : {Case{10, false}, Case{1000, true}}) {
        Generator g;
        Ay3891xRecord fine = g.rec;
        fine.tonePeriod = 0x0FE;
        fine.toneTrigger = -1;
        Ay3891xRecord coarse = fine;
        coarse.tonePeriod = 0x1FE;
        coarse.toneTrigger = 1;
        u8 a[Ay3891xRecord::kSize], b[Ay3891xRecord::kSize];
        fine.Encode(a);
        coarse.Encode(b);
        g.sound.ApplyRegisterEvent(a, b, 0, c.gap, 3579545, kRate);
        EXPECT_EQ(c.firstApplied, g.sound.GetToneLength() == Samples(0x0FE)) << c.gap;
        g.sound.ApplyRegisterEvent(b, nullptr, c.gap, c.gap, 3579545, kRate);
        EXPECT_EQ(Samples(0x1FE), g.sound.GetToneLength());
    }
}

TEST(Ay3891xSound, LongRenderMatchesSampleBySample)
{
    // Each setting plays, then tone and noise are let through at a fixed level or the
    // envelope's, which makes the phase the hidden counters reached audible; the saved
    // state holds what still is not.
    struct Setting {
        const char* name;
        i32 tonePeriod, amplitude, noisePeriod, envelopePeriod, shape, toneOff, noiseOff;
    };
    const Setting kSettings[] = {
        {"silent", 1, 0, 1, 1, 0, 1, 1},
        {"steady", 3, 15, 1, 1, 0, 1, 1},
        {"tone", 254, 15, 1, 1, 0, 0, 1},
        {"unheard tone", 37, 0, 2, 1, 0, 0, 1},
        {"noise", 1, 12, 1, 1, 0, 1, 0},
        {"slow noise", 5, 12, 31, 1, 0, 1, 0},
        {"tone and noise", 100, 15, 5, 1, 0, 0, 0},
        {"envelope ramps", 300, 0x10, 3, 2, ~8, 1, 1},
        {"envelope holds low", 301, 0x10, 1, 1, ~0, 0, 1},
        {"envelope holds high", 70, 0x10, 20, 1, ~13, 0, 0},
    };
    auto saved = [](Ay3891xSound& sound) {
        ArchiveBuffer buffer;
        EXPECT_TRUE(sound.SaveState(buffer.archive));
        return buffer.Bytes();
    };
    for (const Setting& c : kSettings) {
        Generator whole, single;
        Ay3891xRecord rec;
        rec.tonePeriod = c.tonePeriod;
        rec.amplitude = c.amplitude;
        rec.noisePeriod = c.noisePeriod;
        rec.envelopePeriod = c.envelopePeriod;
        rec.shape = c.shape;
        rec.toneOff = c.toneOff;
        rec.noiseOff = c.noiseOff;
        Ay3891xRecord heard = rec;
        heard.shape = c.shape < 0 ? ~c.shape : c.shape;   // no restart
        heard.amplitude = c.amplitude & 0x10 ? c.amplitude : 15;
        heard.toneOff = 0;
        heard.noiseOff = 0;
        for (const Ay3891xRecord& r : {rec, heard}) {
            whole.Apply(r);
            single.Apply(r);
            std::vector<i32> a;
            for (i32 n : {1, 2000, 7, 9000}) {
                const std::vector<i32> part = whole.Render(n);
                a.insert(a.end(), part.begin(), part.end());
            }
            std::vector<i32> b;
            while (b.size() < a.size())
                b.push_back(single.Render(1).front());
            ASSERT_EQ(b, a) << c.name;
            ASSERT_EQ(saved(single.sound), saved(whole.sound)) << c.name;
        }
    }
}

class Ay3891xTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        psg = rig.Add(new Ay3891xPsg);
        ASSERT_TRUE(psg->AttachPorts(0xA0));
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(3u, rig.sink.streams.size());
    }
    void Set(u8 r, u8 value)
    {
        Ports()->Write8(0xA0, r);
        Ports()->Write8(0xA1, value);
    }
    u8 Get(u8 r, u32 port = 0xA2)
    {
        Ports()->Write8(0xA0, r);
        return Ports()->Read8(port, false, nullptr);
    }
    PortSpace* Ports() { return rig.machine.GetPorts(); }
    // Records logged into generator c since Start.
    u64 Records(i32 c)
    {
        SoundChannel* ch = psg->GetChannel(c);
        return ch->GetLogFill(ch->GetCurrentLog()) / (SoundLogBlock::kHeaderSize + Ay3891xRecord::kSize);
    }

    SoundRig rig;
    Ay3891xPsg* psg = nullptr;
};

TEST_F(Ay3891xTest, RegistersAreReadAtTheMsxDataPortsAndTheIndexReadsZero)
{
    EXPECT_EQ(0xFF, Get(7));
    EXPECT_EQ(0xFF, Get(7, 0xA1));
    EXPECT_EQ(0, Ports()->Read8(0xA0, false, nullptr));
    Set(1, 0xFA);   // all eight bits are kept
    EXPECT_EQ(0xFA, Get(1));
    Ports()->Write8(0xA0, 2);
    Ports()->Write8(0xA2, 0x55);   // 0xA2 is read-only
    EXPECT_EQ(0, Get(2));
}

TEST_F(Ay3891xTest, ChannelStreamPlaysTheWrittenTone)
{
    Set(0, 0xFE);   // 440 Hz
    Set(8, 15);
    Set(7, 0xBE);   // tone A only
    rig.RunSeconds(1.2);
    const std::vector<u8>& pcm = rig.Stream(0);
    ASSERT_GE(pcm.size(), static_cast<size_t>(kRate));
    const std::vector<i32> runs = RunLengths(pcm, pcm.size() - kRate, pcm.size());
    ASSERT_GT(runs.size(), 800u);
    for (size_t i = 1; i + 1 < runs.size(); ++i)
        ASSERT_EQ(54, runs[i]) << i;
    const auto [lo, hi] = std::minmax_element(pcm.end() - kRate, pcm.end());
    EXPECT_EQ(kSilence, *lo);
    EXPECT_EQ(kTop, *hi);
    EXPECT_EQ(kSilence, rig.Stream(1).back());   // channel B rests
}

TEST_F(Ay3891xTest, UnconnectedInputPortReadsNoJoystickAndNoButton)
{
    struct Case {
        u8 mixer;   // R7: bit 6 port A, bit 7 port B, 1 output
        u8 r;
        u8 expected;
    };
    const Case cases[] = {{0xB8, 14, 0xFF}, {0x78, 15, 0xFF}, {0x78, 14, 0x00}, {0xB8, 15, 0x00}};
    for (const Case& c : cases) {
        Set(7, c.mixer);
        Set(c.r, 0x00);
        EXPECT_EQ(c.expected, Get(c.r)) << std::hex << int(c.mixer) << " R" << std::dec << int(c.r);
    }
    // Something connected pulls lines low; the output side receives the writes.
    struct Stick {
        u8 written = 0;
    } stick;
    psg->SetPortA(&stick, [](void*, u8* lines, bool) { *lines &= 0xEE; return true; },
                  [](void* s, u8 v) { static_cast<Stick*>(s)->written = v; });
    Set(7, 0xB8);
    EXPECT_EQ(0xEE, Get(14));
    Set(7, 0xF8);
    Set(14, 0x42);
    EXPECT_EQ(0x42, stick.written);
}

TEST_F(Ay3891xTest, WritesLogARecordOnlyWhenTheyChangeWhatIsPlayed)
{
    struct Case {
        std::vector<std::pair<u8, u8>> writes;
        u64 records;   // into channel A
    };
    const Case cases[] = {
        {{{0, 0}, {1, 0}}, 0},         // period 0 plays as 1, as after Start
        {{{0, 5}, {0, 5}}, 1},
        {{{8, 5}, {8, 5}}, 2},         // amplitudes always
        {{{13, 8}, {13, 8}}, 2},       // every shape write restarts the envelope
        {{{13, 0}, {13, 0}}, 2},       // shape 0 as well
        {{{2, 9}}, 0},                 // channel B's tone
        {{{6, 0x1F}, {7, 0xBE}}, 2},
    };
    for (const Case& c : cases) {
        const u64 before = Records(0);
        for (auto [r, v] : c.writes)
            Set(r, v);
        EXPECT_EQ(c.records, Records(0) - before) << int(c.writes.front().first);
    }
}

TEST_F(Ay3891xTest, TraceLinesAndBreaks)
{
    for (i32 r : {3, 7, 10, 11})
        psg->TraceWriteRegister(r) = 1;
    Set(3, 0x11);
    Set(10, 0x1F);
    Set(7, 0xB8);
    Set(11, 0x10);
    psg->YamahaMode() = 1;
    Set(11, 0x10);
    const std::vector<std::string> lines = rig.ConsoleLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ((std::vector<std::string>{
                  "[AY-3] =>DATA[3] = 11h (channel B, period 0100h, frequency=~873, bits 8..11)",
                  "[AY-3] =>DATA[10] = 1Fh (channel C, volume 15/15, with envelope)",
                  "[AY-3] =>DATA[7] = B8h (channels ABC, noise abc, ports >A,<B)",
                  "[AY-3] =>DATA[11] = 10h (envelope, period 0010h, frequency=~873, bits 0..7)",
                  "[AY-3] =>DATA[11] = 10h (envelope, period 0010h, frequency=~1747, bits 0..7)"}),
              std::vector<std::string>(lines.end() - 5, lines.end()));

    rig.machine.SetBreakHandler([](void*, bool*, bool*) { return true; }, nullptr);
    psg->BreakWriteRegister(0) = 1;
    const u64 before = Records(0);
    Set(0, 0x33);
    EXPECT_EQ(0, psg->GetRegister(0));
    EXPECT_EQ(before, Records(0));
}

TEST_F(Ay3891xTest, StateRoundTripsAndDamagedStatesAreRefused)
{
    Set(0, 0xFE);
    Set(8, 0x10);
    Set(13, 0x0E);
    Ports()->Write8(0xA0, 9);
    rig.RunPeriods(3);
    ArchiveBuffer saved;
    ASSERT_TRUE(rig.machine.SaveComponent(saved.archive));
    const std::vector<u8> bytes = saved.Bytes();

    // Loads bytes into a fresh machine; answers whether it took them and what it holds.
    struct Loaded {
        bool ok = false;
        u32 index = 0;
        std::vector<u8> again;   // the loaded machine saved again
    };
    auto load = [&](const std::vector<u8>& state) {
        Loaded result;
        SoundRig other;
        auto* copy = other.Add(new Ay3891xPsg);
        EXPECT_TRUE(other.Start());
        other.RunPeriods(3);   // the same emulated time
        ArchiveBuffer in;
        in.stream.Write(state.data(), state.size());
        in.Rewind();
        result.ok = other.machine.LoadComponent(in.archive, nullptr);
        result.index = copy->GetRegisterIndex();
        if (result.ok) {
            ArchiveBuffer again;
            other.machine.SaveComponent(again.archive);
            result.again = again.Bytes();
            other.RunPeriods(2);   // the envelope steps on what was loaded
        }
        return result;
    };
    Loaded good = load(bytes);
    ASSERT_TRUE(good.ok);
    EXPECT_EQ(9u, good.index);
    EXPECT_EQ(bytes, good.again);

    // Patches the i32 under key (its nth occurrence) and loads.
    auto patched = [&](const char* key, i32 value, i32 nth = 0) {
        std::vector<u8> b = bytes;
        std::vector<u8> pattern(key, key + std::strlen(key));
        pattern.push_back(Archive::kTypeInt32);
        auto at = b.begin();
        for (i32 i = 0; i <= nth; ++i) {
            at = std::search(i ? at + 1 : at, b.end(), pattern.begin(), pattern.end());
            EXPECT_NE(at, b.end()) << key;
            if (at == b.end())
                return Loaded{};
        }
        std::memcpy(&*(at + static_cast<long>(pattern.size())), &value, 4);
        return load(b);
    };
    struct Damage {
        const char* key;
        i32 value;
        bool accepted;
    };
    const Damage cases[] = {
        {"REGI", 15, true}, {"REGI", 16, false}, {"REGI", -1, false},
        {"ENSH", 16, true},   // no program: the next step takes the shape's
        {"ENSH", 17, false},  {"ENVS", 16, false}, {"ENSP", 4, false},
        {"ENTO", -5, false},  {"TDCN", -1, false}, {"NDML", 0x20000, false},
        {"ENFL", 32, false},
    };
    // Saved before its first envelope restart, a channel has no program; loaded, it keeps
    // none (its next step takes the shape's), so it saves the state it took.
    std::vector<u8> noProgram = bytes;
    const std::vector<u8> key = {'E', 'N', 'S', 'H', Archive::kTypeInt32};
    for (auto at = noProgram.begin(); (at = std::search(at, noProgram.end(), key.begin(), key.end())) != noProgram.end();) {
        at += static_cast<long>(key.size());
        std::fill(at, at + 4, u8{0});
        *at = 16;
    }
    const Loaded none = load(noProgram);
    EXPECT_TRUE(none.ok);
    EXPECT_TRUE(none.again == noProgram) << "the loaded channels saved a program";

    for (const Damage& d : cases) {
        const Loaded r = patched(d.key, d.value);
        EXPECT_EQ(d.accepted, r.ok) << d.key << " = " << d.value;
        if (!r.ok && std::strcmp(d.key, "REGI") == 0) {
            EXPECT_EQ(0u, r.index);   // the refused device kept its own index
        }
    }
}

TEST_F(Ay3891xTest, SoundMenuAddsNoiseAndYamahaSwitches)
{
    DeviceOption root;
    psg->BuildMenu(&root, SoundDevice::kMenuSound);
    OptionItem* menu = psg->GetSoundMenu();
    ASSERT_NE(nullptr, menu);
    const i32 n = menu->GetChildCount();
    ASSERT_GE(n, 3);
    OptionItem* noise = menu->GetChild(n - 3);
    OptionItem* yamaha = menu->GetChild(n - 1);
    EXPECT_TRUE(noise->IsChecked());
    noise->Execute();
    EXPECT_EQ(1, psg->DisableNoise());
    EXPECT_FALSE(yamaha->IsEnabled());   // only while stopped
}

} // namespace
