// Unprefixed Z80 instructions, decoded at compile time from the opcode's fields
// x (bits 7-6), y (bits 5-3), z (bits 2-0), p (bits 5-4) and q (bit 3).
#pragma once

#include "cpu/z80_core.h"

Z80_INLINE bool Z80Core::Dispatch(u8 op)
{
    switch (op) {
#define Z80_MAIN_CASE(n) \
    case (n): \
        return Main<(n)>();
        Z80_CASE256(Z80_MAIN_CASE)
#undef Z80_MAIN_CASE
    }
    return true;
}

template <unsigned N>
Z80_INLINE bool Z80Core::Main()
{
    using namespace z80;
    constexpr int x = N >> 6, y = (N >> 3) & 7, z = N & 7, p = y >> 1, q = y & 1;

    if constexpr (x == 0) {
        if constexpr (z == 0) {
            if constexpr (y == 0) {            // NOP
                return true;
            } else if constexpr (y == 1) {     // EX AF,AF'
                Z80Registers& r = cpu_.regs_;
                const u8 ta = a, tf = f;
                a = r.A2;
                f = r.F2;
                r.A2 = ta;
                r.F2 = tf;
                return true;
            } else if constexpr (y == 2) {     // DJNZ d
                u8 d;
                if (!Fetch8(d))
                    return false;
                const u8 b = static_cast<u8>((bc >> 8) - 1);
                Set8<0>(b);
                if (b != 0) {
                    pc = static_cast<u16>(pc + static_cast<i8>(d));
                    Extra(5);
                }
                return true;
            } else if constexpr (y == 3) {     // JR d
                u8 d;
                if (!Fetch8(d))
                    return false;
                pc = static_cast<u16>(pc + static_cast<i8>(d));
                return true;
            } else {                            // JR cc,d
                u8 d;
                if (!Fetch8(d))
                    return false;
                if (Cond<y - 4>()) {
                    pc = static_cast<u16>(pc + static_cast<i8>(d));
                    Extra(5);
                }
                return true;
            }
        } else if constexpr (z == 1) {
            if constexpr (q == 0) {            // LD rr,nn
                return Fetch16(Pair<p>());
            } else {                            // ADD HL,rr
                const u16 v = Pair<p>();
                f = Add16Flags(f, hl, v);
                return true;
            }
        } else if constexpr (z == 2) {
            if constexpr (N == 0x02) return Write8(bc, a);          // LD (BC),A
            else if constexpr (N == 0x12) return Write8(de, a);     // LD (DE),A
            else if constexpr (N == 0x0A) return Read8(bc, a);      // LD A,(BC)
            else if constexpr (N == 0x1A) return Read8(de, a);      // LD A,(DE)
            else {
                u16 nn;
                if (!Fetch16(nn))
                    return false;
                if constexpr (N == 0x22) return Write16(nn, hl);    // LD (nn),HL
                else if constexpr (N == 0x32) return Write8(nn, a); // LD (nn),A
                else if constexpr (N == 0x2A) return Read16(nn, hl);// LD HL,(nn)
                else return Read8(nn, a);                           // LD A,(nn)
            }
        } else if constexpr (z == 3) {         // INC rr / DEC rr
            if constexpr (q == 0) ++Pair<p>();
            else --Pair<p>();
            return true;
        } else if constexpr (z == 4 || z == 5) {
            if constexpr (y == 6) {            // INC (HL) / DEC (HL)
                u8 v;
                if (!Read8(hl, v))
                    return false;
                const u8 r = static_cast<u8>(z == 4 ? v + 1 : v - 1);
                if (!Write8(hl, r))
                    return false;
                f = z == 4 ? IncFlags(f, r) : DecFlags(f, v);
                return true;
            } else {                            // INC r / DEC r
                const u8 v = Get8<y>();
                const u8 r = static_cast<u8>(z == 4 ? v + 1 : v - 1);
                Set8<y>(r);
                f = z == 4 ? IncFlags(f, r) : DecFlags(f, v);
                return true;
            }
        } else if constexpr (z == 6) {
            u8 n;
            if (!Fetch8(n))
                return false;
            if constexpr (y == 6) return Write8(hl, n);             // LD (HL),n
            else {                                                  // LD r,n
                Set8<y>(n);
                return true;
            }
        } else {
            if constexpr (y == 0) {            // RLCA
                const u8 c = a >> 7;
                a = static_cast<u8>((a << 1) | c);
                f = static_cast<u8>((f & kKeepSZ53P) | c);
            } else if constexpr (y == 1) {     // RRCA
                const u8 c = a & 1;
                a = static_cast<u8>((a >> 1) | (c << 7));
                f = static_cast<u8>((f & kKeepSZ53P) | c);
            } else if constexpr (y == 2) {     // RLA
                const u8 c = a >> 7;
                a = static_cast<u8>((a << 1) | (f & kC));
                f = static_cast<u8>((f & kKeepSZ53P) | c);
            } else if constexpr (y == 3) {     // RRA
                const u8 c = a & 1;
                a = static_cast<u8>((a >> 1) | ((f & kC) << 7));
                f = static_cast<u8>((f & kKeepSZ53P) | c);
            } else if constexpr (y == 4) {     // DAA
                const u16 e = kDaaTable[a | ((f & kC) << 8) | ((f & kH) << 5) | ((f & kN) << 9)];
                a = static_cast<u8>(e >> 8);
                f = static_cast<u8>(e);
            } else if constexpr (y == 5) {     // CPL
                a = static_cast<u8>(~a);
                f |= kH | kN;
            } else if constexpr (y == 6) {     // SCF
                f = static_cast<u8>((f & kKeepSZ53P) | kC);
            } else {                            // CCF
                f = static_cast<u8>((f & kKeepSZ53P) | ((f & kC) << 4) | ((f & kC) ^ kC));
            }
            return true;
        }
    } else if constexpr (x == 1) {
        if constexpr (N == 0x76) {             // HALT: repeats until an interrupt
            pc = start_;
            SkipHaltPasses();
            return true;
        } else if constexpr (z == 6) {         // LD r,(HL)
            u8 v;
            if (!Read8(hl, v))
                return false;
            Set8<y>(v);
            return true;
        } else if constexpr (y == 6) {         // LD (HL),r
            return Write8(hl, Get8<z>());
        } else {                                // LD r,r'
            Set8<y>(Get8<z>());
            return true;
        }
    } else if constexpr (x == 2) {
        if constexpr (z == 6) {                // ALU A,(HL)
            u8 v;
            if (!Read8(hl, v))
                return false;
            Alu<y>(v);
        } else {                                // ALU A,r
            Alu<y>(Get8<z>());
        }
        return true;
    } else {
        if constexpr (z == 0) {                // RET cc
            if (Cond<y>()) {
                if (!PopPC())
                    return false;
                Extra(6);
            }
            return true;
        } else if constexpr (z == 1) {
            if constexpr (q == 0) {            // POP rr (AF for 3)
                u16 v;
                if (!Pop16(v))
                    return false;
                if constexpr (p == 3) {
                    a = static_cast<u8>(v >> 8);
                    f = static_cast<u8>(v);
                } else {
                    Pair<p>() = v;
                }
                return true;
            } else if constexpr (p == 0) {     // RET
                return PopPC();
            } else if constexpr (p == 1) {     // EXX
                Z80Registers& r = cpu_.regs_;
                const u16 tb = bc, td = de, th = hl;
                bc = r.BC2;
                de = r.DE2;
                hl = r.HL2;
                r.BC2 = tb;
                r.DE2 = td;
                r.HL2 = th;
                return true;
            } else if constexpr (p == 2) {     // JP (HL)
                pc = hl;
                return true;
            } else {                            // LD SP,HL
                sp = hl;
                return true;
            }
        } else if constexpr (z == 2) {         // JP cc,nn
            u16 nn;
            if (!Fetch16(nn))
                return false;
            if (Cond<y>())
                pc = nn;
            return true;
        } else if constexpr (z == 3) {
            if constexpr (y == 0) {            // JP nn
                u16 nn;
                if (!Fetch16(nn))
                    return false;
                pc = nn;
                return true;
            } else if constexpr (y == 1) {
                return ExecuteCB();
            } else if constexpr (y == 2) {     // OUT (n),A
                u8 n;
                if (!Fetch8(n))
                    return false;
                return PortOut(static_cast<u16>(n | (a << 8)), a);
            } else if constexpr (y == 3) {     // IN A,(n)
                u8 n, v;
                bool wait;
                if (!Fetch8(n) || !PortIn(static_cast<u16>(n | (a << 8)), v, wait))
                    return false;
                if (wait)
                    pc = start_;
                else
                    a = v;
                return true;
            } else if constexpr (y == 4) {     // EX (SP),HL
                u16 v;
                if (!Read16(sp, v) || !Write16(sp, hl))
                    return false;
                hl = v;
                return true;
            } else if constexpr (y == 5) {     // EX DE,HL
                const u16 t = de;
                de = hl;
                hl = t;
                return true;
            } else if constexpr (y == 6) {     // DI
                cpu_.iff1_ = false;
                cpu_.regs_.IFF2 = false;
                Attend();
                return true;
            } else {                            // EI: the next instruction runs first
                cpu_.iff1_ = true;
                cpu_.regs_.IFF2 = true;
                cpu_.interruptDelay_ = 1;
                Attend();
                return true;
            }
        } else if constexpr (z == 4) {         // CALL cc,nn
            u16 nn;
            if (!Fetch16(nn))
                return false;
            if (Cond<y>()) {
                if (!Push16(static_cast<u16>(pc)))
                    return false;
                pc = nn;
                Extra(7);
            }
            return true;
        } else if constexpr (z == 5) {
            if constexpr (q == 0) {            // PUSH rr (AF for 3)
                if constexpr (p == 3) return Push16(static_cast<u16>((a << 8) | f));
                else return Push16(Pair<p>());
            } else if constexpr (p == 0) {     // CALL nn
                u16 nn;
                if (!Fetch16(nn) || !Push16(static_cast<u16>(pc)))
                    return false;
                pc = nn;
                return true;
            } else if constexpr (p == 1) {
                return ExecuteIndexed<false>();
            } else if constexpr (p == 2) {
                return ExecuteED();
            } else {
                return ExecuteIndexed<true>();
            }
        } else if constexpr (z == 6) {         // ALU A,n
            u8 n;
            if (!Fetch8(n))
                return false;
            Alu<y>(n);
            return true;
        } else {                                // RST y*8; the interrupt lines take no
            if (!Push16(static_cast<u16>(pc)))  // restart codes, so none is asked here
                return false;
            pc = static_cast<u16>(y * 8);
            return true;
        }
    }
}
