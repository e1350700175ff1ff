// Z80Cpu: the Zilog Z80 of both machines ("CPU Z80"), an exact-cycle interpreter.
//
// Registers (Z80Registers; pairs hold the high register in the high byte):
//   A F  BC DE HL     main set            A' F' BC' DE' HL'   alternate set
//   PC SP IX IY       16 bits             IR                  I high, R low
//   IM                interrupt mode 0-2  IFF1 (CpuBase), IFF2
// Flags: S 0x80, Z 0x40, (bit 5), H 0x10, (bit 3), P/V 0x04, N 0x02, C 0x01.
//
// Emulated: every documented instruction, the undocumented IXH/IXL/IYH/IYL forms, SLL,
// the DD CB / FD CB register copies, IN F,(C) and OUT (C),0, the ED mirrors of NEG, RETN
// and IM (the other undefined ED codes are 8 T-state no-operations), exact T-states per
// instruction, R counting its low 7 bits at every opcode fetch (prefixes and interrupt
// acceptance included), NMI and interrupt modes 0, 1 and 2 with the EI delay.
// Not emulated: flag bits 5 and 3 follow the result only in DAA; elsewhere they are kept
// by the instructions that keep flags and cleared by the others. Memory contention and
// the M1 wait of some machines are not modelled.
//
// Slices: Execute runs whole instructions; an unprefixed instruction that does not fit
// the rest of the slice is suspended with the cycles paid so far (PCYCL, "PEOP", "PEPC")
// and finished in a later call, so a slice never overruns on it. Prefixed instructions
// always run to their end. HALT re-executes itself at 4 T-states a pass; while nothing
// can wake it within the slice, the passes up to the slice's end are taken in one step,
// R and the cycle count moving as the passes would have moved them.
//
// Wiring: the machine builds the CPU as a child of the system, sets its clock with
// SetFrequency and gives it the memory space, port space and interrupt lines through the
// device services. Interrupt sources raise a line (InterruptLines::SetLine), which makes
// the CPU poll QueryPending; the NMI is raised with SetNmiPending.
//
// Saved state: the "_DEV" and "_CPU" blocks (CpuBase), then the register keys
// (z80_state.cpp).
#pragma once

#include <bit>

#include "base/types.h"
#include "cpu/cpu_base.h"

class ObjectList;
class StringA;

struct Z80Registers {
    u8 A = 0, A2 = 0;          // accumulator and alternate            "A", "A2"
    u8 F = 0, F2 = 0;          // flags and alternate                  "FLAGS", "FLAGS2"
    u16 BC = 0, BC2 = 0;       // "BC", "BC2"
    u16 DE = 0, DE2 = 0;       // "DE", "DE2"
    u16 HL = 0, HL2 = 0;       // "HL", "HL2"
    u16 PC = 0;                // "PC"
    u16 SP = 0;                // "SP"
    u16 IX = 0, IY = 0;        // "IX", "IY"
    u16 IR = 0;                // I in the high byte, R in the low byte   "IR"
    u8 IM = 0;                 // interrupt mode 0, 1 or 2              "IRM"
    bool IFF2 = false;         // second interrupt flip-flop            "AHWI2"
    u8 pendingOpcode = 0;      // opcode of a suspended instruction     "PEOP"
    u16 pendingPC = 0;         // PC after that opcode's fetch          "PEPC"
};

class Z80Cpu : public CpuBase {
public:
    // Flag bits of F.
    static constexpr u8 kFlagS = 0x80;
    static constexpr u8 kFlagZ = 0x40;
    static constexpr u8 kFlag5 = 0x20;
    static constexpr u8 kFlagH = 0x10;
    static constexpr u8 kFlag3 = 0x08;
    static constexpr u8 kFlagPV = 0x04;
    static constexpr u8 kFlagN = 0x02;
    static constexpr u8 kFlagC = 0x01;

    static constexpr i32 kDefaultFrequency = 3500000;

    Z80Cpu();
    ~Z80Cpu() override;

    // --- device and clock (z80_cpu.cpp) ---
    bool Start(i32* rate) override;
    bool SaveState(Archive& archive) override;                        // z80_state.cpp
    bool LoadState(Archive& archive, LoadContext context) override;   // z80_state.cpp
    // Compact (two lines) or, with full, the register panel's eight lines.
    bool DumpRegisters(ObjectList& lines, bool full) override;        // z80_state.cpp
    void Reset() override;
    i32 GetCpuKind() const override { return 2; }
    void ResetProgramCounter() override;
    u32 GetPC() const override { return inExecute_ ? instructionStart_ : regs_.PC; }
    void SetAddressMask(u32 mask) override { addressMask_ = mask & 0xFFFF; }

    // --- execution (z80_execute.cpp) ---
    i32 Execute(i32 cycles) override;
    u32 EndSlice() override;
    bool RequestStop() override;

    // --- registers ---
    Z80Registers& Regs() { return regs_; }
    const Z80Registers& Regs() const { return regs_; }
    // The 8-bit register of an opcode's 3-bit field (0 B, 1 C, 2 D, 3 E, 4 H, 5 L, 7 A);
    // null for 6, which stands for (HL).
    u8* Reg8ByCode(int code) const { return reg8ByCode_[code & 7]; }
    // The pair of a 2-bit field (0 BC, 1 DE, 2 HL, 3 SP).
    u16* Reg16ByCode(int code) const { return reg16ByCode_[code & 3]; }
    // R as an instruction reads it.
    u8 GetR() const { return static_cast<u8>(regs_.IR); }
    void SetIff1(bool on)
    {
        iff1_ = on;
        UpdateAttention();
    }

    // --- flag helpers (pure; the disassembler's tracer uses them on copies) ---
    // Each answers the new F; Add8, Adc8, Sub8 and Sbc8 also store the result in a.
    static u8 Add8(u8& a, u8 v);
    static u8 Adc8(u8& a, u8 v, u8 carry);
    static u8 Sub8(u8& a, u8 v);
    static u8 Sbc8(u8& a, u8 v, u8 carry);
    static u8 Cp8(u8 a, u8 v);

    // --- operand and stack access of the interpreter's out-of-line paths ---
    // Read at PC and advance it; false (PC unchanged) when the access was abandoned.
    bool FetchByte(u8* out);
    bool FetchWord(u16* out);
    // SP moves only when both bytes were accessed.
    bool Push16(u16 value);
    bool Pop16(u16* value);
    bool Push8(u8 value);
    bool Pop8(u8* value);

    // --- interrupts (z80_interrupts.cpp) ---
    // Maskable interrupt entry for the given line and data byte; cycles gets the T-states.
    bool AcceptInterrupt(u32 line, u32 data, i32* cycles);
    // RST n (n = 0 to 7).
    bool Restart(u32 n, i32* cycles);
    // NMI entry; false with cycles 0 when none is pending.
    bool AcceptNmi(i32* cycles);

    // --- disassembler and tracer (z80_disasm*.cpp) ---
    i32 Disassemble(StringA& address, StringA& hex, StringA& mnemonic, StringA& flags, StringA& trace,
                    StringA& spare6, StringA& spare7, u32* kind, u32* width1, u32* width2,
                    u32* width3, u32* width4, u32* width5, u32* width6, u32* width7) override;
    bool DisasmFetchByte(u8* out);
    bool DisasmFetchWord(u16* out);
    bool TracePopWord(u16* out);
    bool DisassembleED(StringA& mnemonic, StringA& trace, u32* kind);
    bool DisassembleCB(StringA& mnemonic, StringA& trace, u32* kind);
    bool DisassembleIndexed(StringA& mnemonic, StringA& trace, u32* kind, u16& index, const char* name);
    bool DisassembleIndexCB(StringA& mnemonic, StringA& trace, u32* kind, u16& index, const char* name);

private:
    friend class Z80Core;

    // Slow paths of the interpreter (z80_execute.cpp): the interpreter keeps the
    // registers in locals and hands them over around these calls.
    // At an instruction boundary with an NMI pending or the interrupt check raised:
    // 1 when an interrupt was taken (cycles set), 0 when none, -1 when abandoned.
    int ServiceInterrupts(i32* cycles);
    int ServiceBoundary(i32* cycles);
    u8 PortRead(u16 port, bool* wait);
    void PortWrite(u16 port, u8 value);

    Z80Registers regs_;
    u8* reg8ByCode_[8];
    u16* reg16ByCode_[4];

    // Working fields of the disassembler.
    u16 disasmAddress_ = 0;     // next instruction byte to read
    u16 traceSp_ = 0;           // copy of SP that the tracer advances when previewing RET
    StringA hexDump_;           // instruction bytes read so far, upper-case hex
    i32 disasmCount_ = 0;       // instruction bytes read so far
};
