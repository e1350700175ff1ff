// Square-wave channel: tone and volume logging, the render and the "_SQSNDCH" block.
#include "sound/square_sound_channel.h"

#include <cstdint>

#include "base/archive.h"
#include "emu/little_endian.h"
#include "emu/state_block.h"

void SquareRecord::Encode(u8* out) const
{
    StoreLe32(out, static_cast<u32>(tone));
    StoreLe32(out + 4, static_cast<u32>(volume));
    StoreLe32(out + 8, static_cast<u32>(toneTrigger));
    StoreLe32(out + 12, static_cast<u32>(volumeTrigger));
}

SquareRecord SquareRecord::Decode(const u8* in)
{
    SquareRecord record;
    record.tone = static_cast<i32>(LoadLe32(in));
    record.volume = static_cast<i32>(LoadLe32(in + 4));
    record.toneTrigger = static_cast<i32>(LoadLe32(in + 8));
    record.volumeTrigger = static_cast<i32>(LoadLe32(in + 12));
    return record;
}

SquareSoundChannel::SquareSoundChannel()
{
    SetMinimumPayload(SquareRecord::kSize);
}

SquareSoundChannel::~SquareSoundChannel() = default;

bool SquareSoundChannel::Start(i32* rate)
{
    if (!SoundChannel::Start(rate))
        return false;
    record_ = SquareRecord();
    appliedTone_ = 0;
    halfPeriod_ = 0;
    samplesLeft_ = 0;
    phase_ = 0;
    appliedVolume_ = 0;
    level0_ = 0;
    level1_ = 0;
    restLevel_ = 0;
    halfPeriodFraction_ = 0;
    fractionPhase_ = 0;
    steady_ = false;
    return true;
}

void SquareSoundChannel::LogRecord()
{
    if (!IsStopped()) {
        u8 payload[SquareRecord::kSize];
        record_.Encode(payload);
        AppendLocked(payload, SquareRecord::kSize, 0);
    }
    record_.toneTrigger = 0;
    record_.volumeTrigger = 0;
}

void SquareSoundChannel::SetTone(i32 value, i32 trigger, bool force)
{
    if (value == record_.tone && !force)
        return;
    record_.tone = value;
    record_.toneTrigger = trigger;
    LogRecord();
}

void SquareSoundChannel::SetVolume(i32 value, i32 trigger, bool force)
{
    if (value == record_.volume && !force)
        return;
    record_.volume = value;
    record_.volumeTrigger = trigger;
    LogRecord();
}

void SquareSoundChannel::RestartHalfPeriod()
{
    samplesLeft_ = halfPeriod_;
    const u32 carried = fractionPhase_;
    fractionPhase_ += halfPeriodFraction_;
    if (fractionPhase_ < carried && samplesLeft_ < INT32_MAX)
        ++samplesLeft_;
}

void SquareSoundChannel::EndHalfPeriod()
{
    RestartHalfPeriod();
    if (phaseStep_)
        phaseStep_(this, &phase_, 1);
    else
        phase_ ^= 1;
}

u32 SquareSoundChannel::CountHalfPeriods(i32 count)
{
    if (count <= 0)
        return 0;
    u32 ends = 0;
    if (samplesLeft_ <= 0) {
        samplesLeft_ = 0;   // ends at once, as a take of nothing would
    } else if (count < samplesLeft_) {
        samplesLeft_ -= count;
        return 0;
    }
    if (halfPeriodFraction_ == 0) {
        // Whole half periods: the first ends after what was left, every later one after
        // halfPeriod_ samples, and the last restarts the count.
        const i32 rest = count - samplesLeft_;
        ends = 1 + static_cast<u32>(rest / halfPeriod_);
        samplesLeft_ = halfPeriod_ - rest % halfPeriod_;
        return ends;
    }
    while (count > 0) {
        const i32 take = count < samplesLeft_ ? count : (samplesLeft_ > 0 ? samplesLeft_ : 0);
        count -= take;
        samplesLeft_ -= take;
        if (samplesLeft_ <= 0) {
            RestartHalfPeriod();
            ++ends;
        }
    }
    return ends;
}

void SquareSoundChannel::RenderSamples(i32* out, i32 count)
{
    const bool enabled = IsSoundEnabled();
    // Each level is read once before its run: a store through out might alias a level
    // field, so a field read inside the loop is read again at every sample.
    if (steady_) {
        const i32 level = enabled ? level1_ : restLevel_;
        for (i32 i = 0; i < count; ++i)
            out[i] = level;
        return;
    }
    if (halfPeriod_ <= 0) {
        const i32 level = enabled ? level0_ : restLevel_;
        for (i32 i = 0; i < count; ++i)
            out[i] = level;
        EndHalfPeriod();
        return;
    }
    // A wave whose two levels are the same (a silent channel) is one run; its half
    // periods still count on, so that it comes back in phase.
    const i32 high = enabled ? level1_ : restLevel_;
    if (high == (enabled ? level0_ : restLevel_)) {
        for (i32 i = 0; i < count; ++i)
            out[i] = high;
        // Nothing looks at the phase meanwhile: it takes all its steps at the end.
        if (const u32 ends = CountHalfPeriods(count); ends != 0) {
            if (phaseStep_)
                phaseStep_(this, &phase_, ends);
            else
                phase_ ^= static_cast<i32>(ends & 1);
        }
        return;
    }
    while (count > 0) {
        const i32 take = count < samplesLeft_ ? count : (samplesLeft_ > 0 ? samplesLeft_ : 0);
        const i32 level = !enabled ? restLevel_ : (phase_ & 1) ? level1_ : level0_;
        for (i32 i = 0; i < take; ++i)
            out[i] = level;
        out += take;
        count -= take;
        samplesLeft_ -= take;
        if (samplesLeft_ <= 0)
            EndHalfPeriod();
    }
}

// The "_SQSNDCH" values in their saved order, written once for both directions.
template <typename Visit> bool SquareSoundChannel::VisitState(Visit visit)
{
    return visit(record_.tone, "CDTN") && visit(record_.volume, "CDVL") && visit(record_.toneTrigger, "CDTT") &&
           visit(record_.volumeTrigger, "CDVT") && visit(appliedTone_, "TDVA") && visit(halfPeriod_, "TDCN") &&
           visit(samplesLeft_, "TDTO") && visit(phase_, "TDVL") && visit(appliedVolume_, "VDVA") &&
           visit(level0_, "VDL0") && visit(level1_, "VDL1");
}

bool SquareSoundChannel::SaveState(Archive& archive)
{
    if (!SoundChannel::SaveState(archive))
        return false;
    const i32 carried = static_cast<i32>(fractionPhase_);
    return StateBlock::Open(archive, "_SQSNDCH") &&
           VisitState([&](i32& v, const char* key) { return archive.WriteInt32(&v, key); }) &&
           archive.WriteInt32(&carried, "TDFP") && StateBlock::Close(archive, "_SQSNDCH");
}

bool SquareSoundChannel::LoadState(Archive& archive, LoadContext context)
{
    if (!SoundChannel::LoadState(archive, context))
        return false;
    // Values are taken as stored: the render copes with any half period and count.
    halfPeriodFraction_ = 0;
    steady_ = false;
    i32 carried = 0;
    if (!StateBlock::Enter(archive, "_SQSNDCH") ||
        !VisitState([&](i32& v, const char* key) { return archive.ReadInt32(&v, key); }) ||
        !archive.ReadInt32(&carried, "TDFP"))
        return false;
    fractionPhase_ = static_cast<u32>(carried);
    return StateBlock::Leave(archive, "_SQSNDCH");
}
