// The CB and ED instruction sets. Each charges its own table (the prefix byte costs 0)
// and is never suspended at the end of a slice.
#pragma once

#include "cpu/z80_core.h"

// --- CB: rotates and shifts, BIT, RES, SET on a register or (HL) ---

Z80_INLINE bool Z80Core::ExecuteCB()
{
    u8 op;
    if (!Fetch8(op))
        return false;
    ++rCount_;
    Charge(z80::kCbCycles[op]);
    switch (op) {
#define Z80_CB_CASE(n) \
    case (n): \
        return CB<(n)>();
        Z80_CASE256(Z80_CB_CASE)
#undef Z80_CB_CASE
    }
    return true;
}

template <unsigned N>
Z80_INLINE bool Z80Core::CB()
{
    using namespace z80;
    constexpr int x = N >> 6, y = (N >> 3) & 7, z = N & 7;
    constexpr u8 bit = static_cast<u8>(1u << y);
    if constexpr (z == 6) {
        u8 v;
        return Read8(hl, v) && MemoryCB<N>(hl, v);
    } else {
        const u8 v = Get8<z>();
        if constexpr (x == 0) Set8<z>(RotateShift(y, v, f));
        else if constexpr (x == 1) f = BitFlags(f, y, v);
        else if constexpr (x == 2) Set8<z>(static_cast<u8>(v & ~bit));
        else Set8<z>(static_cast<u8>(v | bit));
        return true;
    }
}

template <unsigned N>
Z80_INLINE bool Z80Core::MemoryCB(u16 address, u8 value)
{
    using namespace z80;
    constexpr int x = N >> 6, y = (N >> 3) & 7, z = N & 7;
    constexpr u8 bit = static_cast<u8>(1u << y);
    if constexpr (x == 1) {                    // BIT: reads only; after DD / FD whatever the low bits
        f = BitFlags(f, y, value);
        return true;
    } else {
        u8 nf = f;
        u8 r;
        if constexpr (x == 0) r = RotateShift(y, value, nf);
        else if constexpr (x == 2) r = static_cast<u8>(value & ~bit);
        else r = static_cast<u8>(value | bit);
        if (!Write8(address, r))
            return false;
        f = nf;
        if constexpr (z != 6)                  // the undocumented copy into a register
            Set8<z>(r);
        return true;
    }
}

// --- ED ---

// IN r,(C); code 6 is IN F,(C): flags only. A port that answers wait repeats the
// instruction.
template <int R>
Z80_INLINE bool Z80Core::IN_r_iC()
{
    u8 v;
    bool wait;
    if (!PortIn(bc, v, wait))
        return false;
    if (wait) {
        pc = start_;
        return true;
    }
    f = static_cast<u8>((f & z80::kC) | z80::kSzpTable[v]);
    if constexpr (R != 6)
        Set8<R>(v);
    return true;
}

// OUT (C),r; code 6 is OUT (C),0.
template <int R>
Z80_INLINE bool Z80Core::OUT_iC_r()
{
    if constexpr (R == 6) return PortOut(bc, 0);
    else return PortOut(bc, Get8<R>());
}

// LDI, LDD, LDIR, LDDR: HL, DE and BC change only after both accesses completed.
template <int Dir, bool Repeat>
Z80_INLINE bool Z80Core::LDxx()
{
    u8 v;
    if (!Read8(hl, v) || !Write8(de, v))
        return false;
    hl = static_cast<u16>(hl + Dir);
    de = static_cast<u16>(de + Dir);
    --bc;
    f = static_cast<u8>((f & (z80::kS | z80::kZ | 0x28 | z80::kC)) | (bc != 0 ? z80::kPV : 0));
    if (Repeat && bc != 0)
        RepeatBlock();
    return true;
}

// CPI, CPD, CPIR, CPDR: A - (HL) with C kept; repeats until a match or BC = 0.
template <int Dir, bool Repeat>
Z80_INLINE bool Z80Core::CPxx()
{
    u8 v;
    if (!Read8(hl, v))
        return false;
    hl = static_cast<u16>(hl + Dir);
    --bc;
    const u8 r = static_cast<u8>(a - v);
    f = static_cast<u8>((f & z80::kC) | z80::kN | z80::kSzTable[r] | ((a ^ v ^ r) & z80::kH) |
                        (bc != 0 ? z80::kPV : 0));
    if (Repeat && bc != 0 && r != 0)
        RepeatBlock();
    return true;
}

// INI, IND, INIR, INDR: the repeating forms set Z and N on every pass.
template <int Dir, bool Repeat>
Z80_INLINE bool Z80Core::INxx()
{
    u8 v;
    bool wait;
    if (!PortIn(bc, v, wait))
        return false;
    if (wait) {
        pc = start_;
        return true;
    }
    if (!Write8(hl, v))
        return false;
    BlockIoStep<Dir, Repeat>();
    return true;
}

// OUTI, OUTD, OTIR, OTDR: the port is BC with B before its decrement.
template <int Dir, bool Repeat>
Z80_INLINE bool Z80Core::OUTxx()
{
    u8 v;
    if (!Read8(hl, v) || !PortOut(bc, v))
        return false;
    BlockIoStep<Dir, Repeat>();
    return true;
}

template <int Dir, bool Repeat>
Z80_INLINE void Z80Core::BlockIoStep()
{
    hl = static_cast<u16>(hl + Dir);
    const u8 b = static_cast<u8>((bc >> 8) - 1);
    Set8<0>(b);
    if constexpr (Repeat) {
        f |= z80::kZ | z80::kN;
        if (b != 0)
            RepeatBlock();
    } else {
        f = static_cast<u8>((f & ~z80::kZ) | z80::kN | (b == 0 ? z80::kZ : 0));
    }
}

Z80_INLINE bool Z80Core::ExecuteED()
{
    using namespace z80;
    u8 op;
    if (!Fetch8(op))
        return false;
    ++rCount_;
    Charge(kEdCycles[op]);
    Z80Registers& regs = cpu_.regs_;
    switch (op) {
    case 0x40: return IN_r_iC<0>();
    case 0x48: return IN_r_iC<1>();
    case 0x50: return IN_r_iC<2>();
    case 0x58: return IN_r_iC<3>();
    case 0x60: return IN_r_iC<4>();
    case 0x68: return IN_r_iC<5>();
    case 0x70: return IN_r_iC<6>();
    case 0x78: return IN_r_iC<7>();
    case 0x41: return OUT_iC_r<0>();
    case 0x49: return OUT_iC_r<1>();
    case 0x51: return OUT_iC_r<2>();
    case 0x59: return OUT_iC_r<3>();
    case 0x61: return OUT_iC_r<4>();
    case 0x69: return OUT_iC_r<5>();
    case 0x71: return OUT_iC_r<6>();
    case 0x79: return OUT_iC_r<7>();
    case 0x42: f = Sbc16Flags(hl, bc, f & kC); return true;        // SBC HL,rr
    case 0x52: f = Sbc16Flags(hl, de, f & kC); return true;
    case 0x62: f = Sbc16Flags(hl, u16{hl}, f & kC); return true;
    case 0x72: f = Sbc16Flags(hl, sp, f & kC); return true;
    case 0x4A: f = Adc16Flags(hl, bc, f & kC); return true;        // ADC HL,rr
    case 0x5A: f = Adc16Flags(hl, de, f & kC); return true;
    case 0x6A: f = Adc16Flags(hl, u16{hl}, f & kC); return true;
    case 0x7A: f = Adc16Flags(hl, sp, f & kC); return true;
    case 0x43: case 0x53: case 0x63: case 0x73: {                    // LD (nn),rr
        u16 nn;
        if (!Fetch16(nn))
            return false;
        const u16 v = op == 0x43 ? bc : op == 0x53 ? de : op == 0x63 ? hl : sp;
        return Write16(nn, v);
    }
    case 0x4B: return Fetch16Indirect(bc);                           // LD rr,(nn)
    case 0x5B: return Fetch16Indirect(de);
    case 0x6B: return Fetch16Indirect(hl);
    case 0x7B: return Fetch16Indirect(sp);
    // NEG, RETN and IM answer at every code of their columns (see kEdCycles).
    case 0x44: case 0x4C: case 0x54: case 0x5C:                      // NEG
    case 0x64: case 0x6C: case 0x74: case 0x7C: {
        u8 r = 0;
        f = SubFlags(r, a, 0);
        a = r;
        return true;
    }
    case 0x45: case 0x4D: case 0x55: case 0x5D:                      // RETN, RETI (4D)
    case 0x65: case 0x6D: case 0x75: case 0x7D:
        if (!PopPC())
            return false;
        cpu_.iff1_ = regs.IFF2;
        Attend();
        return true;
    case 0x46: case 0x4E: case 0x66: case 0x6E: regs.IM = 0; return true;
    case 0x56: case 0x76: regs.IM = 1; return true;
    case 0x5E: case 0x7E: regs.IM = 2; return true;
    case 0x47:                                                       // LD I,A
        regs.IR = static_cast<u16>((regs.IR & 0x00FF) | (a << 8));
        return true;
    case 0x4F:                                                       // LD R,A
        regs.IR = static_cast<u16>((regs.IR & 0xFF00) | a);
        rFolded_ = rCount_;
        return true;
    case 0x57:                                                       // LD A,I
        a = static_cast<u8>(regs.IR >> 8);
        f = static_cast<u8>((f & kC) | kSzTable[a] | (regs.IFF2 ? kPV : 0));
        return true;
    case 0x5F:                                                       // LD A,R
        a = ReadR();
        f = static_cast<u8>((f & kC) | kSzTable[a] | (regs.IFF2 ? kPV : 0));
        return true;
    case 0x67: case 0x6F: {                                          // RRD, RLD
        u8 m;
        if (!Read8(hl, m))
            return false;
        u8 na, nm;
        if (op == 0x67) {
            na = static_cast<u8>((a & 0xF0) | (m & 0x0F));
            nm = static_cast<u8>((m >> 4) | ((a & 0x0F) << 4));
        } else {
            na = static_cast<u8>((a & 0xF0) | (m >> 4));
            nm = static_cast<u8>((m << 4) | (a & 0x0F));
        }
        if (!Write8(hl, nm))
            return false;
        a = na;
        f = static_cast<u8>((f & kC) | kSzpTable[a]);
        return true;
    }
    case 0xA0: return LDxx<1, false>();
    case 0xA8: return LDxx<-1, false>();
    case 0xB0: return LDxx<1, true>();
    case 0xB8: return LDxx<-1, true>();
    case 0xA1: return CPxx<1, false>();
    case 0xA9: return CPxx<-1, false>();
    case 0xB1: return CPxx<1, true>();
    case 0xB9: return CPxx<-1, true>();
    case 0xA2: return INxx<1, false>();
    case 0xAA: return INxx<-1, false>();
    case 0xB2: return INxx<1, true>();
    case 0xBA: return INxx<-1, true>();
    case 0xA3: return OUTxx<1, false>();
    case 0xAB: return OUTxx<-1, false>();
    case 0xB3: return OUTxx<1, true>();
    case 0xBB: return OUTxx<-1, true>();
    default:                                                         // undefined: a no-operation
        Charge(kEdUndefinedCycles);
        return true;
    }
}
