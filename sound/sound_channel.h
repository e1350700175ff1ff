// Sound channel: the base of every sound-producing channel of a sound chip.
//
// A chip computes no samples while the CPU runs. Each register write that changes the
// sound is appended to the channel's current write log, stamped with the main CPU's
// cycle count; fifty times per emulated second the channel's "SoundEvent" timer swaps
// the two logs and replays the finished one in order, rendering the samples between
// two writes with the state before the later one. Every channel plays through a sound
// output of its own (the event bus clones the core's output per timer), so a chip with
// four channels plays four mono streams and the host mixes them.
//
// Write log record (little-endian, records back to back):
//   +0  u64  main CPU cycle count of the write
//   +8  u32  payload length
//   +12 u32  tag, the writer's own (0: the square-wave tone and volume record)
//   +16      payload
//
// Replay of one period [S, N] into a buffer of L samples: a block at cycle T is applied
// after rendering up to sample trunc((T - S) * L / (N - S)); every distinct block time
// renders at least one sample while room remains, blocks at the same time render
// nothing between them, and the tail is rendered with the last state so that every
// period delivers exactly L samples. The buffer rendered is the one the timer handed
// over at its previous call: the output converts it right after this call returns. At
// the first call after Start or a state load there is none yet: the blocks are applied
// without rendering, and the next period starts at that call.
//
// What a chip provides: SetSampleBits before Start; BuildTables (fit its levels to the
// output's range, called before any block whenever the range changes);
// ApplyRegisterEvent (decode one block; a null payload only asks it to re-derive its
// state from new tables); RenderSamples (exactly count samples within the range).
//
// State, after "_DEV": block "_SNDCH" with "VER" u8 0, "BFRQ" i32 tone clock, "BFID" i32
// current log, "BFS0" i32 bytes of log 0, "BFD0" blob (only when BFS0 > 0), "BFS1",
// "BFD1" likewise, "CSTR" u64 period start, "CLSP" u64 last block time, "CLSC" u64 last
// rendered offset, "BCHN" bool pending (sound_channel_state.cpp).
//
// Threads: chip writes and renders both run on the emulation worker. The render lock is
// held around a whole render, the log lock around every log access; render lock first.
#pragma once

#include "base/fifo_stream.h"
#include "base/scoped_lock.h"
#include "base/types.h"
#include "emu/device.h"

class Component;

// The head of one write-log record; the payload follows it.
struct SoundLogBlock {
    static constexpr u32 kHeaderSize = 16;

    u64 cycles = 0;   // main CPU cycle count of the write
    u32 length = 0;   // payload bytes
    u32 tag = 0;      // chosen by the writer

    void Encode(u8* out) const;
    static SoundLogBlock Decode(const u8* in);
};

class SoundChannel : public Device {
public:
    static constexpr u64 kNothingRendered = ~u64{0};

    SoundChannel();
    ~SoundChannel() override;

    // --- device (sound_channel.cpp) ---
    // "EnableChannel" for the settings file, then the group's keys.
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    // Allocates both logs and registers the "SoundEvent" timer; false (and stopped)
    // when the device start or the timer fails.
    bool Start(i32* rate) override;
    // Stopped; both logs released. The timer stays until the bus stops.
    void Stop() override;
    // sound_channel_state.cpp
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // --- what a chip provides ---
    // 8 or 16 after rounding up; refused while running and above 16.
    virtual bool SetSampleBits(i32 bits);
    virtual void BuildTables(i32 minimum, i32 maximum);
    // payload: this block's (null: tables changed, re-derive); nextPayload: the next
    // block's or null; time: this block's cycle; nextTime: the next block's cycle or the
    // period end; cpuFrequency in Hz; sampleRate in samples per second.
    virtual void ApplyRegisterEvent(const u8* payload, const u8* nextPayload, u64 time, u64 nextTime,
                                    i64 cpuFrequency, i32 sampleRate) = 0;
    virtual void RenderSamples(i32* out, i32 count) = 0;

    // --- logging (sound_channel.cpp) ---
    // Appends a record stamped with the CPU's cycle count. A short append empties the
    // current log (every write of this period is lost) and answers false. True without
    // logging while stopped.
    bool AppendBlock(const void* payload, u32 length, u32 tag);

    // --- rendering (sound_channel_render.cpp) ---
    // The "SoundEvent" callback: renders the previous buffer, then takes this one.
    static bool FillCallback(Component* channel, i32* buffer, i32 count, i32 minimum, i32 maximum,
                             i32 callbackRate, u32* timerWords);
    // Renders one period into the buffer taken at the previous callback.
    void RenderBuffer(i32 sampleRate);

    // --- wiring by the owning sound device ---
    void SetEnableReference(u8* enable) { enableRef_ = enable ? enable : &ownEnable_; }
    void SetRateIndexReference(const i32* index) { rateIndexRef_ = index; }
    void SetToneClock(i32 hz) { toneClock_ = hz; }
    i32 GetToneClock() const { return toneClock_; }
    u8* GetEnableChannel() { return &enableChannel_; }
    // Samples per second the channel asks its output for: by the device's "SoundFreq"
    // index 1 = 44100, 2 = 22050, 3 = 16000, else 48000; 44100 without a device.
    i32 GetSampleRate() const;
    // Samples per second of the stream the channel renders into: the choice above as it
    // started, a loaded state's own rate after a load (the bus reopens the stream at it).
    i32 GetStreamRate() const { return streamRate_; }

    // --- inspection ---
    bool IsStopped() const { return stopped_ != 0; }
    bool IsPending() const { return pending_ != 0; }
    i32 GetSampleBits() const { return sampleBits_; }
    i32 GetCurrentLog() const { return currentLog_; }
    u64 GetLogFill(i32 log) const { return logs_[log & 1].GetFill(); }
    u64 GetPeriodStart() const { return periodStart_; }

protected:
    u64 CurrentCycle() const;
    i32 CpuFrequency() const;
    // Enabled when the channel's own switch and the device's are both on.
    bool IsSoundEnabled() const { return enableChannel_ != 0 && *enableRef_ != 0; }
    // Appends under the log lock (the caller holds neither lock).
    bool AppendLocked(const void* payload, u32 length, u32 tag);
    // Blocks with a shorter payload are taken as damaged and end the replay: the chip
    // reads its whole record from every payload it is given.
    void SetMinimumPayload(u32 bytes) { minPayload_ = bytes; }

private:
    // One record of the log being replayed.
    struct Block {
        u64 time = 0;
        const u8* payload = nullptr;
        u64 end = 0;   // offset just past it
    };
    // The complete record at offset, or false when it is cut short; time is read
    // whenever a header fits.
    bool ReadBlock(const u8* data, u64 held, u64 offset, Block* block, bool* haveTime) const;
    // Renders n samples at the write position and advances it.
    void RenderRun(i32 n);
    // After a load: the write position becomes the mixing buffer of this channel's
    // stream (sound_channel_state.cpp).
    void TakeUpMixingBuffer();

    // Fields in order; state keys in brackets.
    i32* writePos_ = nullptr;       // where the next sample goes; null until a buffer was given
    i32 bufferLength_ = 0;          // samples in that buffer
    i32 outMin_ = 0;                // the output's range, as last given by the callback
    i32 outMax_ = 0;
    i32 callbackRate_ = 0;          // sound callbacks per second
    FifoStream logs_[2];            // [BFS0/BFD0, BFS1/BFD1] write logs
    i32 currentLog_ = 0;            // [BFID] the log chip writes go into
    u64 periodStart_ = 0;           // [CSTR] cycle at which the last period ended; wraps as the CPU's count
    u64 lastBlockTime_ = 0;         // [CLSP] cycle of the last block applied, or the period end
    u64 lastRendered_ = kNothingRendered; // [CLSC] offset of the last block samples were rendered before, in this period
    i32 tableMin_ = 0;              // range of the last BuildTables
    i32 tableMax_ = 0;
    i32 sampleBits_ = 0;            // 0 until set; 8 or 16
    LockRecord renderLock_;
    LockRecord logLock_;
    u8 stopped_ = 1;                // nothing is logged or rendered while set
    u8 pending_ = 0;                // [BCHN] the current log holds unreplayed blocks
    u8 ownEnable_ = 1;
    u8* enableRef_ = &ownEnable_;   // the device's "EnableSound"
    u8 enableChannel_ = 1;          // "EnableChannel"
    const i32* rateIndexRef_ = nullptr; // the device's "SoundFreq" index
    i32 streamRate_ = 44100;        // the running stream's sample rate
    i32 toneClock_ = 1;             // [BFRQ] chip tone clock in Hz
    u32 minPayload_ = 0;            // the chip's record size
};
