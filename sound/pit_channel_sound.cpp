// i8253 counter: OUT as a rectangle wave. Every bus tick records the waveform as it
// stands into one segment; at the next sound event the segments of the period just
// ended are rendered, oldest first, into the buffer handed over at the previous one.
// A high OUT renders the output's minimum, a low or disabled one its maximum.
#include <algorithm>
#include <cmath>

#include "emu/event_bus.h"
#include "sound/pit_channel.h"

namespace {

// floor(x + 0.5) or ceil(x) as a sample count that an i64 holds.
i64 ToSamples(double x)
{
    if (!(x > -9.0e18))
        return -1;
    return x < 9.0e18 ? static_cast<i64>(x) : INT64_MAX;
}

} // namespace

bool PitChannel::SetSoundGeneration(bool on)
{
    if (IsRunning())
        return false;
    soundGeneration_ = on;
    return true;
}

void PitChannel::DropSoundBuffer()
{
    soundBuffer_ = nullptr;
    sampleCount_ = 0;
    segments_.clear();
    segments_.shrink_to_fit();
    segmentsValid_ = false;
}

bool PitChannel::OnSoundEvent(Component* channel, i32* buffer, i32 count, i32 minimum, i32 maximum,
                              i32 buffersPerSecond, u32* /*userWords*/)
{
    auto* self = static_cast<PitChannel*>(channel);
    if (!self->soundGeneration_)
        return false;
    if (self->soundBuffer_ && self->segmentsValid_)
        self->RenderSoundSegments();
    if (count != self->sampleCount_) {
        // Segments that no tick has written yet continue the waveform as it stands.
        PitSoundSegment current;
        current.level = self->renderLevel_;
        current.outputEnabled = self->outputEnabled_;
        current.highLength = self->highLength_;
        current.lowLength = self->lowLength_;
        current.remaining = self->remaining_;
        self->segments_.assign(static_cast<size_t>(count > 0 ? count : 0), current);
        self->segmentsValid_ = false;
    }
    self->soundBuffer_ = buffer;
    self->sampleCount_ = count > 0 ? count : 0;
    self->minValue_ = minimum;
    self->maxValue_ = maximum;
    self->buffersPerSecond_ = buffersPerSecond;
    self->periodStartTick_ = self->bus_ ? self->bus_->GetTickCount() : 0;
    self->Update();
    return true;
}

void PitChannel::RecordSoundSegment()
{
    if (!soundGeneration_ || !soundBuffer_ || segments_.empty() || !bus_ || buffersPerSecond_ <= 0)
        return;
    const i32 ticks = bus_->GetBusFrequency() / buffersPerSecond_;
    if (ticks <= 0)
        return;
    // Counted from the tick of the last sound event: the first tick of a period writes
    // segment ticks - 1, the last segment 0. The difference is taken modulo 2^32, as the
    // bus count wraps.
    const u32 since = bus_->GetTickCount() - periodStartTick_;
    const i32 index = ticks - 1 - static_cast<i32>(since % static_cast<u32>(ticks));
    if (index < 0 || index >= sampleCount_)
        return;
    PitSoundSegment& segment = segments_[static_cast<size_t>(index)];
    segment.changed = waveChanged_;
    if (waveChanged_) {
        waveChanged_ = false;
        const double seconds = unitsPerSecond_ ? period_ / unitsPerSecond_ : 0;
        const double samples = seconds * sampleCount_ * buffersPerSecond_;
        i64 high = 0;
        i64 low = 0;
        if (square_) {
            // Two halves of the period in whole samples; an odd total goes high first.
            const i64 total = ToSamples(std::floor(samples + 0.5));
            low = total / 2;
            high = total - low;
        } else {
            high = ToSamples(std::floor(samples * firstHigh_ + 0.5));
            low = ToSamples(std::floor(samples * firstLow_ + 0.5));
        }
        // A period shorter than a sample holds a level: the one OUT has now, which is
        // where a one-shot already settled (a start level held for ever would not be).
        bool level = startLevel_;
        if (high == 0 && low == 0) {
            high = low = -1;
            level = out_;
        }
        highLength_ = high;
        lowLength_ = low;
        remaining_ = level ? high : low;
        if (!square_) {
            high = ToSamples(std::ceil(samples * nextHigh_));
            low = ToSamples(std::ceil(samples * nextLow_));
            if (high == 0 && low == 0)
                high = low = -1;
            highLength_ = high;
            lowLength_ = low;
        }
        segment.level = level;
    } else {
        segment.level = renderLevel_;
    }
    segment.outputEnabled = outputEnabled_;
    segment.highLength = highLength_;
    segment.lowLength = lowLength_;
    segment.remaining = remaining_;
    segmentsValid_ = true;
}

void PitChannel::RenderSoundSegments()
{
    if (!soundBuffer_ || buffersPerSecond_ <= 0 || !bus_)
        return;
    const i32 records = std::min(bus_->GetBusFrequency() / buffersPerSecond_, sampleCount_);
    if (records <= 0 || static_cast<size_t>(records) > segments_.size())
        return;
    // Each buffer starts from a recorded state.
    segments_[static_cast<size_t>(records - 1)].changed = 1;
    i32 samplesLeft = sampleCount_;
    i32 at = 0;
    for (i32 r = records - 1; r >= 0; --r) {
        const PitSoundSegment& segment = segments_[static_cast<size_t>(r)];
        if (segment.changed) {
            renderLevel_ = segment.level != 0;
            highLength_ = segment.highLength;
            lowLength_ = segment.lowLength;
            remaining_ = segment.remaining;
        }
        const i32 n = samplesLeft / (r + 1);
        samplesLeft -= n;
        i32 written = 0;
        while (written < n) {
            const i32 value = (renderLevel_ && segment.outputEnabled) ? minValue_ : maxValue_;
            if (remaining_ != 0) {
                const i64 room = n - written;
                const i32 run = static_cast<i32>(remaining_ < 0 ? room : std::min(room, remaining_));
                std::fill(soundBuffer_ + at, soundBuffer_ + at + run, value);
                at += run;
                written += run;
                if (remaining_ > 0)
                    remaining_ -= run;
            }
            if (remaining_ == 0) {
                renderLevel_ = !renderLevel_;
                const i64 length = renderLevel_ ? highLength_ : lowLength_;
                remaining_ = length == 0 ? 1 : length;
            }
        }
    }
}
