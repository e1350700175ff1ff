// AY-3-891X tone generator: one of the chip's three channels (A, B or C) as a sound
// channel of its own.
//
// The device logs every change of what a channel plays as one 36-byte record (tag 0,
// nine little-endian i32):
//   +0  tone period 1..4095       +4  amplitude 0..31 (bit 4: envelope)
//   +8  noise period 1..31        +12 envelope period 1..65535
//   +16 envelope shape 0..15; a write of register 13 logs the shape's bitwise NOT
//       (-1..-16), which restarts the envelope even when the shape is the same
//   +20 tone off 0/1              +24 noise off 0/1
//   +28 tone trigger              +32 envelope trigger
// A trigger is -1 in the record logged by the fine (low) byte of a period, +1 by the
// coarse (high) byte, else 0. Shared registers (noise, envelope, mixer) are logged into
// all three channels, so each keeps its own copy.
//
// Timing, with T the tone clock (the CPU clock / 16, 223722 Hz on the MSX-1, where the
// chip itself runs at the CPU clock / 2 = 8 T) and R the sample rate:
//   tone      half period  P / T           (P = 254: 440 Hz)
//   noise     shift period 2 NP / T        (the noise counter runs at half the tone rate)
//   envelope  one ramp     32 EP / T       (the datasheet's 256 EP / fclock; the
//                                           YM-2149F takes 32 steps in the same time)
// all counted in whole samples, at least one. The first byte of a two-byte period that
// is followed by the second within two samples is never heard (the hold test).
//
// Noise: a 17-bit shift register, fed back from bits 0 and 2 (XOR) into bit 16; the
// noise output flips whenever bits 0 and 1 differ at a step. Mixer: the output is high
// when (tone or tone off) and (noise or noise off).
//
// Envelope: each shape is a four-character program, one character per segment:
//   '/' ramp up, '\' ramp down, '_' hold the bottom, '\'' hold the top
// ("_" and "'" repeat themselves). The envelope only advances while it is heard.
//
// Levels: a stream rests at the middle of the output's range (the output's own rest
// value), and the chip's logarithmic curve rises from there by at most a third of the
// half range, so that the host can sum the chip's three unipolar streams without
// clipping. Fixed amplitudes use the 16-step AY-3-891X curve; in YamahaMode the envelope
// uses the 32-step YM-2149F curve.
//
// State, after the channel's "_DEV" and "_SNDCH": "VER" u8 0; "TNSK", "ENSK" bool;
// "CDPR" .. "CDET" the record; "TDVA", "TDCN", "TDTO", "TDVL", "TDDI", "NDVA", "NDCN",
// "NDTO", "NDVL", "NDDI", "NDML", "ENVP", "ENVS", "ENCN", "ENTO", "ENFL", "ENTL",
// "ENSP", "ENAC" i32; "ENSH" i32 program (the shape index, 16 for none); "VDVA",
// "VDL0", "VDL1" i32; "LVLD" 192-byte blob (16 fixed and 32 envelope levels, i32 LE).
// A state is taken only whole: counts, indices and lengths are checked first. A missing
// program stays missing until the envelope's next step takes the shape's.
#pragma once

#include "base/types.h"
#include "sound/sound_channel.h"

// The logged record.
struct Ay3891xRecord {
    static constexpr u32 kSize = 36;

    i32 tonePeriod = 1;
    i32 amplitude = 0;
    i32 noisePeriod = 1;
    i32 envelopePeriod = 1;
    i32 shape = 0;            // negative: ~shape, restart the envelope
    i32 toneOff = 1;
    i32 noiseOff = 1;
    i32 toneTrigger = 0;
    i32 envelopeTrigger = 0;

    void Encode(u8* out) const;
    static Ay3891xRecord Decode(const u8* in);
};

class Ay3891xSound : public SoundChannel {
public:
    static constexpr i32 kShapes = 16;
    // The envelope program of a shape (low 4 bits), also its name in traces and menus.
    static const char* ShapeName(i32 shape);

    Ay3891xSound();
    ~Ay3891xSound() override;

    // --- ay3891x_sound.cpp ---
    // Record, applied state and levels cleared; noise register and output 1.
    bool Start(i32* rate) override;
    void BuildTables(i32 minimum, i32 maximum) override;
    void ApplyRegisterEvent(const u8* payload, const u8* nextPayload, u64 time, u64 nextTime,
                            i64 cpuFrequency, i32 sampleRate) override;
    void RenderSamples(i32* out, i32 count) override;

    // --- ay3891x_sound_state.cpp ---
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // --- wiring by the device ---
    void SetFlagReferences(const u8* yamahaMode, const u8* disableNoise)
    {
        yamahaMode_ = yamahaMode ? yamahaMode : &ownFlag_;
        disableNoise_ = disableNoise ? disableNoise : &ownFlag_;
    }
    // The device's copy of what it last logged; LogRecord appends it and clears the
    // triggers and the restart mark.
    Ay3891xRecord& Record() { return st_.record; }
    void LogRecord();
    // Record and applied state take the same values without a log entry (device start).
    void Prime(const Ay3891xRecord& values);

    // --- inspection ---
    i32 GetToneLength() const { return st_.toneLength; }
    i32 GetNoiseLength() const { return st_.noiseLength; }
    i32 GetEnvelopeLength() const { return st_.envLength; }
    i32 GetEnvelopeShape() const { return st_.envShape; }
    i32 GetNoiseRegister() const { return st_.noiseRegister; }
    i32 GetFixedLevel(i32 i) const { return st_.fixedLevels[i & 15]; }
    i32 GetEnvelopeLevel(i32 i) const { return st_.envLevels[i & 31]; }
    bool HasProgram() const { return st_.program != nullptr; }

private:
    void StepTone();
    void StepNoise();
    void StepEnvelope();
    void RestartEnvelope(i32 shape);
    void ApplyAmplitude();

    u8 ownFlag_ = 0;
    const u8* yamahaMode_ = &ownFlag_;
    const u8* disableNoise_ = &ownFlag_;
    i32 topStep_ = 15;            // 15, or 31 in YamahaMode; fixed at Start

    // Everything a state holds, in its saved order (state keys in brackets), so that a
    // load can be read and checked whole before it replaces anything.
    struct State {
        bool toneHold = false;    // [TNSK] a half-written tone period is held back
        bool envHold = false;     // [ENSK] a half-written envelope period is held back
        Ay3891xRecord record;     // [CDPR .. CDET] what the device last logged
        i32 tonePeriod = 1;       // [TDVA] applied tone period, ~period while held back
        i32 toneLength = 0;       // [TDCN] samples per half period
        i32 toneCountdown = 0;    // [TDTO] samples left in the half period
        i32 toneOut = 0;          // [TDVL] 0 or 1
        i32 toneOff = 1;          // [TDDI] mixer bit: tone disabled
        i32 noisePeriod = 1;      // [NDVA] applied noise period
        i32 noiseLength = 0;      // [NDCN] samples per noise step
        i32 noiseCountdown = 0;   // [NDTO] samples until the next step
        i32 noiseOut = 1;         // [NDVL] 0 or 1
        i32 noiseOff = 1;         // [NDDI] mixer bit: noise disabled
        i32 noiseRegister = 1;    // [NDML] 17 bits
        i32 envPeriod = 1;        // [ENVP] applied envelope period, ~period while held back
        i32 envShape = 0;         // [ENVS] applied shape 0..15
        i32 envLength = 0;        // [ENCN] samples per segment
        i32 envCountdown = 0;     // [ENTO] samples left in the segment
        i32 segStart = 0;         // [ENFL] step at the start of the segment
        i32 segEnd = 0;           // [ENTL] step the segment moves towards
        const char* program = nullptr; // [ENSH] the shape's program, or none
        i32 segIndex = 0;         // [ENSP] 0..3 into the program
        i32 envMode = 0;          // [ENAC] amplitude bit 4
        i32 amplitude = 0;        // [VDVA] applied amplitude, 5 bits
        i32 level0 = 0;           // [VDL0] silence
        i32 fixedLevel = 0;       // [VDL1] level of the amplitude's low 4 bits
        i32 fixedLevels[16] = {}; // [LVLD] AY-3-891X curve
        i32 envLevels[32] = {};   // [LVLD] envelope curve
    };
    template <typename Visit> static bool VisitState(State& s, Visit visit);
    // A loaded state fits the render: lengths and countdowns, indices and levels.
    static bool IsConsistent(const State& s);

    State st_;
};
