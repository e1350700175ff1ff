// The machine's time source: what every device sees of the processor.
//
// The first CPU of a system is its master clock. Devices read the time here (cycles and
// nanoseconds), add wait cycles, raise the non-maskable interrupt and schedule events
// that fire at exact cycles between instructions. CpuBase implements it; the Z80 adds
// its disassembler.
//
// Run-loop contract (the emulation core drives the main CPU this way):
//   clock->FindNextEvent();                                 once, before running
//   loop:  n = clock->Execute(min(budget, clock->CyclesToNextEvent()));
//          clock->CyclesToNextEvent() -= n;
//          if (clock->CyclesToNextEvent() <= 0) clock->RunDueEvents();
#pragma once

#include "base/types.h"

class ClockInterface;
class Component;
class StringA;

// Callback of a CPU event. target: the component that scheduled it; period: the repeat
// period in cycles, which the callback may change; userWords: the two words given to
// AddEvent. Answer true to keep the event (it repeats), false to end it.
using CpuEventCallback = bool (*)(Component* target, i32* period, u32* userWords, ClockInterface* clock);

// Bits of the kind word answered by Disassemble.
inline constexpr u32 kDisasmKindCall = 1; // CALL, RST, HALT: "step over" runs to the next instruction
inline constexpr u32 kDisasmKindJump = 2; // jumps and returns; every failed decode

class ClockInterface {
public:
    static constexpr i32 kNothingPending = 0x7FFFFFFF;

    virtual ~ClockInterface() = default;

    // --- processor control ---
    virtual void Reset() = 0;
    // 0 for a generic CPU base; the Z80 answers 2.
    virtual i32 GetCpuKind() const { return 0; }
    // As Reset, but keeps an instruction suspended across slices.
    virtual void ResetProgramCounter() = 0;
    // Runs for at most cycles T-states (0: one instruction); answers the T-states used.
    virtual i32 Execute(i32 cycles) = 0;
    // From inside Execute (a handler or callback): end the slice after the current
    // instruction. Answers GetPC().
    virtual u32 EndSlice() = 0;
    // From inside Execute: abandon the current instruction at its next access and end the
    // slice; it runs again in full next time. False outside Execute.
    virtual bool RequestStop() = 0;
    // Address of the instruction being executed (inside Execute), else the program counter.
    virtual u32 GetPC() const = 0;
    virtual void ExtNotify(u32 value) = 0;
    virtual void ExtFlush() = 0;

    // --- time ---
    // Cycles executed since Start, including the running slice so far.
    virtual u64 GetCycleCount() const = 0;
    virtual u32 GetAddressMask() const = 0;
    virtual void SetAddressMask(u32 mask) = 0;
    // Makes the CPU ask the interrupt lines before its next instruction.
    virtual void CheckInterrupts() = 0;
    virtual i32 GetNominalFrequency() const = 0;
    virtual bool SetFrequency(i32 hz) = 0;
    virtual i32 GetFrequency() const = 0;
    // Re-bases time so that it stays continuous and rescales pending events.
    virtual void ChangeFrequency(i32 hz) = 0;
    virtual i32 GetTicksPerSecond() const = 0;
    // Emulated time in nanoseconds.
    virtual u64 GetTime() const = 0;
    virtual bool IsNmiPending() const = 0;
    virtual bool SetNmiPending(bool pending) = 0;
    virtual bool ExtQuery(u32 a, u32 b, u32 c) = 0;
    virtual i32 ExtCount() = 0;
    // Wait states from a device: inside a slice they shorten it, outside they are added
    // to the clock. Answers the cycles added (converted when running off-frequency).
    virtual i32 AddCycles(i32 cycles) = 0;
    // True when time is counted in nanoseconds rather than cycles (no CPU does).
    virtual bool UsesTimeBase() const = 0;

    // --- debugger ---
    // Decodes the instruction at the current PC into seven text columns (address, hex,
    // mnemonic, flags, trace, two spares), the kind word and the seven column widths.
    // Answers the instruction length, 0 when the CPU is not running, -1 on failure.
    // Default: empties everything and answers 0.
    virtual i32 Disassemble(StringA& address, StringA& hex, StringA& mnemonic, StringA& flags,
                            StringA& trace, StringA& spare6, StringA& spare7, u32* kind, u32* width1,
                            u32* width2, u32* width3, u32* width4, u32* width5, u32* width6,
                            u32* width7);
    virtual void ExtPair(u32* a, u32* b) = 0;

    // --- events ---
    // Schedules callback(target, ...) every |period| cycles; a period of 0 or below makes
    // the first call due at once. name identifies the event in saved states.
    virtual bool AddEvent(i32 period, CpuEventCallback callback, Component* target, const char* name,
                          u32 userWord0, u32 userWord1) = 0;
    virtual void FindNextEvent() = 0;
    virtual void RunDueEvents() = 0;
    // Frequency at which event periods are counted: FREQ, or 1e9 with a time base.
    virtual i32 GetEffectiveFrequency() const = 0;

    // The memory space tells the main CPU about every block whose mapping changed
    // (0xFFFFFFFF: the whole memory is made anew). The CPUs read the block table afresh on
    // every access, so there is nothing to do.
    virtual void OnMemoryBlockChanged(u32 block) { (void)block; }

    // Cycles until the nearest pending event (kNothingPending when none); the run loop
    // counts it down itself and calls RunDueEvents when it reaches 0.
    i32& CyclesToNextEvent() { return cyclesToNextEvent_; }
    i32 CyclesToNextEvent() const { return cyclesToNextEvent_; }

protected:
    // 0 to kNothingPending between slices (a load refuses any other); a slice's overrun
    // takes it below 0 by at most an instruction until RunDueEvents sets it afresh.
    i32 cyclesToNextEvent_ = kNothingPending;
};
