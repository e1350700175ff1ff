// Z80 arithmetic and logic: results and flags as pure functions.
//
// Each function answers the new F. Flag bits 5 and 3 are not computed from results:
// operations that keep part of F carry them along (kKeepSZ53P), every other operation
// leaves them 0. DAA (z80_tables.h) is the exception.
#pragma once

#include "base/types.h"
#include "cpu/z80_tables.h"

// Forced inline: the interpreter keeps its registers in locals, and a call taking one by
// reference would push it out to memory.
#if defined(__GNUC__) && defined(__OPTIMIZE__)
#define Z80_ALU_INLINE inline __attribute__((always_inline))
#else
#define Z80_ALU_INLINE inline
#endif

namespace z80 {

inline constexpr u8 kS = 0x80, kZ = 0x40, kH = 0x10, kPV = 0x04, kN = 0x02, kC = 0x01;
// S, Z, bits 5 and 3, P/V: what the accumulator rotates, SCF, CCF and ADD HL,rr keep.
inline constexpr u8 kKeepSZ53P = 0xEC;

// 8-bit addition: r = a + v + c. V when both operands have the same sign and the
// result's sign differs.
Z80_ALU_INLINE u8 AddFlags(u8& a, u8 v, u32 c)
{
    const u32 r = static_cast<u32>(a) + v + c;
    const u8 f = static_cast<u8>(((r >> 8) & kC) | kSzTable[r & 0xFF] | ((a ^ v ^ r) & kH) |
                                 (((~(a ^ v)) & (v ^ r) & 0x80) >> 5));
    a = static_cast<u8>(r);
    return f;
}

// 8-bit subtraction: r = a - v - c; C is the borrow. V when the operands' signs differ
// and the result's sign differs from a's.
Z80_ALU_INLINE u8 SubFlags(u8& a, u8 v, u32 c)
{
    const u32 r = static_cast<u32>(a) - v - c;
    const u8 f = static_cast<u8>(((r >> 8) & kC) | kSzTable[r & 0xFF] | ((a ^ v ^ r) & kH) |
                                 (((a ^ v) & (a ^ r) & 0x80) >> 5) | kN);
    a = static_cast<u8>(r);
    return f;
}

Z80_ALU_INLINE u8 CpFlags(u8 a, u8 v)
{
    return SubFlags(a, v, 0);
}

Z80_ALU_INLINE u8 IncFlags(u8 f, u8 r)   // r: the incremented value
{
    return static_cast<u8>((f & kC) | kSzTable[r] | ((r & 0x0F) == 0 ? kH : 0) | (r == 0x80 ? kPV : 0));
}

Z80_ALU_INLINE u8 DecFlags(u8 f, u8 v)   // v: the value before the decrement
{
    const u8 r = static_cast<u8>(v - 1);
    return static_cast<u8>((f & kC) | kSzTable[r] | ((v & 0x0F) == 0 ? kH : 0) | (v == 0x80 ? kPV : 0) | kN);
}

// ADD HL,rr (and IX, IY): S, Z, P/V, bits 5 and 3 kept; H from bit 11; C from bit 15.
Z80_ALU_INLINE u8 Add16Flags(u8 f, u16& a, u16 b)
{
    const u32 r = static_cast<u32>(a) + b;
    const u8 out = static_cast<u8>((f & kKeepSZ53P) | ((r >> 16) & kC) | (((a ^ b ^ r) >> 8) & kH));
    a = static_cast<u16>(r);
    return out;
}

Z80_ALU_INLINE u8 Adc16Flags(u16& a, u16 b, u32 c)
{
    const u32 r = static_cast<u32>(a) + b + c;
    const u8 out = static_cast<u8>(((r >> 16) & kC) | (((a ^ b ^ r) >> 8) & kH) |
                                   (((~(a ^ b) & (b ^ r)) >> 13) & kPV) | ((r & 0xFFFF) == 0 ? kZ : 0) |
                                   ((r >> 8) & kS));
    a = static_cast<u16>(r);
    return out;
}

Z80_ALU_INLINE u8 Sbc16Flags(u16& a, u16 b, u32 c)
{
    const u32 r = static_cast<u32>(a) - b - c;
    const u8 out = static_cast<u8>(((r >> 16) & kC) | (((a ^ b ^ r) >> 8) & kH) |
                                   ((((a ^ b) & (a ^ r)) >> 13) & kPV) | ((r & 0xFFFF) == 0 ? kZ : 0) |
                                   ((r >> 8) & kS) | kN);
    a = static_cast<u16>(r);
    return out;
}

// CB rotates and shifts by operation number (bits 5-3 of the opcode): RLC, RRC, RL, RR,
// SLA, SRA, SLL (a 1 shifted into bit 0), SRL. Answers the result; f gets the flags.
Z80_ALU_INLINE u8 RotateShift(int op, u8 v, u8& f)
{
    u8 r = 0, c = 0;
    switch (op & 7) {
    case 0: c = v >> 7; r = static_cast<u8>((v << 1) | c); break;
    case 1: c = v & 1; r = static_cast<u8>((v >> 1) | (c << 7)); break;
    case 2: c = v >> 7; r = static_cast<u8>((v << 1) | (f & kC)); break;
    case 3: c = v & 1; r = static_cast<u8>((v >> 1) | ((f & kC) << 7)); break;
    case 4: c = v >> 7; r = static_cast<u8>(v << 1); break;
    case 5: c = v & 1; r = static_cast<u8>((v >> 1) | (v & 0x80)); break;
    case 6: c = v >> 7; r = static_cast<u8>((v << 1) | 1); break;
    default: c = v & 1; r = static_cast<u8>(v >> 1); break;
    }
    f = static_cast<u8>(c | kSzpTable[r]);
    return r;
}

// BIT n,v: Z and P/V when the bit is 0, S only for bit 7 set, H set, C kept.
Z80_ALU_INLINE u8 BitFlags(u8 f, int bit, u8 v)
{
    return static_cast<u8>((f & kC) | kH | kSzpTable[v & (1u << bit)]);
}

} // namespace z80
