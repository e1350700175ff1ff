// Z80 lookup tables, computed at compile time: flag tables and T-state counts.
#pragma once

#include <array>

#include "base/types.h"

namespace z80 {

// S and Z of a byte value: 0x80 when bit 7 is set, 0x40 when it is 0.
inline constexpr std::array<u8, 256> kSzTable = [] {
    std::array<u8, 256> t{};
    for (int v = 0; v < 256; ++v)
        t[v] = static_cast<u8>((v & 0x80) | (v == 0 ? 0x40 : 0));
    return t;
}();

// S, Z and P/V as parity: 0x04 when the value has an even number of 1 bits.
inline constexpr std::array<u8, 256> kSzpTable = [] {
    std::array<u8, 256> t{};
    for (int v = 0; v < 256; ++v) {
        int ones = 0;
        for (int b = 0; b < 8; ++b)
            ones += (v >> b) & 1;
        t[v] = static_cast<u8>(kSzTable[v] | ((ones & 1) ? 0 : 0x04));
    }
    return t;
}();

// DAA: index A + 256*C + 512*H + 1024*N; entry = new A << 8 | new F. The correction is
// 0x06 when the low nibble exceeds 9 or H was set, plus 0x60 when A exceeds 0x99 or C was
// set (which also sets the new C); it is added after an addition and subtracted after a
// subtraction. H after an addition: the low nibble exceeded 9; after a subtraction: H was
// set and the low nibble was below 6. Bits 5 and 3 follow the result (the one place they
// are computed).
inline constexpr std::array<u16, 2048> kDaaTable = [] {
    std::array<u16, 2048> t{};
    for (int i = 0; i < 2048; ++i) {
        const int a = i & 0xFF;
        const bool c = (i & 0x100) != 0;
        const bool h = (i & 0x200) != 0;
        const bool n = (i & 0x400) != 0;
        const int lo = a & 0x0F;
        int diff = 0;
        bool carry = c;
        if (h || lo > 9)
            diff |= 0x06;
        if (c || a > 0x99) {
            diff |= 0x60;
            carry = true;
        }
        const int r = (n ? a - diff : a + diff) & 0xFF;
        const bool hOut = n ? (h && lo < 6) : (lo > 9);
        const int f = kSzpTable[r] | (r & 0x28) | (hOut ? 0x10 : 0) | (n ? 0x02 : 0) | (carry ? 0x01 : 0);
        t[i] = static_cast<u16>((r << 8) | f);
    }
    return t;
}();

// T-states of the unprefixed opcodes, conditions not met (JR cc 7, DJNZ 8, RET cc 5,
// CALL cc 10, JP cc 10); a met condition adds its extra in the instruction. The prefixes
// CB, DD, ED and FD count 0: their own tables hold the whole instruction.
inline constexpr std::array<u8, 256> kMainCycles = {
//  0   1   2   3   4   5   6   7   8   9   A   B   C   D   E   F
    4, 10,  7,  6,  4,  4,  7,  4,  4, 11,  7,  6,  4,  4,  7,  4,   // 0x00
    8, 10,  7,  6,  4,  4,  7,  4, 12, 11,  7,  6,  4,  4,  7,  4,   // 0x10
    7, 10, 16,  6,  4,  4,  7,  4,  7, 11, 16,  6,  4,  4,  7,  4,   // 0x20
    7, 10, 13,  6, 11, 11, 10,  4,  7, 11, 13,  6,  4,  4,  7,  4,   // 0x30
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 0x40
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 0x50
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 0x60
    7,  7,  7,  7,  7,  7,  4,  7,  4,  4,  4,  4,  4,  4,  7,  4,   // 0x70
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 0x80
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 0x90
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 0xA0
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 0xB0
    5, 10, 10, 10, 10, 11,  7, 11,  5, 10, 10,  0, 10, 17,  7, 11,   // 0xC0
    5, 10, 10, 11, 10, 11,  7, 11,  5,  4, 10, 11, 10,  0,  7, 11,   // 0xD0
    5, 10, 10, 19, 10, 11,  7, 11,  5,  4, 10,  4, 10,  0,  7, 11,   // 0xE0
    5, 10, 10,  4, 10, 11,  7, 11,  5,  6, 10,  4, 10,  0,  7, 11,   // 0xF0
};

// CB set: 8 on a register, 15 for rotate, shift, RES and SET on (HL), 12 for BIT n,(HL).
inline constexpr std::array<u8, 256> kCbCycles = [] {
    std::array<u8, 256> t{};
    for (int op = 0; op < 256; ++op) {
        const bool memory = (op & 7) == 6;
        const bool bit = (op >> 6) == 1;
        t[op] = static_cast<u8>(!memory ? 8 : bit ? 12 : 15);
    }
    return t;
}();

// ED set: documented counts of the decoded instructions; 0 for every other code.
inline constexpr std::array<u8, 256> kEdCycles = [] {
    std::array<u8, 256> t{};
    for (int r = 0; r < 8; ++r) {
        t[0x40 + 8 * r] = 12;   // IN r,(C) and IN F,(C)
        t[0x41 + 8 * r] = 12;   // OUT (C),r and OUT (C),0
    }
    for (int p = 0; p < 4; ++p) {
        t[0x42 + 16 * p] = 15;  // SBC HL,rr
        t[0x4A + 16 * p] = 15;  // ADC HL,rr
        t[0x43 + 16 * p] = 20;  // LD (nn),rr
        t[0x4B + 16 * p] = 20;  // LD rr,(nn)
    }
    // In columns 4, 5 and 6 of rows 40-7F the chip ignores bits 5-3, or bit 5 for IM:
    // every code of column 4 is NEG, of column 5 RETN (4D is RETI, which acts the
    // same), of column 6 IM by bits 4-3 (IM 0, 0, 1, 2).
    for (int y = 0; y < 8; ++y) {
        t[0x44 + 8 * y] = 8;    // NEG
        t[0x45 + 8 * y] = 14;   // RETN, RETI
        t[0x46 + 8 * y] = 8;    // IM
    }
    t[0x47] = t[0x4F] = t[0x57] = t[0x5F] = 9;       // LD I,A / R,A / A,I / A,R
    t[0x67] = t[0x6F] = 18;     // RRD, RLD
    for (int row = 0xA0; row <= 0xB8; row += 8)
        for (int k = 0; k < 4; ++k)
            t[row + k] = 16;    // block transfer, compare, input, output
    return t;
}();

// DD/FD set: documented counts of the IX/IY instructions; 9 for every instruction on a
// half register (IXH, IXL, IYH, IYL); 0 for the codes that fall back to the unprefixed
// set, except 0x76, which charges 19 on its way back.
inline constexpr std::array<u8, 256> kIndexCycles = [] {
    std::array<u8, 256> t{};
    t[0x09] = t[0x19] = t[0x29] = t[0x39] = 15;   // ADD X,rr
    t[0x21] = 14;                                 // LD X,nn
    t[0x22] = t[0x2A] = 20;                       // LD (nn),X; LD X,(nn)
    t[0x23] = t[0x2B] = 10;                       // INC X; DEC X
    t[0x24] = t[0x25] = t[0x2C] = t[0x2D] = 9;    // INC/DEC XH, XL
    t[0x26] = t[0x2E] = 9;                        // LD XH,n; LD XL,n
    t[0x34] = t[0x35] = 23;                       // INC/DEC (X+d)
    t[0x36] = 19;                                 // LD (X+d),n
    for (int op = 0x40; op < 0x80; ++op) {
        const int dst = (op >> 3) & 7, src = op & 7;
        if (op == 0x76)
            t[op] = 19;
        else if (src == 6 || dst == 6)
            t[op] = 19;                           // LD r,(X+d); LD (X+d),r
        else if (dst == 4 || dst == 5 || src == 4 || src == 5)
            t[op] = 9;                            // LD with a half register
    }
    for (int op = 0x80; op < 0xC0; ++op) {
        const int src = op & 7;
        if (src == 6)
            t[op] = 19;                           // ALU A,(X+d)
        else if (src == 4 || src == 5)
            t[op] = 9;                            // ALU A,XH / XL
    }
    t[0xE1] = 14;                                 // POP X
    t[0xE3] = 23;                                 // EX (SP),X
    t[0xE5] = 15;                                 // PUSH X
    t[0xE9] = 8;                                  // JP (X)
    t[0xF9] = 10;                                 // LD SP,X
    return t;
}();

// DD CB / FD CB set by the fourth byte: 20 for BIT, 23 for the others (with or without
// the copy into a register).
inline constexpr std::array<u8, 256> kIndexCbCycles = [] {
    std::array<u8, 256> t{};
    for (int op = 0; op < 256; ++op)
        t[op] = static_cast<u8>((op >> 6) == 1 ? 20 : 23);
    return t;
}();

// T-states of an undefined ED code (77, 7F, and the codes below 40 or from 80 up outside
// the block instructions): both bytes are consumed, as two instruction fetches, and
// nothing else happens.
inline constexpr int kEdUndefinedCycles = 8;

} // namespace z80
