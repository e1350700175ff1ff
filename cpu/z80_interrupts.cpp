// Z80 interrupt entry: NMI, modes 0, 1 and 2, the EI delay, leaving HALT.
//
// Taken between instructions only (the interpreter hands its registers over first).
// There is no halt state: HALT steps PC back onto itself, and an entry that finds the
// HALT byte at PC returns past it.
#include "cpu/z80_cpu.h"
#include "emu/interrupt_lines.h"

namespace {

constexpr u8 kHaltOpcode = 0x76;
constexpr i32 kNmiCycles = 11;
constexpr i32 kMode1Cycles = 13;
constexpr i32 kMode02Cycles = 19;
constexpr u32 kRestartCodes = 0xFFF0;   // restart n is offered to the lines as 0xFFF0 + n

// Interrupt acceptance is an opcode fetch of its own: R counts it.
void CountFetch(Z80Registers& regs)
{
    regs.IR = static_cast<u16>((regs.IR & 0xFF80) | ((regs.IR + 1) & 0x7F));
}

} // namespace

int Z80Cpu::ServiceInterrupts(i32* cycles)
{
    const int result = ServiceBoundary(cycles);
    UpdateAttention();
    return result;
}

int Z80Cpu::ServiceBoundary(i32* cycles)
{
    *cycles = 0;
    if (nmiPending_) {
        if (!AcceptNmi(cycles))
            return -1;
        return 1;
    }
    if (!(checkInterrupts_ && iff1_))
        return 0;
    if (interruptDelay_ > 0) {
        --interruptDelay_;
        return 0;
    }
    u32 extra = 0, line = 0, data = 0xFF;
    if (!interrupts_ || !interrupts_->QueryPending(false, &extra, &line, &data)) {
        checkInterrupts_ = false;   // asked again only when a line is raised
        return 0;
    }
    if (!AcceptInterrupt(line, data, cycles))
        return -1;   // not acknowledged: still pending at the next boundary
    interrupts_->QueryPending(true, &extra, &line, &data);
    interruptDelay_ = 3;
    return 1;
}

bool Z80Cpu::AcceptNmi(i32* cycles)
{
    *cycles = 0;
    if (!nmiPending_)
        return false;
    nmiPending_ = false;   // consumed even when the entry is abandoned
    UpdateAttention();
    CountFetch(regs_);
    u8 op = 0;
    if (!ReadFast<u8>(regs_.PC, &op))
        return false;
    const bool skippedHalt = op == kHaltOpcode;
    if (skippedHalt)
        ++regs_.PC;
    if (!Push16(regs_.PC)) {
        if (skippedHalt)
            --regs_.PC;
        return false;
    }
    regs_.PC = 0x0066;
    iff1_ = false;   // IFF2 keeps IFF1's old value for RETN
    UpdateAttention();
    *cycles = kNmiCycles;
    return true;
}

bool Z80Cpu::AcceptInterrupt(u32 line, u32 data, i32* cycles)
{
    *cycles = 0;
    u8 op = 0;
    if (!ReadFast<u8>(regs_.PC, &op))
        return false;
    CountFetch(regs_);
    const bool skippedHalt = op == kHaltOpcode;
    if (skippedHalt)
        ++regs_.PC;

    // A handler of the line may take the acceptance over: nothing is pushed, the
    // flip-flops stay as they are.
    u64 handlerCycles = 0;
    if (interrupts_ && interrupts_->CallAcknowledgeHandler(line, 0, 0, &handlerCycles)) {
        *cycles = static_cast<i32>(handlerCycles) + (regs_.IM == 1 ? kMode1Cycles : kMode02Cycles);
        return true;
    }

    bool ok = false;
    switch (regs_.IM) {
    case 1:
        ok = Push16(regs_.PC);
        if (ok) {
            regs_.PC = 0x0038;
            *cycles = kMode1Cycles;
        }
        break;
    case 2: {
        const u16 sp = regs_.SP;
        u16 vector = 0;
        ok = Push16(regs_.PC);
        if (ok && !ReadFast<u16>(static_cast<u32>((regs_.IR & 0xFF00) | (data & 0xFF)), &vector)) {
            regs_.SP = sp;
            ok = false;
        }
        if (ok) {
            regs_.PC = vector;
            *cycles = kMode02Cycles;
        }
        break;
    }
    default:
        // Mode 0 executes the byte on the data bus. Devices put an RST there (the idle
        // bus reads 0xFF, RST 38h); for any other byte PC takes its value, nothing is
        // pushed and the flip-flops stay.
        if ((data & 0xC7) == 0xC7) {
            i32 restartCycles = 0;
            ok = Restart((data >> 3) & 7, &restartCycles);
            if (ok)
                *cycles = kMode02Cycles + restartCycles;
        } else {
            regs_.PC = static_cast<u16>(data & 0xFF);
            *cycles = kMode02Cycles;
            return true;
        }
        break;
    }
    if (!ok) {
        if (skippedHalt)
            --regs_.PC;
        *cycles = 0;
        return false;
    }
    iff1_ = false;
    regs_.IFF2 = false;
    UpdateAttention();
    return true;
}

bool Z80Cpu::Restart(u32 n, i32* cycles)
{
    *cycles = 0;
    u64 handlerCycles = 0;
    if (interrupts_ && interrupts_->CallAcknowledgeHandler(kRestartCodes + n, 0, 0, &handlerCycles)) {
        *cycles = static_cast<i32>(handlerCycles);
        return true;
    }
    if (!Push16(regs_.PC))
        return false;
    regs_.PC = static_cast<u16>((n & 7) * 8);
    return true;
}
