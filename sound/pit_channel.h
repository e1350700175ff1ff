// i8253 counter: one of the three counters of the programmable interval timer.
//
// Port (the group "DATA" from AttachDataPort): count bytes written, count or status
// bytes read, in the order the control word chose. Control words come through the timer
// device's shared "MODE" port (WriteMode):
//   bits 7-6  counter (3: read-back command, bits 5/4 clear latch count/status,
//             bits 3-1 select the counters)
//   bits 5-4  0 latch the count; 1 LSB only, 2 MSB only, 3 LSB then MSB
//   bits 3-1  mode 0-5 (6 and 7 count as 2 and 3)
//   bit 0     BCD: counts and reads are four decimal digits
// Status byte: bit 7 OUT, bit 6 null count (a written count not yet taken), bits 5-0
// the control word.
//
// Modes: 0 terminal count (OUT low until the count runs out), 1 retriggerable one-shot
// (started by a rising gate), 2 rate generator (one low input clock per period), 3
// square wave, 4 software strobe, 5 hardware strobe. A count of 0 counts the full range:
// 10000 in BCD; in binary it is held as 0xFFFF (65535 clocks) and reads as 0 until the
// counter moves.
//
// The counter is not stepped clock by clock: it keeps when its count started and how
// long one full count lasts in the host's time (nanoseconds of emulated time), and
// computes count, OUT and the periods that ended whenever it is touched (a port access,
// every bus tick, a gate change). Times are differences modulo 2^64, as the host's time
// wraps there, from a start kept recent; only the difference becomes a double. Rising
// edges of OUT while the output is enabled are offered as interrupts on the bound line
// at the next bus tick. The waveform fractions describe OUT for the counter's sound
// (pit_channel_sound.cpp).
//
// Wiring: the timer device (Pit8253) owns three counters; the machine sets each
// counter's input clock (2,000,000 Hz on the MSX-1; 2 MHz when none is set) and binds
// each "DATA" port (0x84, 0x85, 0x86 on the MSX-1). No machine drives the gate (it stays
// high) or binds the interrupt line.
//
// State, after "_DEV": "VER" u8 1, "SNDG" bool, with sound generation "SNDH", "SNDL",
// "SNDR" i64 and "SNDX" bool, then "ZCR" bool, "CR" u16, "CRT" u8, "CE" u16, "OL" u16,
// "RSTA", "LSTA", "CWR" u8, "LTCH", "INPT", "OUTP", "SGNL" bool, "DWRS", "DRDS" u8,
// "CRU" u16, "CEH", "CEL", "CEHX", "CELX" 8-byte doubles, "CER", "CES", "CECO", "LGAT",
// "MNOD" bool, "INTC" u32, "CEFF" i64, "STTM" 8-byte u64 (version 1; a double in
// version 0), "CETM" 8-byte double, "BFRQ" u32, "BFRO" u32 (pit_channel_state.cpp). A
// state is taken only whole and checked first.
#pragma once

#include <vector>

#include "base/types.h"
#include "emu/device.h"

// The counter's sound waveform during one bus tick.
struct PitSoundSegment {
    u8 changed = 0;        // the waveform changed: the render takes the lengths below
    u8 level = 0;          // level of the first phase
    u8 outputEnabled = 0;
    i64 highLength = 0;    // samples of a high or low phase; negative: endless
    i64 lowLength = 0;
    i64 remaining = 0;     // samples left in the current phase
};

class PitChannel : public Device {
public:
    static constexpr u32 kDefaultClock = 2000000;
    static constexpr u8 kNullCount = 0x40;

    PitChannel();
    ~PitChannel() override;

    // --- pit_channel.cpp ---
    bool Start(i32* rate) override;
    void Stop() override;
    // The group "DATA" on port; a negative port only withdraws it.
    bool AttachDataPort(i32 port);
    // The "IRQ" binding; a negative line binds none.
    bool AttachIrq(i32 line);
    // Stored only: nothing transfers.
    void AttachDma(i32 channel);
    static bool OnDataRead(void* context, u32 port, i32 size, u8* out, bool peek);
    static bool OnDataWrite(void* context, u32 port, i32 size, const u8* in);
    static bool OnUpdateEvent(Component* channel, u64* fireCount, u32* userWords);

    // True when the byte set a mode; false for a latch or read-back command.
    bool WriteMode(u8 control);
    void WriteData(u8 value);
    // A peek changes nothing: neither the read sequence nor the counter.
    u8 ReadData(bool peek);
    // Brings count and OUT to the host's current time.
    void Update();
    void SetGate(bool level);
    void SetOutputEnabled(bool enable);
    // OUT, null count and the control word; also kept as the status.
    u8 GetStatusByte();
    bool ReportCallsPerSecond();

    // --- pit_channel_sound.cpp ---
    // OUT as a sound stream of its own, one buffer late (the "SoundEvent" timer). Set
    // before Start; refused while running.
    bool SetSoundGeneration(bool on);
    static bool OnSoundEvent(Component* channel, i32* buffer, i32 count, i32 minimum, i32 maximum,
                             i32 buffersPerSecond, u32* userWords);
    // The waveform of this bus tick into its segment.
    void RecordSoundSegment();
    // The recorded segments into the buffer taken at the previous sound event.
    void RenderSoundSegments();

    void SetChannelIndex(i32 index) { index_ = index; }
    void SetInputClock(u32 hz) { inputClock_ = hz; }

    // --- pit_channel_menu.cpp ---
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    bool ValidateSettings(bool enabledOnly) override;
    void BuildMenu(OptionItem* menu, i32 kind) override;
    // Every trace (or break) switch the channel offers, for the timer's menu.
    void AddSetAllActions(OptionItem* item, bool trace, u8 value);

    // --- pit_channel_state.cpp ---
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // --- inspection ---
    i32 GetMode() const { return (cw_ >> 1) & 7; }
    bool GetOut() const { return out_; }
    bool GetGate() const { return gate_; }
    u16 GetCountRegister() const { return cr_; }
    u16 GetCountingElement() const { return ce_; }
    u32 GetPendingEdges() const { return pendingEdges_; }
    u32 GetRaisedCount() const { return raised_; }
    double GetPeriod() const { return period_; }
    u64 GetStartTime() const { return startTime_; }

    // Trace and break switches; the per-mode ones are indexed by the mode.
    enum Switch {
        kWriteMode, kReadMode, kWriteData, kReadData, kEnableSound, kDisableSound, kRaiseIrq, kSwitches
    };
    u8& Trace(Switch s) { return trace_[s]; }
    u8& Break(Switch s) { return break_[s]; }
    u8& TraceMode(i32 mode) { return traceModes_[mode & 7]; }
    u8& BreakMode(i32 mode) { return breakModes_[mode & 7]; }

private:
    enum Function { kIdle, kMode0, kMode1, kMode2, kMode3, kMode4, kMode5 };

    static Function FunctionOf(u8 control);
    // The mode's counter function at time now: OUT, the count and the periods ended.
    bool Count(u64 now, u16* count, u32* periods);
    bool CountMode0(u64 now, u16* count);
    bool CountMode1(u64 now, u16* count);
    bool CountPeriodic(u64 now, u16* count, u32* periods, bool square);
    bool CountStrobe(u64 now, u16* count, bool hardware);
    // Takes count n as the count in use from now; extra adds one input clock.
    void Load(u16 n, u64 now, bool extra);
    // Host time since the start; a start after now (which only a damaged state holds)
    // counts as one just made. Half the range of the time apart is "after".
    double Since(u64 now) const
    {
        return now - startTime_ < (u64{1} << 63) ? static_cast<double>(now - startTime_) : 0;
    }
    // Full counts since the start.
    double Elapsed(u64 now) const { return Since(now) / period_; }
    // Moves the start on by whole periods, all but one of those ended, that last a whole
    // number of time units: the time since it stays small and exact.
    void MoveOrigin(u64 now, i64 ended);
    void SetWave(double firstHigh, double firstLow, double nextHigh, double nextLow, bool startLevel);
    void ConstantHigh();
    void ConstantAtOut();
    void LatchCount();
    u16 Readable(u16 value) const;
    // OUT takes level; a rise counts an edge while the output is enabled.
    void SetOut(bool level);
    u64 Now() const;
    // The segment array goes; the render starts afresh.
    void DropSoundBuffer();
    u64 UnitsPerSecond() const;

    u8 trace_[kSwitches] = {};
    u8 break_[kSwitches] = {};
    u8 traceModes_[8] = {};         // modes 0-5 offered; 6 and 7 stay off
    u8 breakModes_[8] = {};
    i32 index_ = -1;                // 0, 1 or 2
    i32 irqLineNumber_ = -1;        // the bound line, -1 for none
    i64 dmaChannel_ = 0;            // stored by AttachDma
    bool dmaBound_ = false;
    u32 raised_ = 0;                // interrupts accepted since Start or the last report; wraps modulo 2^32
    bool soundGeneration_ = false;  // [SNDG]
    i32* soundBuffer_ = nullptr;    // the sound output's buffer, not owned
    i32 sampleCount_ = 0;           // samples in it
    i32 minValue_ = 0;              // the output's range
    i32 maxValue_ = 0;
    i32 buffersPerSecond_ = 0;
    i64 highLength_ = 0;            // [SNDH] render state, samples; negative: endless
    i64 lowLength_ = 0;             // [SNDL]
    i64 remaining_ = 0;             // [SNDR]
    std::vector<PitSoundSegment> segments_; // one per sample of the buffer
    bool segmentsValid_ = false;    // at least one segment was recorded
    bool renderLevel_ = false;      // [SNDX]
    u32 periodStartTick_ = 0;       // bus tick of the last sound event; the bus count wraps modulo 2^32

    Function function_ = kIdle;     // follows the control word's mode
    bool zeroCount_ = false;        // [ZCR] a written 0 stands as 0xFFFF
    u16 cr_ = 0;                    // [CR] count register (binary)
    u8 firstByte_ = 0;              // [CRT] LSB of a two-byte count
    u16 ce_ = 0;                    // [CE] counting element at the last update
    u16 ol_ = 0;                    // [OL] output latch
    u8 status_ = 0;                 // [RSTA] bit 6 null count; after a status latch, the status
    u8 latchedStatus_ = 0;          // [LSTA]
    u8 cw_ = 0;                     // [CWR] control word that set the mode
    bool latched_ = false;          // [LTCH] a count or status latch waits to be read
    bool gate_ = true;              // [INPT]
    bool outputEnabled_ = true;     // [OUTP]
    bool out_ = false;              // [SGNL] OUT
    u8 writeState_ = 0;             // [DWRS] 0 none, 1 LSB, 2 MSB, 3 LSB then MSB, 4 MSB due
    u8 readState_ = 0;              // [DRDS] 0-3 as the control word; bit 2 status latched
    u16 cru_ = 0;                   // [CRU] count of the running period
    double firstHigh_ = -1;         // [CEH] fractions of the period; -1: the phase does not end
    double firstLow_ = -1;          // [CEL]
    double nextHigh_ = -1;          // [CEHX]
    double nextLow_ = -1;           // [CELX]
    bool waveChanged_ = true;       // [CER]
    bool startLevel_ = false;       // [CES]
    bool square_ = false;           // [CECO]
    bool gateTaken_ = false;        // [LGAT] the gate's rise was used as a trigger
    bool noCount_ = true;           // [MNOD] no complete count since the mode was set
    u32 pendingEdges_ = 0;          // [INTC] rises of OUT not yet offered; a tick's worth, halved when refused
    i64 periodsCounted_ = 0;        // [CEFF] whole periods reported since startTime_: under 2^33 and a tick's worth
    u64 startTime_ = 0;             // [STTM] host time the count started, or whole periods later; wraps at 2^64
    double period_ = 0;             // [CETM] host time of one full count, under 2^46 ns at 1 Hz; 0: nothing counts
    u32 inputClock_ = 0;            // Hz
    u32 unitsPerSecond_ = 0;        // [BFRQ]
    u64 unitsSeen_ = 0;             // [BFRO] units per second at the last update
};
