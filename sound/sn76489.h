// SN76489 programmable sound generator: three square-wave tone channels and one noise
// channel behind a single write-only port.
//
// Port bytes:
//   1 cc t dddd   latch: channel cc, t = 1 volume / 0 tone or noise control, low 4 bits
//   0 x dddddd    data: the high 6 bits of the latched tone (or, when the latch names a
//                 volume or the noise control, that register again with these bits)
//   volume        attenuation dddd in 2 dB steps, 15 = off (volume = 15 - dddd)
//   tone          10-bit divider N: frequency = clock / (32 N); the counter of a divider
//                 0 runs through all 1024 steps, so 0 plays as 1024
//   noise control bit 2 white (1) or periodic (0); bits 0-1 shift rate clock/512,
//                 /1024, /2048, or 3: once per period of channel 2's tone, following its
//                 divider as it changes (falling and rising noise effects are made so)
//
// Emulated: the register decoding with trace and break per register (2c tone, 2c+1
// volume of channel c; 6 noise control, 7 noise volume), 2 dB volume steps, a 15-bit
// noise register restarted at 0x400 by every noise-control write (not by a change of
// channel 2's divider that the noise follows at rate 3), tone changes that arrive as a
// latch and a data byte within one sample applied as one, pitch exact to a fraction of
// a sample. Not emulated: the noise register's real taps (white noise uses bits 0 and
// 1), the output's filtering, except that a tone above hearing or above half the sample
// rate (which the filter leaves as its high level) plays as that steady level.
// Each channel is an 8-bit mono stream of its own that rests at the middle of the range
// and swings at most a quarter of the half range either side: the host sums the four
// streams, and four channels at full volume then just fill the range.
//
// Wiring: the machine adds the device, calls SetToneClock with the chip's input clock
// (the ColecoVision's 3579545 Hz) and hands every byte written to the chip's port to
// Write; or binds the write-only port group "PORTS" with AttachPort.
//
// State: the sound device's "_SNDD", then "LTCH" u8 the latch (0 before the first latch
// byte; a state without it loads with none, and a data byte then goes to channel 0's
// tone); each channel, after its square-wave blocks, "VER" u8 0, "LVLD" 64-byte blob
// (16 levels, i32 LE), "NOIS" bool, "NOIW" bool, "NOIC" i32.
#pragma once

#include "base/types.h"
#include "sound/sound_device.h"
#include "sound/square_sound_channel.h"

// One channel: the square wave plus the volume table and, on channel 3, the noise.
//
// The noise channel's tone is its shift period in tone-clock ticks, negative for white
// noise, with kFollowsTone2 added at rate 3. A record with a tone trigger comes from a
// noise-control write and restarts the register; one without (channel 2's divider
// changed under rate 3) only moves the shift rate.
class Sn76489Channel : public SquareSoundChannel {
public:
    // 15-bit noise register value after every noise-control write.
    static constexpr i32 kNoiseSeed = 0x400;
    // In the noise channel's tone: the shift period is channel 2's and follows it.
    static constexpr i32 kFollowsTone2 = 0x10000;

    // Tone-clock ticks per half period of a 10-bit tone divider.
    static constexpr i32 Divider(i32 n) { return (n & 0x3FF) ? (n & 0x3FF) : 0x400; }
    // The noise channel's tone as its shift period (ticks) and its rate-3 mark.
    static constexpr i64 NoiseMagnitude(i32 tone) { return tone < 0 ? -static_cast<i64>(tone) : tone; }
    static constexpr i32 ShiftPeriod(i32 tone) { return static_cast<i32>(NoiseMagnitude(tone) & 0xFFFF); }
    static constexpr bool FollowsTone2(i32 tone) { return (NoiseMagnitude(tone) & kFollowsTone2) != 0; }

    explicit Sn76489Channel(bool noise = false);
    ~Sn76489Channel() override;

    // --- sn76489_channel.cpp ---
    // Levels 0; periodic noise; register at its seed.
    bool Start(i32* rate) override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;
    // Level by volume: the middle of the range for 0 (silence), then 2 dB per step up to
    // just under a quarter of the half range above it at 15 (31 of 8-bit). The wave swings
    // that far either side of silence.
    void BuildTables(i32 minimum, i32 maximum) override;
    void ApplyRegisterEvent(const u8* payload, const u8* nextPayload, u64 time, u64 nextTime, i64 cpuFrequency,
                            i32 sampleRate) override;

    // The noise channel's phase step: shifts the register steps times.
    static void NoiseStep(SquareSoundChannel* channel, i32* phase, u32 steps);

    bool IsNoise() const { return noise_; }
    bool IsWhite() const { return white_; }
    i32 GetNoiseRegister() const { return noiseRegister_; }
    i32 GetLevelTable(i32 volume) const { return levels_[volume & 15]; }

private:
    // Half period, its fraction and the steady flag from the applied tone.
    void Retune(i32 sampleRate);
    // Retune, and the noise restarts.
    void Recompute(i32 sampleRate);
    // Both levels and the rest level from the table and the applied volume.
    void ApplyLevels();

    i32 levels_[16] = {};        // [LVLD] high level by volume 0..15; [0] is silence
    bool noise_ = false;         // [NOIS] channel 3
    bool white_ = false;         // [NOIW] white (true) or periodic noise
    i32 noiseRegister_ = kNoiseSeed; // [NOIC] 15 bits
};

class Sn76489Psg : public SoundDevice {
public:
    static constexpr i32 kChannels = 4;
    static constexpr i32 kNoiseChannel = 3;
    static constexpr i32 kRegisters = 8;

    Sn76489Psg();
    ~Sn76489Psg() override;

    // --- sn76489.cpp ---
    // "TraceWriteREG[r]" and "BreakWriteREG[r]" for the settings file, then the device's.
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    // Starts the channels; the latch clears.
    bool Start(i32* rate) override;
    // The chip's input clock in Hz; the channels count against clock / 16, rounded.
    bool SetToneClock(i32 hz) override;
    // The device's block and the latch; a latch byte without bit 7 is refused.
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;
    // One byte written to the chip's port. A break drops it.
    void Write(u8 value);
    // The write-only port group "PORTS": count ports from base, each decoding as Write.
    bool AttachPort(i64 base, i64 count);
    static bool PortWriteHandler(void* context, u32 port, i32 size, const u8* buffer);

    // --- sn76489_menu.cpp ---
    void BuildMenu(OptionItem* menu, i32 kind) override;

    // --- debugger and tests ---
    Sn76489Channel* GetPsgChannel(i32 index) const;
    u32 GetLatch() const { return latch_; }
    u8& TraceWriteRegister(i32 r) { return traceWriteReg_[r & 7]; }
    u8& BreakWriteRegister(i32 r) { return breakWriteReg_[r & 7]; }

private:
    u8 traceWriteReg_[kRegisters] = {};
    u8 breakWriteReg_[kRegisters] = {};
    i64 portBase_ = 0;   // first port of "PORTS"
    u32 latch_ = 0;      // [LTCH] the last latch byte that took effect
};
