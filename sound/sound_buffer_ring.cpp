// Sound outputs: the buffer ring, conversion and queue rules.
#include "sound/sound_buffer_ring.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "emu/little_endian.h"

SoundBufferRing::~SoundBufferRing()
{
    CloseRing();
}

SoundBufferRing* SoundBufferRing::Clone()
{
    return MakeEmpty();
}

SoundBufferRing* SoundOutput::Clone()
{
    SoundBufferRing* copy = MakeEmpty();
    if (copy)
        static_cast<SoundOutput*>(copy)->SetOwnerWindow(ownerWindow_);
    return copy;
}

const u8* SoundBufferRing::GetBuffer(i32 index) const
{
    if (index < 0 || index >= bufferCount_ || !pcm_)
        return nullptr;
    return pcm_.get() + static_cast<size_t>(index) * static_cast<size_t>(bytesPerBuffer_);
}

u8* SoundBufferRing::GetBuffer(i32 index)
{
    return const_cast<u8*>(static_cast<const SoundBufferRing*>(this)->GetBuffer(index));
}

bool SoundBufferRing::Open(i32 totalSamples, i32 width, i32 count)
{
    std::lock_guard<std::mutex> guard(exclusion_);
    // An open ring keeps its counts: resetting them first would leave it half closed.
    if (bufferCount_ > 0)
        return false;
    submitted_ = 0;
    completed_ = 0;
    bytesPerBuffer_ = 0;
    if (totalSamples <= 0 || (width != 8 && width != 16) || count <= 0 || count > totalSamples)
        return false;

    const i32 perBuffer = totalSamples / count;
    const i32 bytes = perBuffer * width / 8;
    std::unique_ptr<u8[]> pcm(new (std::nothrow) u8[static_cast<size_t>(bytes) * static_cast<size_t>(count)]);
    if (!pcm)
        return false;
    try {
        mixing_[0].assign(static_cast<size_t>(perBuffer), kEmptySample);
        mixing_[1].assign(static_cast<size_t>(perBuffer), kEmptySample);
    } catch (const std::bad_alloc&) {
        mixing_[0].clear();
        mixing_[1].clear();
        return false;
    }
    totalSamples_ = totalSamples;
    sampleWidth_ = width;
    samplesPerBuffer_ = perBuffer;
    bytesPerBuffer_ = bytes;
    writeSlot_ = 0;
    currentMixing_ = 1;
    pcm_ = std::move(pcm);

    // The output's range; a fresh output holds silence throughout.
    minimum_ = width == 16 ? -32768 : 0;
    maximum_ = width == 16 ? 32767 : 255;
    lastValue_ = GetSilence();
    bufferCount_ = count;
    FillSilence();
    queuedMode_ = 1;
    stopped_ = 0;
    return true;
}

void SoundBufferRing::Close()
{
    CloseRing();
}

void SoundBufferRing::CloseRing()
{
    std::lock_guard<std::mutex> guard(exclusion_);
    stopped_ = 1;
    bytesPerBuffer_ = 0;
    // No queue rule can submit again: the pending count stays far above every limit.
    submitted_ = 65535;
    completed_ = 0;
    pcm_.reset();
    mixing_[0].clear();
    mixing_[0].shrink_to_fit();
    mixing_[1].clear();
    mixing_[1].shrink_to_fit();
    bufferCount_ = 0;
}

void SoundBufferRing::Silence()
{
    std::lock_guard<std::mutex> guard(exclusion_);
    stopped_ = 1;
    FillSilence();
}

void SoundBufferRing::FillSilence()
{
    if (!pcm_ || bytesPerBuffer_ <= 0 || bufferCount_ <= 0)
        return;
    const size_t bytes = static_cast<size_t>(bytesPerBuffer_) * static_cast<size_t>(bufferCount_);
    if (sampleWidth_ == 16) {
        for (size_t i = 0; i + 1 < bytes; i += 2)
            StoreLe16(&pcm_[i], static_cast<u16>(GetSilence()));
    } else {
        std::memset(pcm_.get(), GetSilence() & 0xFF, bytes);
    }
}

i32* SoundBufferRing::FlipBuffer(i32* count, i32* minimum, i32* maximum)
{
    currentMixing_ ^= 1;
    return SoundBufferRing::GetMixingBuffer(count, minimum, maximum);
}

i32* SoundBufferRing::GetMixingBuffer(i32* count, i32* minimum, i32* maximum)
{
    if (count)
        *count = samplesPerBuffer_;
    if (minimum)
        *minimum = minimum_;
    if (maximum)
        *maximum = maximum_;
    std::vector<i32>& mix = mixing_[currentMixing_];
    return mix.empty() ? nullptr : mix.data();
}

u64 SoundBufferRing::GetPending()
{
    std::lock_guard<std::mutex> guard(exclusion_);
    return submitted_.load() - completed_.load();
}

bool SoundBufferRing::Submit(i32 /*index*/)
{
    return false;
}

bool SoundBufferRing::SubmitCounted(i32 index)
{
    if (!Submit(index))
        return false;
    ++submitted_;
    return true;
}

void SoundBufferRing::CopyBuffer(i32 from, i32 to)
{
    if (from == to)
        return;
    std::memcpy(GetBuffer(to), GetBuffer(from), static_cast<size_t>(bytesPerBuffer_));
}

void SoundBufferRing::FillBuffer()
{
    std::lock_guard<std::mutex> guard(exclusion_);
    if (bufferCount_ <= 0 || bytesPerBuffer_ <= 0)
        return;
    stopped_ = 0;
    std::vector<i32>& source = mixing_[currentMixing_ ^ 1];
    const i32 filled = writeSlot_;
    u8* target = GetBuffer(filled);
    const i32 lo = minimum_;
    const i32 hi = maximum_;
    i32 last = lastValue_;
    const i32 n = samplesPerBuffer_;
    // A channel that rendered the whole period left every entry in range: then every
    // entry is written as it is, in straight loops with nothing carried from one entry to
    // the next, and only a period with a gap goes through the entry-by-entry loops below.
    i32* const entries = source.data();
    const u32 span = static_cast<u32>(hi) - static_cast<u32>(lo);
    u32 outside = n > 0 && lo <= hi ? 0 : 1;
    if (sampleWidth_ == 16) {
        for (i32 i = 0; i < n; ++i) {
            outside |= static_cast<u32>(entries[i]) - static_cast<u32>(lo) > span;
            StoreLe16(target + 2 * i, static_cast<u16>(entries[i]));
        }
    } else {
        for (i32 i = 0; i < n; ++i) {
            outside |= static_cast<u32>(entries[i]) - static_cast<u32>(lo) > span;
            target[i] = static_cast<u8>(entries[i]);
        }
    }
    if (!outside) {
        last = entries[n - 1];
        std::fill_n(entries, n, kEmptySample);
    } else if (sampleWidth_ == 16) {
        for (i32 i = 0; i < samplesPerBuffer_; ++i) {
            i32& v = source[static_cast<size_t>(i)];
            if (v >= lo && v <= hi) {
                last = v;
                v = kEmptySample;
            }
            StoreLe16(target + 2 * i, static_cast<u16>(last));
        }
    } else {
        for (i32 i = 0; i < samplesPerBuffer_; ++i) {
            i32& v = source[static_cast<size_t>(i)];
            if (v >= lo && v <= hi) {
                last = v;
                v = kEmptySample;
            }
            target[i] = static_cast<u8>(last);
        }
    }
    lastValue_ = last;

    if (!queuedMode_) {
        AdvanceSlot();
        Submit(filled);
        return;
    }
    u64 pending = submitted_ - completed_.load();
    const u64 limit = static_cast<u64>(std::max(1, bufferCount_ / 6));
    if (pending >= limit)
        return;
    AdvanceSlot();
    const bool ranDown = pending <= kCompletionKeeps;
    if (!SubmitCounted(filled) || !ranDown)
        return;
    // The player was about to starve: repeat this buffer until the queue is healthy.
    for (pending = submitted_ - completed_.load(); pending < kTopUpTo; ++pending) {
        CopyBuffer(filled, writeSlot_);
        if (!SubmitCounted(writeSlot_))
            break;
        AdvanceSlot();
    }
}

void SoundBufferRing::OnBufferDone()
{
    ++completed_;
    // A conversion in progress will queue its own buffer: only count this one.
    std::unique_lock<std::mutex> guard(exclusion_, std::try_to_lock);
    if (!guard.owns_lock() || bytesPerBuffer_ <= 0 || bufferCount_ <= 0)
        return;
    u64 pending = submitted_ - completed_.load();
    const i32 newest = writeSlot_ == 0 ? bufferCount_ - 1 : writeSlot_ - 1;
    while (pending < kCompletionKeeps) {
        CopyBuffer(newest, writeSlot_);
        if (stopped_)
            break;
        if (!SubmitCounted(writeSlot_))
            break;
        AdvanceSlot();
        ++pending;
    }
}
