// Z80: construction, reset, flag helpers and the out-of-line operand and stack accesses.
#include "cpu/z80_cpu.h"

#include <bit>

#include "cpu/z80_alu.h"

static_assert(std::endian::native == std::endian::little,
              "the 8-bit register views point into the 16-bit pairs");

Z80Cpu::Z80Cpu()
{
    SetName("CPU Z80");
    // 8-bit registers live inside their pairs: the high register is the pair's second byte.
    auto high = [](u16& pair) { return reinterpret_cast<u8*>(&pair) + 1; };
    auto low = [](u16& pair) { return reinterpret_cast<u8*>(&pair); };
    reg8ByCode_[0] = high(regs_.BC);
    reg8ByCode_[1] = low(regs_.BC);
    reg8ByCode_[2] = high(regs_.DE);
    reg8ByCode_[3] = low(regs_.DE);
    reg8ByCode_[4] = high(regs_.HL);
    reg8ByCode_[5] = low(regs_.HL);
    reg8ByCode_[6] = nullptr;   // (HL): every user reads memory itself
    reg8ByCode_[7] = &regs_.A;
    reg16ByCode_[0] = &regs_.BC;
    reg16ByCode_[1] = &regs_.DE;
    reg16ByCode_[2] = &regs_.HL;
    reg16ByCode_[3] = &regs_.SP;
    SetFrequency(kDefaultFrequency);
}

Z80Cpu::~Z80Cpu() = default;

bool Z80Cpu::Start(i32* rate)
{
    if (!CpuBase::Start(rate))
        return false;
    SetAddressMask(0xFFFF);
    fmsk_[0] = 0xFF;
    return true;
}

void Z80Cpu::Reset()
{
    CpuBase::Reset();   // drops a suspended instruction (PCYCL 0)
    const u8 pendingOpcode = regs_.pendingOpcode;
    const u16 pendingPC = regs_.pendingPC;
    regs_ = Z80Registers{};
    regs_.pendingOpcode = pendingOpcode;
    regs_.pendingPC = pendingPC;
    iff1_ = false;
    UpdateAttention();
}

void Z80Cpu::ResetProgramCounter()
{
    CpuBase::ResetProgramCounter();
    regs_.PC = 0;
}

u8 Z80Cpu::Add8(u8& a, u8 v)
{
    return z80::AddFlags(a, v, 0);
}

u8 Z80Cpu::Adc8(u8& a, u8 v, u8 carry)
{
    return z80::AddFlags(a, v, carry & 1);
}

u8 Z80Cpu::Sub8(u8& a, u8 v)
{
    return z80::SubFlags(a, v, 0);
}

u8 Z80Cpu::Sbc8(u8& a, u8 v, u8 carry)
{
    return z80::SubFlags(a, v, carry & 1);
}

u8 Z80Cpu::Cp8(u8 a, u8 v)
{
    return z80::CpFlags(a, v);
}

bool Z80Cpu::FetchByte(u8* out)
{
    if (!FetchFast<u8>(regs_.PC, out, nullptr))
        return false;
    ++regs_.PC;
    return true;
}

bool Z80Cpu::FetchWord(u16* out)
{
    if (!FetchFast<u16>(regs_.PC, out, nullptr))
        return false;
    regs_.PC += 2;
    return true;
}

bool Z80Cpu::Push16(u16 value)
{
    const u16 s = static_cast<u16>(regs_.SP - 2);
    if (!WriteFast<u16>(s, value))
        return false;
    regs_.SP = s;
    return true;
}

bool Z80Cpu::Pop16(u16* value)
{
    if (!ReadFast<u16>(regs_.SP, value))
        return false;
    regs_.SP += 2;
    return true;
}

bool Z80Cpu::Push8(u8 value)
{
    const u16 s = static_cast<u16>(regs_.SP - 1);
    if (!WriteFast<u8>(s, value))
        return false;
    regs_.SP = s;
    return true;
}

bool Z80Cpu::Pop8(u8* value)
{
    if (!ReadFast<u8>(regs_.SP, value))
        return false;
    ++regs_.SP;
    return true;
}
