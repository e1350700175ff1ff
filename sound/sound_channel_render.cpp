// Sound channel: replaying one period of the write log into samples.
#include <cmath>

#include "sound/sound_channel.h"

bool SoundChannel::FillCallback(Component* channel, i32* buffer, i32 count, i32 minimum, i32 maximum,
                                i32 callbackRate, u32* /*timerWords*/)
{
    auto* self = static_cast<SoundChannel*>(channel);
    if (!self)
        return true;
    ScopedLock guard(self->renderLock_);
    self->RenderBuffer(count * callbackRate);
    self->writePos_ = buffer;
    self->bufferLength_ = buffer ? count : 0;
    self->outMin_ = minimum;
    self->outMax_ = maximum;
    self->callbackRate_ = callbackRate;
    return true;
}

bool SoundChannel::ReadBlock(const u8* data, u64 held, u64 offset, Block* block, bool* haveTime) const
{
    *haveTime = false;
    if (offset > held || held - offset < SoundLogBlock::kHeaderSize)
        return false;
    const SoundLogBlock head = SoundLogBlock::Decode(data + offset);
    block->time = head.cycles;
    *haveTime = true;
    // A payload shorter than the chip's record counts as cut short: the chip reads its
    // whole record from it (a loaded state may carry anything).
    if (head.length < minPayload_ || head.length > held - offset - SoundLogBlock::kHeaderSize)
        return false;
    block->payload = data + offset + SoundLogBlock::kHeaderSize;
    block->end = offset + SoundLogBlock::kHeaderSize + head.length;
    return true;
}

void SoundChannel::RenderRun(i32 n)
{
    RenderSamples(writePos_, n);
    writePos_ += n;
}

void SoundChannel::RenderBuffer(i32 sampleRate)
{
    if (stopped_)
        return;
    u64 start = periodStart_;
    if (pending_) {
        ScopedLock guard(logLock_);
        pending_ = 0;
        currentLog_ ^= 1;
        logs_[currentLog_].Discard(-1);
    }
    const u64 now = CurrentCycle();
    const i64 frequency = CpuFrequency();
    FifoStream& log = logs_[currentLog_ ^ 1];

    if (outMin_ != tableMin_ || outMax_ != tableMax_) {
        tableMin_ = outMin_;
        tableMax_ = outMax_;
        BuildTables(outMin_, outMax_);
        ApplyRegisterEvent(nullptr, nullptr, now, now, frequency, sampleRate);
    }

    // Without a buffer yet (the first callback after Start or a state load) the writes
    // are applied unheard, and the next period starts now rather than at the old start.
    const i32 length = writePos_ ? bufferLength_ : 0;
    i32 p = 0;
    const u64 held = log.GetFill();
    const u8* data = held ? log.GetBuffer() : nullptr;
    Block block;
    bool haveTime = false;
    if (data && ReadBlock(data, held, 0, &block, &haveTime)) {
        if (block.time < start)
            start = block.time;
        lastBlockTime_ = block.time;
        const double ratio = now > start ? static_cast<double>(length) / static_cast<double>(now - start) : 0.0;
        for (;;) {
            // A next block that is cut short or older than this one ends the replay; its
            // time stamp still bounds this one.
            Block next;
            bool nextHasTime = false;
            const bool haveNext = ReadBlock(data, held, block.end, &next, &nextHasTime) && next.time >= lastBlockTime_;
            if (haveNext)
                lastBlockTime_ = next.time;
            const u64 nextTime = nextHasTime ? next.time : now;

            const u64 offset = block.time - start;
            if (offset != lastRendered_) {
                const double position = std::trunc(static_cast<double>(offset) * ratio);
                const i32 target = position >= length ? length : static_cast<i32>(position);
                i32 n = target - p;
                if (n < 1)
                    n = 1;
                if (p + n > length) {
                    n = length - p;
                    p = length;
                } else {
                    p += n;
                }
                if (n > 0)
                    RenderRun(n);
                lastRendered_ = offset;
            }
            ApplyRegisterEvent(block.payload, haveNext ? next.payload : nullptr, block.time, nextTime, frequency,
                               sampleRate);
            if (!haveNext)
                break;
            block = next;
        }
    }
    if (length - p > 0)
        RenderRun(length - p);
    periodStart_ = now;
    lastBlockTime_ = now;
    // Offsets count from the period start: one left from this period says nothing
    // about the next one's first write.
    lastRendered_ = kNothingRendered;
    log.Discard(-1);
}
