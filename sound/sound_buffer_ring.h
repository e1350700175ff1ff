// Sound outputs: the ring of PCM buffers behind every sound stream.
//
// Every "SoundEvent" timer of the event bus owns a clone of the emulation core's output,
// opened with the channel's sample rate, a width of 8 or 16 bits and 50 buffers: one
// second of mono sound. Fifty times per emulated second the bus flips the stream's two
// mixing buffers (the channel renders 32-bit samples into the one handed out) and has
// the other one converted into the PCM buffer at the write slot, which is then queued
// on the player by the queue rule below.
//
//   kind            name           plays through
//   SoundBufferRing "No Sound"     nothing: Submit refuses, conversions just advance
//   WaveSoundOutput "WaveSound"    waveOut (wave_sound_output.h, Windows only)
//   DirectSoundOutput "DirectSound" a looping DirectSound buffer (direct_sound_output.h)
//
// Conversion: a mixing entry within [minimum, maximum] is written (its low 8 or 16
// bits) and becomes the last value; anything else, above all the empty marker of an
// entry the channel did not render, repeats the last value. Converted entries go back
// to the empty marker.
//
// Silence is the middle of the range, 128 in unsigned 8-bit PCM and 0 in signed
// 16-bit: the host sums the streams, and a stream resting at an end of its range would
// push the sum into clipping. A fresh ring and a silenced one hold it throughout.
//
// Queue rule (queued mode, waveOut), pending = submitted - completed:
//   conversion:  pending >= count / 6 (8 of 50): the slot keeps its data, nothing is
//                queued (the next conversion overwrites it); else the buffer is queued,
//                and when the queue had run down to 4 or less, copies of it follow until
//                5 are pending
//   completion:  while fewer than 4 are pending the newest buffer is queued again, so
//                a late producer leaves the player repeating the newest sound rather
//                than starving
//
// Threads: conversions run on the emulation worker; completions arrive from the player
// (WaveSound: its feeder thread). The two exclude each other: a conversion waits for a
// running completion, a completion that finds a conversion running only counts itself.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "base/types.h"
#include "emu/sound_stream.h"

class SoundBufferRing : public SoundStreamInterface {
public:
    // A mixing entry the channel has not rendered since its last conversion.
    static constexpr i32 kEmptySample = 0x7FFFFFFF;
    // The completion handler keeps at least this many buffers queued...
    static constexpr u64 kCompletionKeeps = 4;
    // ...and a conversion after a run-down queue tops it up to this many.
    static constexpr u64 kTopUpTo = 5;

    SoundBufferRing() = default;
    ~SoundBufferRing() override;

    SoundBufferRing(const SoundBufferRing&) = delete;
    SoundBufferRing& operator=(const SoundBufferRing&) = delete;

    // --- the bus's view (SoundStreamInterface) ---
    // A new, closed output of the same kind; outputs keep their owner window.
    SoundBufferRing* Clone() override;
    // total samples per second, width 8 or 16 bits, count buffers (count <= total; the
    // samples per buffer are total / count, truncated). False when already open.
    bool Open(i32 totalSamples, i32 width, i32 count) override;
    // Marks the ring stopped and fills every PCM buffer with silence.
    void Silence() override;
    // Toggles the mixing buffer and answers the new current one, for the channel to fill.
    i32* FlipBuffer(i32* count, i32* minimum, i32* maximum) override;
    i32* GetMixingBuffer(i32* count, i32* minimum, i32* maximum) override;
    // Converts the other mixing buffer into the write slot and queues it by the rule.
    void FillBuffer() override;

    // --- output kinds ---
    // Hands PCM buffer index to the player. The bare ring plays nothing.
    virtual bool Submit(i32 index);
    virtual void Close();
    virtual bool IsWindowless() const { return true; }
    virtual const char* GetName() const { return "No Sound"; }

    // The player finished one buffer.
    void OnBufferDone();

    // --- inspection ---
    bool IsOpen() const { return bufferCount_ > 0; }
    i32 GetTotalSamples() const { return totalSamples_; }
    i32 GetSampleWidth() const { return sampleWidth_; }
    i32 GetBufferCount() const { return bufferCount_; }
    i32 GetSamplesPerBuffer() const { return samplesPerBuffer_; }
    i32 GetBytesPerBuffer() const { return bytesPerBuffer_; }
    i32 GetWriteSlot() const { return writeSlot_; }
    i32 GetMinimum() const { return minimum_; }
    i32 GetMaximum() const { return maximum_; }
    // The sample value of silence: the middle of the range.
    i32 GetSilence() const { return minimum_ + (maximum_ - minimum_ + 1) / 2; }
    i32 GetLastValue() const { return lastValue_; }
    u64 GetSubmitted() const { return submitted_.load(); }
    u64 GetCompleted() const { return completed_.load(); }
    // Buffers queued on the player and not yet played; a consistent snapshot taken
    // between conversions and completions.
    u64 GetPending();
    bool IsStopped() const { return stopped_ != 0; }
    // PCM buffer index; null outside 0..count-1.
    const u8* GetBuffer(i32 index) const;
    u8* GetBuffer(i32 index);

protected:
    // A new, closed object of the most derived kind (Clone copies the owner window).
    virtual SoundBufferRing* MakeEmpty() const { return new SoundBufferRing(); }
    void CloseRing();
    void AdvanceSlot() { writeSlot_ = writeSlot_ + 1 >= bufferCount_ ? 0 : writeSlot_ + 1; }
    // Submit that counts a success.
    bool SubmitCounted(i32 index);
    void CopyBuffer(i32 from, i32 to);
    // Every PCM buffer to silence; the caller holds the exclusion.
    void FillSilence();
    std::mutex& Exclusion() { return exclusion_; }

    i32 totalSamples_ = 0;       // samples per second; the ring holds one second
    i32 sampleWidth_ = 0;        // 8 or 16
    i32 bufferCount_ = 0;        // 0 while closed
    std::unique_ptr<u8[]> pcm_;  // bufferCount_ buffers of bytesPerBuffer_ bytes
    i32 bytesPerBuffer_ = 0;     // 0 while closed
    i32 writeSlot_ = 0;          // the buffer the next conversion fills
    std::vector<i32> mixing_[2]; // A and B
    u8 currentMixing_ = 1;       // the one handed to the channel
    i32 minimum_ = 0;            // output range
    i32 maximum_ = 0;
    i32 samplesPerBuffer_ = 0;
    i32 lastValue_ = 0;          // last in-range sample converted
    std::atomic<u64> submitted_{0}; // buffers handed to the player; the player's 50 a second: never wraps
    std::atomic<u64> completed_{0}; // buffers it reported played
    u8 queuedMode_ = 1;          // 1: bounded queue (waveOut); 0: hand over at once
    u8 stopped_ = 0;             // set by Close and Silence, cleared by a conversion

private:
    // Held by a conversion, by Silence and Close, and by a completion that refills.
    std::mutex exclusion_;
};

// A sound output that plays through the host: it needs the main window as its owner.
class SoundOutput : public SoundBufferRing {
public:
    SoundOutput() = default;
    ~SoundOutput() override = default;

    bool IsWindowless() const override { return false; }
    // The main window's handle (HWND); null until the shell sets it.
    void SetOwnerWindow(void* window) { ownerWindow_ = window; }
    void* GetOwnerWindow() const { return ownerWindow_; }

    SoundBufferRing* Clone() override;

protected:
    SoundBufferRing* MakeEmpty() const override { return new SoundOutput(); }

private:
    void* ownerWindow_ = nullptr;
};
