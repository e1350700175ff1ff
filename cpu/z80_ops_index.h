// The DD and FD sets (IX and IY from one source, chosen at compile time) and the
// DD CB / FD CB bit set. A second byte outside the set runs again as an unprefixed
// instruction (or a new prefix) at the next step, so only the last of a chain of
// prefixes takes effect.
#pragma once

#include "cpu/z80_core.h"

template <bool IsIY>
Z80_INLINE bool Z80Core::ExecuteIndexed()
{
    u8 op;
    if (!Fetch8(op))
        return false;
    ++rCount_;
    Charge(z80::kIndexCycles[op]);
    switch (op) {
#define Z80_INDEX_CASE(n) \
    case (n): \
        return Indexed<(n), IsIY>();
        Z80_CASE256(Z80_INDEX_CASE)
#undef Z80_INDEX_CASE
    }
    return true;
}

template <unsigned N, bool IsIY>
Z80_INLINE bool Z80Core::Indexed()
{
    using namespace z80;
    constexpr int x = N >> 6, y = (N >> 3) & 7, z = N & 7, p = y >> 1;
    u16& X = Index<IsIY>();

    if constexpr (N == 0x09 || N == 0x19 || N == 0x29 || N == 0x39) {   // ADD X,rr
        const u16 v = p == 2 ? X : Pair<p>();
        f = Add16Flags(f, X, v);
        return true;
    } else if constexpr (N == 0x21) {          // LD X,nn
        return Fetch16(X);
    } else if constexpr (N == 0x22) {          // LD (nn),X
        u16 nn;
        return Fetch16(nn) && Write16(nn, X);
    } else if constexpr (N == 0x2A) {          // LD X,(nn)
        return Fetch16Indirect(X);
    } else if constexpr (N == 0x23) {          // INC X
        ++X;
        return true;
    } else if constexpr (N == 0x2B) {          // DEC X
        --X;
        return true;
    } else if constexpr (N == 0x24 || N == 0x2C) {   // INC XH / XL
        const u8 r = static_cast<u8>(GetX8<y, IsIY>() + 1);
        SetX8<y, IsIY>(r);
        f = IncFlags(f, r);
        return true;
    } else if constexpr (N == 0x25 || N == 0x2D) {   // DEC XH / XL
        const u8 v = GetX8<y, IsIY>();
        SetX8<y, IsIY>(static_cast<u8>(v - 1));
        f = DecFlags(f, v);
        return true;
    } else if constexpr (N == 0x26 || N == 0x2E) {   // LD XH,n / XL,n
        u8 n;
        if (!Fetch8(n))
            return false;
        SetX8<y, IsIY>(n);
        return true;
    } else if constexpr (N == 0x34 || N == 0x35) {   // INC (X+d) / DEC (X+d)
        u16 ea;
        u8 v;
        if (!IndexAddress<IsIY>(ea) || !Read8(ea, v))
            return false;
        const u8 r = static_cast<u8>(N == 0x34 ? v + 1 : v - 1);
        if (!Write8(ea, r))
            return false;
        f = N == 0x34 ? IncFlags(f, r) : DecFlags(f, v);
        return true;
    } else if constexpr (N == 0x36) {          // LD (X+d),n
        u16 ea;
        u8 n;
        return IndexAddress<IsIY>(ea) && Fetch8(n) && Write8(ea, n);
    } else if constexpr (x == 1 && N != 0x76 && z == 6) {   // LD r,(X+d) with the real H, L
        u16 ea;
        u8 v;
        if (!IndexAddress<IsIY>(ea) || !Read8(ea, v))
            return false;
        Set8<y>(v);
        return true;
    } else if constexpr (x == 1 && N != 0x76 && y == 6) {   // LD (X+d),r with the real H, L
        u16 ea;
        return IndexAddress<IsIY>(ea) && Write8(ea, Get8<z>());
    } else if constexpr (x == 1 && N != 0x76 && (y == 4 || y == 5 || z == 4 || z == 5)) {
        SetX8<y, IsIY>(GetX8<z, IsIY>());      // LD with XH / XL
        return true;
    } else if constexpr (x == 2 && z == 6) {   // ALU A,(X+d)
        u16 ea;
        u8 v;
        if (!IndexAddress<IsIY>(ea) || !Read8(ea, v))
            return false;
        Alu<y>(v);
        return true;
    } else if constexpr (x == 2 && (z == 4 || z == 5)) {    // ALU A,XH / XL
        Alu<y>(GetX8<z, IsIY>());
        return true;
    } else if constexpr (N == 0xCB) {
        return ExecuteIndexCB<IsIY>();
    } else if constexpr (N == 0xE1) {          // POP X
        return Pop16(X);
    } else if constexpr (N == 0xE3) {          // EX (SP),X
        u16 v;
        if (!Read16(sp, v) || !Write16(sp, X))
            return false;
        X = v;
        return true;
    } else if constexpr (N == 0xE5) {          // PUSH X
        return Push16(X);
    } else if constexpr (N == 0xE9) {          // JP (X)
        pc = X;
        return true;
    } else if constexpr (N == 0xF9) {          // LD SP,X
        sp = X;
        return true;
    } else {
        return StepBack();
    }
}

// DD CB d o / FD CB d o: d and o are read together; the operand is the byte at X + d.
template <bool IsIY>
Z80_INLINE bool Z80Core::ExecuteIndexCB()
{
    u16 w;
    if (!Fetch16(w))
        return false;
    const u8 op = static_cast<u8>(w >> 8);
    const u16 ea = static_cast<u16>(Index<IsIY>() + static_cast<i8>(w & 0xFF));
    Charge(z80::kIndexCbCycles[op]);
    u8 v;
    if (!Read8(ea, v))
        return false;
    switch (op) {
#define Z80_INDEX_CB_CASE(n) \
    case (n): \
        return MemoryCB<(n)>(ea, v);
        Z80_CASE256(Z80_INDEX_CB_CASE)
#undef Z80_INDEX_CB_CASE
    }
    return true;
}
