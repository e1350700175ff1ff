// Square-wave channel: a two-level wave counted in samples, for the tone and noise
// channels of the sound chips.
//
// The chip logs tone and volume changes through SetTone and SetVolume as one 16-byte
// record (tag 0, little-endian i32s):
//   +0 tone   +4 volume   +8 tone trigger   +12 volume trigger
// A trigger is logged once with the change it came with and is 0 in every later record;
// what it means is the chip's. Turning a record into the half period, the two levels and
// the phase step is the chip's ApplyRegisterEvent; this base only renders.
//
// Render: the output is level 1 while phase bit 0 is set, else level 0; every half
// period (in samples) the phase toggles, or the chip's phase step (the noise shift
// register) replaces the toggle. A half period rarely holds a whole number of samples:
// its fraction (in 1/2^32 of a sample) is carried from one half period to the next, so
// that on average the wave keeps the chip's pitch exactly. A steady channel (a tone too
// high to render at the sample rate) outputs level 1 alone. A disabled channel outputs
// the rest level (the chip's silence) and keeps counting, so that enabling it again
// continues in phase. A half period of 0 or less renders level 0 and ends one half
// period per call.
//
// State, after "_DEV" and "_SNDCH": block "_SQSNDCH" with "VER" u8 0, then i32 each:
// "CDTN" tone, "CDVL" volume, "CDTT" tone trigger, "CDVT" volume trigger, "TDVA" applied
// tone, "TDCN" half period, "TDTO" samples left, "TDVL" phase, "VDVA" applied volume,
// "VDL0" level 0, "VDL1" level 1, "TDFP" the fractions carried (u32 bits). The fraction
// and the steady flag follow from the applied tone and the sample rate; the chip works
// them out again when it loads a state. The carried fractions do not: without them a
// loaded wave would drift from the saved one within a period.
#pragma once

#include "base/types.h"
#include "sound/sound_channel.h"

class SquareSoundChannel;

// Called instead of toggling the phase at the end of half periods: steps (at least 1) of
// them, all at once while the channel is silent, whose wave is not looked at meanwhile.
using PhaseStep = void (*)(SquareSoundChannel* channel, i32* phase, u32 steps);

// The logged record.
struct SquareRecord {
    static constexpr u32 kSize = 16;

    i32 tone = 0;
    i32 volume = 0;
    i32 toneTrigger = 0;
    i32 volumeTrigger = 0;

    void Encode(u8* out) const;
    static SquareRecord Decode(const u8* in);
};

class SquareSoundChannel : public SoundChannel {
public:
    SquareSoundChannel();
    ~SquareSoundChannel() override;

    // The channel start; then the record and the render state are cleared (the phase
    // step stays as the chip set it).
    bool Start(i32* rate) override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;
    void RenderSamples(i32* out, i32 count) override;

    // Log the record when the value changed or force is set.
    void SetTone(i32 value, i32 trigger, bool force);
    void SetVolume(i32 value, i32 trigger, bool force);

    void SetPhaseStep(PhaseStep step) { phaseStep_ = step; }

    // --- inspection ---
    i32 GetTone() const { return record_.tone; }
    i32 GetVolume() const { return record_.volume; }
    i32 GetHalfPeriod() const { return halfPeriod_; }
    i32 GetPhase() const { return phase_; }
    i32 GetLevel(i32 which) const { return which ? level1_ : level0_; }

protected:
    // Logs the whole record, then clears both triggers.
    void LogRecord();

    // Fields in order; state keys in brackets.
    SquareRecord record_;      // [CDTN CDVL CDTT CDVT] last values given to the setters
    i32 appliedTone_ = 0;      // [TDVA] the tone the chip last applied
    i32 halfPeriod_ = 0;       // [TDCN] samples per half period; <= 0: no oscillation
    i32 samplesLeft_ = 0;      // [TDTO] samples left in the current half period
    i32 phase_ = 0;            // [TDVL] bit 0 selects the level
    i32 appliedVolume_ = 0;    // [VDVA] the volume the chip last applied
    i32 level0_ = 0;           // [VDL0] sample value while the phase is 0
    i32 level1_ = 0;           // [VDL1] sample value while the phase is 1
    i32 restLevel_ = 0;        // sample value while disabled; set by the chip with its tables
    u32 halfPeriodFraction_ = 0; // the half period's part of a sample beyond halfPeriod_, / 2^32
    u32 fractionPhase_ = 0;      // the fractions carried so far; a carry (its wrap) lengthens a half period
    bool steady_ = false;        // outputs level 1 without counting
    PhaseStep phaseStep_ = nullptr;

private:
    void EndHalfPeriod();
    // The next half period's length, with the fraction carried from the last.
    void RestartHalfPeriod();
    // The half periods that end within count samples of a silent wave: the count left
    // and the fractions carried move on as EndHalfPeriod moves them; the phase is left.
    u32 CountHalfPeriods(i32 count);
    template <typename Visit> bool VisitState(Visit visit);
};
