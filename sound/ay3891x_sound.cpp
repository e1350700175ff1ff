// AY-3-891X tone generator: level tables, the logged records and the render.
#include "sound/ay3891x_sound.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "emu/little_endian.h"

namespace {

// Output of the AY-3-891X's 16 amplitude steps, as a fraction of full scale in 1/65535:
// the chip's roughly 3 dB-per-step curve, bottom step silent.
constexpr i32 kAyCurve[16] = {0,     836,   1212,  1773,  2619,  3875,  5397,  8823,
                              10392, 16706, 23339, 29292, 36969, 46421, 55195, 65535};

// The YM-2149F's 32 envelope steps on the same scale (its first two steps are both
// silent).
constexpr i32 kYmCurve[32] = {0,     0,     248,   450,   670,   826,   1010,  1239,  1552,  1919,  2314,
                              2626,  3131,  3778,  4407,  5031,  5968,  7161,  8415,  9622,  11421, 13689,
                              15957, 18280, 21759, 26148, 30523, 34879, 41434, 49404, 57492, 65535};

// Envelope programs by shape: shapes 0-3 and 9 decay once and hold the bottom, 4-7 and
// 15 rise once and drop to the bottom; 11 and 13 ramp once and hold the top.
constexpr const char* kPrograms[16] = {"\\___", "\\___", "\\___", "\\___", "/___", "/___",
                                       "/___",  "/___",  "\\\\\\\\", "\\___", "\\/\\/", "\\'''",
                                       "////",  "/'''",  "/\\/\\", "/___"};

// Half away from zero.
double Round(double x)
{
    return x >= 0 ? std::floor(x + 0.5) : std::ceil(x - 0.5);
}

// round(samplesPerTick * ticks) samples, at least one.
i32 SampleCount(double samplesPerTick, double ticks)
{
    const double v = Round(samplesPerTick * ticks);
    if (!(v >= 1))
        return 1;
    return v > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<i32>(v);
}

// The first byte of a two-byte period, when the second follows within two samples and
// one 4096th of a second: it is never heard, the next record carries the whole period.
bool IsHalfWritten(i32 trigger, i32 nextTrigger, u64 time, u64 nextTime, i64 cpuFrequency, i32 sampleRate)
{
    if (trigger == nextTrigger || cpuFrequency <= 0)
        return false;
    const u64 span = nextTime - time;
    return span < static_cast<u64>(cpuFrequency >> 12) &&
           static_cast<double>(span) / static_cast<double>(cpuFrequency) * sampleRate < 2.0;
}

} // namespace

void Ay3891xRecord::Encode(u8* out) const
{
    const i32 fields[9] = {tonePeriod, amplitude, noisePeriod, envelopePeriod, shape,
                           toneOff,    noiseOff,  toneTrigger, envelopeTrigger};
    for (i32 i = 0; i < 9; ++i)
        StoreLe32(out + 4 * i, static_cast<u32>(fields[i]));
}

Ay3891xRecord Ay3891xRecord::Decode(const u8* in)
{
    auto at = [in](i32 i) { return static_cast<i32>(LoadLe32(in + 4 * i)); };
    Ay3891xRecord r;
    r.tonePeriod = at(0);
    r.amplitude = at(1);
    r.noisePeriod = at(2);
    r.envelopePeriod = at(3);
    r.shape = at(4);
    r.toneOff = at(5);
    r.noiseOff = at(6);
    r.toneTrigger = at(7);
    r.envelopeTrigger = at(8);
    return r;
}

const char* Ay3891xSound::ShapeName(i32 shape)
{
    return kPrograms[shape & 15];
}

Ay3891xSound::Ay3891xSound()
{
    SetSampleBits(5);
    SetMinimumPayload(Ay3891xRecord::kSize);
}

Ay3891xSound::~Ay3891xSound() = default;

bool Ay3891xSound::Start(i32* rate)
{
    if (!SoundChannel::Start(rate))
        return false;
    st_ = State();
    topStep_ = *yamahaMode_ ? 31 : 15;
    return true;
}

void Ay3891xSound::LogRecord()
{
    if (!IsStopped()) {
        u8 payload[Ay3891xRecord::kSize];
        st_.record.Encode(payload);
        AppendLocked(payload, Ay3891xRecord::kSize, 0);
    }
    st_.record.toneTrigger = 0;
    st_.record.envelopeTrigger = 0;
    if (st_.record.shape < 0)
        st_.record.shape = ~st_.record.shape;
}

void Ay3891xSound::Prime(const Ay3891xRecord& values)
{
    st_.record = values;
    st_.tonePeriod = values.tonePeriod;
    st_.amplitude = values.amplitude;
    st_.envMode = (values.amplitude >> 4) & 1;
    st_.noisePeriod = values.noisePeriod;
    st_.toneOff = values.toneOff;
    st_.noiseOff = values.noiseOff;
    st_.envPeriod = values.envelopePeriod;
    st_.envShape = values.shape & 15;
}

void Ay3891xSound::BuildTables(i32 minimum, i32 maximum)
{
    State& s = st_;
    if (minimum >= maximum) {
        for (i32& level : s.fixedLevels)
            level = minimum;
        for (i32& level : s.envLevels)
            level = minimum;
        return;
    }
    // Rest in the middle; a third of the half range leaves room for the three streams.
    const i64 half = (static_cast<i64>(maximum) - minimum + 1) / 2;
    const i64 middle = minimum + half;
    const double span = static_cast<double>((half - 1) / 3);
    for (i32 i = 0; i < 16; ++i)
        s.fixedLevels[i] = static_cast<i32>(middle + static_cast<i64>(Round(span * kAyCurve[i] / 65535.0)));
    for (i32 k = 0; k < 32; ++k) {
        s.envLevels[k] = *yamahaMode_ ? static_cast<i32>(middle + static_cast<i64>(Round(span * kYmCurve[k] / 65535.0)))
                                      : s.fixedLevels[k < 16 ? k : 15];
    }
}

void Ay3891xSound::ApplyAmplitude()
{
    st_.envMode = (st_.amplitude >> 4) & 1;
    st_.level0 = st_.fixedLevels[0];
    st_.fixedLevel = st_.fixedLevels[st_.amplitude & 15];
}

void Ay3891xSound::RestartEnvelope(i32 shape)
{
    State& s = st_;
    s.envShape = shape & 15;
    s.program = kPrograms[s.envShape];
    s.segIndex = 0;
    s.envCountdown = s.envLength;
    s.segStart = s.program[0] == '/' ? 0 : s.program[0] == '\\' ? topStep_ : 0;
    s.segEnd = s.program[0] == '/' ? topStep_ : 0;
}

void Ay3891xSound::ApplyRegisterEvent(const u8* payload, const u8* nextPayload, u64 time, u64 nextTime,
                                      i64 cpuFrequency, i32 sampleRate)
{
    State& s = st_;
    const double perTick = static_cast<double>(sampleRate) / (GetToneClock() > 0 ? GetToneClock() : 1);
    // One ramp of the envelope lasts 32 envelope periods of the tone clock (256 EP chip
    // clocks at 8 T): 16 steps on the AY-3-891X, 32 half-length ones on the YM-2149F.
    auto envelopeLength = [&](i32 period) { return SampleCount(perTick, 32.0 * (period > 0 ? period : 1)); };

    if (!payload) {
        // New tables: levels and lengths again from what is applied.
        ApplyAmplitude();
        if (!s.toneHold)
            s.toneLength = SampleCount(perTick, s.tonePeriod);
        s.noiseLength = SampleCount(perTick, 2.0 * s.noisePeriod);
        if (!s.envHold) {
            const i32 length = envelopeLength(s.envPeriod);
            if (length != s.envLength)
                s.envLength = s.envCountdown = length;
        }
        return;
    }
    const Ay3891xRecord rec = Ay3891xRecord::Decode(payload);
    const Ay3891xRecord next = nextPayload ? Ay3891xRecord::Decode(nextPayload) : Ay3891xRecord();

    if (rec.amplitude != s.amplitude) {
        s.amplitude = rec.amplitude & 0x1F;
        ApplyAmplitude();
    }
    if (rec.tonePeriod != s.tonePeriod) {
        if (nextPayload && !s.toneHold &&
            IsHalfWritten(rec.toneTrigger, next.toneTrigger, time, nextTime, cpuFrequency, sampleRate)) {
            s.toneHold = true;
            s.tonePeriod = ~rec.tonePeriod;
        } else {
            s.toneHold = false;
            s.tonePeriod = rec.tonePeriod;
            s.toneLength = SampleCount(perTick, s.tonePeriod);
        }
    }
    if (rec.noisePeriod != s.noisePeriod) {
        s.noisePeriod = rec.noisePeriod;
        s.noiseLength = SampleCount(perTick, 2.0 * s.noisePeriod);
    }
    if (rec.envelopePeriod != s.envPeriod) {
        if (nextPayload && !s.envHold &&
            IsHalfWritten(rec.envelopeTrigger, next.envelopeTrigger, time, nextTime, cpuFrequency, sampleRate)) {
            s.envHold = true;
            s.envPeriod = ~rec.envelopePeriod;
        } else {
            s.envHold = false;
            s.envPeriod = rec.envelopePeriod;
            const i32 length = envelopeLength(s.envPeriod);
            if (length != s.envLength)
                s.envLength = s.envCountdown = length;
        }
    }
    // A write of register 13 restarts the envelope whatever the shape was.
    if (rec.shape < 0)
        RestartEnvelope(~rec.shape);
    else if (rec.shape != s.envShape)
        RestartEnvelope(rec.shape);
    s.toneOff = rec.toneOff & 1;
    s.noiseOff = rec.noiseOff & 1;
}

void Ay3891xSound::StepTone()
{
    st_.toneCountdown = st_.toneLength;
    st_.toneOut ^= 1;
}

void Ay3891xSound::StepNoise()
{
    State& s = st_;
    s.noiseCountdown = s.noiseLength;
    const i32 r = s.noiseRegister & 0x1FFFF;
    if ((r ^ (r >> 1)) & 1)
        s.noiseOut ^= 1;
    s.noiseRegister = (r >> 1) | (((r ^ (r >> 2)) & 1) << 16);
}

void Ay3891xSound::StepEnvelope()
{
    State& s = st_;
    s.envCountdown = s.envLength;
    if (!s.program)
        s.program = kPrograms[s.envShape & 15];
    s.segIndex = (s.segIndex + 1) & 3;
    switch (s.program[s.segIndex]) {
    case '/':
        s.segStart = 0;
        s.segEnd = topStep_;
        break;
    case '\\':
        s.segStart = topStep_;
        s.segEnd = 0;
        break;
    case '_':
        // Holds: the next step reads the same character again.
        s.segStart = s.segEnd = 0;
        s.segIndex = (s.segIndex + 3) & 3;
        break;
    case '\'':
        s.segStart = s.segEnd = topStep_;
        s.segIndex = (s.segIndex + 3) & 3;
        break;
    default:
        s.segStart = s.segEnd = 0;
        break;
    }
}

// A countdown that expires at its sample (at the first one when it stands at 0 or
// below) and then restarts at length >= 1, moved on by run samples at once; answers the
// expiries.
i32 Ay3891xSound::AdvanceCountdown(i32& countdown, i32 length, i32 run)
{
    const i32 due = countdown > 0 ? countdown : 1;
    if (run < due) {
        countdown -= run;
        return 0;
    }
    const i32 past = run - due;
    countdown = length - past % length;
    return 1 + past / length;
}

// Steps of the noise register at once. Over k <= 15 steps every bit a step reads (bits
// 0 to 2 of the moved register) is still one of the register's own, so k steps feed
// back (r ^ r >> 2) & mask into the top, and the output flips once per set bit of
// (r ^ r >> 1) & mask: only the parity of all those bits counts.
void Ay3891xSound::StepNoiseTimes(i32 steps)
{
    if (steps <= 0)
        return;
    State& s = st_;
    constexpr i32 kJump = 15;
    constexpr u32 kMask = (1u << kJump) - 1;
    u32 r = static_cast<u32>(s.noiseRegister) & 0x1FFFFu;
    u32 flips = 0;
    for (; steps >= kJump; steps -= kJump) {
        flips ^= (r ^ (r >> 1)) & kMask;
        r = (r >> kJump) | (((r ^ (r >> 2)) & kMask) << (17 - kJump));
    }
    for (; steps > 0; --steps) {
        flips ^= (r ^ (r >> 1)) & 1;
        r = (r >> 1) | (((r ^ (r >> 2)) & 1) << 16);
    }
    s.noiseRegister = static_cast<i32>(r);
    s.noiseOut ^= std::popcount(flips) & 1;
}

// An envelope holding its level: the segment is flat and its end step leads into the
// same hold again, so every step until the next register write leaves it as it is.
bool Ay3891xSound::EnvelopeHolds() const
{
    const State& s = st_;
    if (!s.program || s.envLength <= 0 || s.segStart != s.segEnd)
        return false;
    const char next = s.program[(s.segIndex + 1) & 3];
    return (next == '_' && s.segStart == 0) || (next == '\'' && s.segStart == topStep_);
}

void Ay3891xSound::RenderSamples(i32* out, i32 count)
{
    State& s = st_;
    // A silenced channel renders silence with every counter running on, so that it
    // comes back in phase.
    const bool audible = IsSoundEnabled();
    const i32 envMask = audible ? topStep_ : 0;
    const i32 fixedMask = audible ? 1 : 0;
    const i32 noiseBlock = *disableNoise_ ? 1 : s.noiseOff;
    // A countdown standing at 0 (fresh counters) expires before the first sample; later
    // expiries are handled as they happen, so no call leaves one at 0.
    if (s.toneLength > 0 && s.toneCountdown <= 0)
        StepTone();
    if (s.noiseLength > 0 && s.noiseCountdown <= 0)
        StepNoise();
    // What no step changes is read once: a store through out might alias these fields,
    // so a field read inside the loop is read again at every sample.
    const i32 toneOff = s.toneOff;
    const bool envMode = s.envMode != 0;
    const i32 length = s.envLength > 0 ? s.envLength : 1;
    const i32 steadyOn = (fixedMask != 0) ? s.fixedLevel : s.level0;
    const i32 steadyOff = s.level0;
    const bool toneRuns = s.toneLength > 0;
    const bool noiseRuns = s.noiseLength > 0;
    // The level changes only where the mixer's output can (a step of a generator it lets
    // through, unless both of its levels are the same) or the envelope moves, so between
    // those it is rendered as one run.
    const bool mixerHeard = envMode || steadyOn != steadyOff;
    const bool toneHeard = mixerHeard && toneRuns && (toneOff & 1) == 0;
    const bool noiseHeard = mixerHeard && noiseRuns && (noiseBlock & 1) == 0;
    i32 i = 0;
    while (i < count) {
        const i32 mixed = (s.toneOut | toneOff) & (s.noiseOut | noiseBlock) & 1;
        const bool enveloped = mixed && envMode;
        if (enveloped && !EnvelopeHolds()) {
            // The envelope moves only while it is heard.
            const double elapsed = static_cast<double>(length - s.envCountdown) / length;
            // Rounded half up both ways, so that a falling ramp ends on step 0 as a
            // rising one ends on the top step.
            const i32 step = s.segStart + static_cast<i32>(std::floor((s.segEnd - s.segStart) * elapsed + 0.5));
            out[i++] = s.envLevels[step & envMask];
            if (--s.envCountdown <= 0)
                StepEnvelope();
            if (toneRuns && --s.toneCountdown <= 0)
                StepTone();
            if (noiseRuns && --s.noiseCountdown <= 0)
                StepNoise();
            continue;
        }
        const i32 level = enveloped ? s.envLevels[s.segStart & envMask] : mixed ? steadyOn : steadyOff;
        i32 run = count - i;
        if (toneHeard && s.toneCountdown < run)
            run = s.toneCountdown;
        if (noiseHeard && s.noiseCountdown < run)
            run = s.noiseCountdown;
        std::fill_n(out + i, run, level);
        i += run;
        if (enveloped)
            AdvanceCountdown(s.envCountdown, s.envLength, run);
        if (toneRuns)
            s.toneOut ^= AdvanceCountdown(s.toneCountdown, s.toneLength, run) & 1;
        if (noiseRuns)
            StepNoiseTimes(AdvanceCountdown(s.noiseCountdown, s.noiseLength, run));
    }
}
