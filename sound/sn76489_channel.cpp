// SN76489 channel: volume table, tone and noise from the logged records, state.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/archive.h"
#include "emu/little_endian.h"
#include "emu/state_block.h"
#include "sound/sn76489.h"

namespace {

constexpr double kHighestAudibleTone = 18000.0;  // Hz

} // namespace

Sn76489Channel::Sn76489Channel(bool noise) : noise_(noise)
{
    SetSampleBits(4);
    if (noise_)
        SetPhaseStep(&Sn76489Channel::NoiseStep);
}

Sn76489Channel::~Sn76489Channel() = default;

bool Sn76489Channel::Start(i32* rate)
{
    if (!SquareSoundChannel::Start(rate))
        return false;
    for (i32& level : levels_)
        level = 0;
    white_ = false;
    noiseRegister_ = kNoiseSeed;
    return true;
}

void Sn76489Channel::BuildTables(i32 minimum, i32 maximum)
{
    // Silence is the middle of the range (128 of unsigned 8-bit PCM, 0 of signed 16-bit).
    const i64 half = (static_cast<i64>(maximum) - minimum + 1) / 2;
    const i32 middle = static_cast<i32>(minimum + half);
    levels_[0] = middle;
    if (half <= 0) {
        for (i32& level : levels_)
            level = minimum;
        return;
    }
    // Each volume step is 2 dB of attenuation: a factor of 10^(-0.1) in amplitude,
    // applied to the unrounded value so that rounding errors do not add up. Just under
    // a quarter of the half range at full volume keeps four summed channels inside the
    // range on both sides (4 x 31 of 8-bit's -128..127).
    static const double kStep = std::pow(10.0, -0.1);
    double v = static_cast<double>((half - 1) / 4);
    for (i32 i = 15; i >= 1; --i) {
        levels_[i] = middle + static_cast<i32>(std::round(v));
        v *= kStep;
    }
}

void Sn76489Channel::Retune(i32 sampleRate)
{
    const double clock = GetToneClock() > 0 ? GetToneClock() : 1;
    const double ticks = noise_ ? ShiftPeriod(appliedTone_) : Divider(appliedTone_);
    // Samples per half period with their fraction: rounded to whole samples, a divider
    // of 20 at 48000 Hz would play 6000 Hz for 5593.
    const double exact = static_cast<double>(sampleRate > 0 ? sampleRate : 1) / clock * ticks;
    // A tone above half the sample rate cannot be rendered and one above hearing (18 kHz
    // and up: dividers 1 to 6) barely can: either would alias into an audible square.
    // The console's output does not follow such a tone either: it holds the high level,
    // so that a program that writes volumes over it plays samples.
    steady_ = !noise_ && (exact < 1.0 || clock / (2.0 * ticks) >= kHighestAudibleTone);
    const double whole = std::floor(exact);
    if (whole >= static_cast<double>(INT32_MAX - 1)) {
        halfPeriod_ = INT32_MAX - 1;
        halfPeriodFraction_ = 0;
    } else if (whole < 1.0) {
        // The noise shifts at most once per sample.
        halfPeriod_ = 1;
        halfPeriodFraction_ = 0;
    } else {
        halfPeriod_ = static_cast<i32>(whole);
        halfPeriodFraction_ = static_cast<u32>(std::min((exact - whole) * 4294967296.0, 4294967295.0));
    }
}

void Sn76489Channel::Recompute(i32 sampleRate)
{
    Retune(sampleRate);
    noiseRegister_ = kNoiseSeed;
    white_ = appliedTone_ < 0;
}

void Sn76489Channel::ApplyLevels()
{
    // The wave swings from the silence level by the volume's level either way; loaded
    // tables may hold anything, and a sum outside i32 becomes a value the output drops.
    restLevel_ = levels_[0];
    level1_ = levels_[appliedVolume_ & 15];
    const i64 low = 2 * static_cast<i64>(restLevel_) - level1_;
    level0_ = low < INT32_MIN || low > INT32_MAX ? INT32_MAX : static_cast<i32>(low);
}

void Sn76489Channel::ApplyRegisterEvent(const u8* payload, const u8* nextPayload, u64 time, u64 nextTime,
                                        i64 cpuFrequency, i32 sampleRate)
{
    const SquareRecord record = payload ? SquareRecord::Decode(payload) : SquareRecord();
    if (!payload || record.volume != appliedVolume_) {
        if (payload)
            appliedVolume_ = record.volume;
        ApplyLevels();
    }
    if (payload) {
        if (record.tone == appliedTone_) {
            // The noise restarts on every control write, changed or not.
            if (!noise_ || record.toneTrigger == 0)
                return;
        } else if (noise_ && record.toneTrigger == 0) {
            // Channel 2's divider moved under rate 3: the register shifts on at the new rate.
            appliedTone_ = record.tone;
            Retune(sampleRate);
            return;
        } else if (!noise_ && nextPayload && cpuFrequency > 0) {
            // A latch byte followed within one sample by its data byte: the next record
            // carries the whole new tone, so the half-made one is never heard.
            const SquareRecord next = SquareRecord::Decode(nextPayload);
            const u64 span = nextTime - time;
            if (record.toneTrigger < next.toneTrigger && span < static_cast<u64>(cpuFrequency >> 12) &&
                static_cast<double>(span) / static_cast<double>(cpuFrequency) * sampleRate < 1.0)
                return;
        }
        appliedTone_ = record.tone;
    }
    Recompute(sampleRate);
}

void Sn76489Channel::NoiseStep(SquareSoundChannel* channel, i32* phase, u32 steps)
{
    auto* self = static_cast<Sn76489Channel*>(channel);
    u32 r = static_cast<u32>(self->noiseRegister_) & 0x7FFF;
    if (self->white_) {
        for (u32 i = 0; i < steps; ++i)
            r = (((r ^ (r >> 1)) & 1) << 14) | (r >> 1);
    } else {
        // Periodic noise feeds bit 0 back into bit 14: the 15 bits rotate right.
        const u32 n = steps % 15;
        r = ((r >> n) | (r << (15 - n))) & 0x7FFF;
    }
    self->noiseRegister_ = static_cast<i32>(r);
    *phase = (r & 1) ? 0 : 1;
}

bool Sn76489Channel::SaveState(Archive& archive)
{
    if (!SquareSoundChannel::SaveState(archive))
        return false;
    u8 levels[64];
    for (i32 i = 0; i < 16; ++i)
        StoreLe32(levels + 4 * i, static_cast<u32>(levels_[i]));
    return StateBlock::SaveVersion(archive) && archive.WriteBlob(levels, sizeof levels, "LVLD") &&
           archive.WriteBool(&noise_, "NOIS") && archive.WriteBool(&white_, "NOIW") &&
           archive.WriteInt32(&noiseRegister_, "NOIC");
}

bool Sn76489Channel::LoadState(Archive& archive, LoadContext context)
{
    if (!SquareSoundChannel::LoadState(archive, context))
        return false;
    u8 levels[64];
    bool noise = false;
    i32 noiseRegister = 0;
    // The kind is the channel's own, fixed when it was made: a state of the other kind
    // does not fit it.
    if (!StateBlock::LoadVersion(archive) || !archive.ReadBlob(levels, sizeof levels, "LVLD") ||
        !archive.ReadBool(&noise, "NOIS") || noise != noise_ || !archive.ReadBool(&white_, "NOIW") ||
        !archive.ReadInt32(&noiseRegister, "NOIC"))
        return false;
    for (i32 i = 0; i < 16; ++i)
        levels_[i] = static_cast<i32>(LoadLe32(levels + 4 * i));
    restLevel_ = levels_[0];
    noiseRegister_ = noiseRegister & 0x7FFF;
    // The stream runs on at the saved rate, whatever the rate choice is now; the half
    // period's fraction is worked out again from the tone. A channel that no write has
    // tuned since its start stays untuned, as it was saved.
    if (halfPeriod_ > 0)
        Retune(GetStreamRate());
    return true;
}
