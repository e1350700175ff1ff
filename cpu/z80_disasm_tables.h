// Opcode tables of the Z80 disassembler and tracer.
//
// Each set is a table of mnemonic patterns indexed by the opcode byte. A pattern is
// plain text with $-tokens that the disassembler fills from the opcode's bit fields
// and from the operand it reads after the opcode:
//
//   $r  8-bit register of bits 5-3 ("[HL]" for code 6)   $s  the same for bits 2-0
//   $p  pair of bits 5-4 (BC DE HL SP)                     $q  the same for PUSH/POP (AF for 3)
//   $a  ALU operation of bits 5-3                          $c  condition of bits 5-3
//   $k  condition of bits 4-3 (JR cc)                      $b  bits 5-3 as a decimal digit
//   $n  byte operand      $w  word operand      $P  port (A in the high byte, operand low)
//   $e  signed displacement as a sign and a magnitude ("-02h"); $E the same, for use
//       after "(PC", whose placeholder carries the '+' ("(PC+sim8)")
//
// Until its operand has been read an operand token shows a placeholder ("im8", "im16",
// "sim8"), so a line whose operand cannot be read still names the instruction.
//
// The index sets (DD, FD) show their patterns literally: "XY" is the index register,
// "X"/"Y" its halves, "R8" a main register; their operands only count for the length.
#pragma once

#include <array>

#include "base/types.h"
#include "cpu/clock_interface.h"

namespace z80dasm {

// Operand that follows an unprefixed or ED opcode.
enum class Arg : u8 { None, Byte, Word, Rel, Port, Prefix };

// Trace text form of an unprefixed opcode (the forms are written by z80_tracer.cpp).
enum class Trace : u8 {
    None, Nop, LdPairImm, StorePairA, IncPair, DecPair, IncReg, DecReg, LdRegImm, RotA,
    ExAf, AddHl, LoadPairA, Djnz, Jr, JrCond, StoreHl, LoadHl, Daa, Cpl, StoreA, LoadA,
    Scf, Ccf, LdRegReg, Halt, AluReg, AluImm, RetCond, Ret, JpCond, CallCond, Jp, Call,
    Pop, Push, Rst, Out, In, Exx, ExSpHl, JpHl, ExDeHl, Di, Ei, LdSpHl,
};

struct MainOp {
    const char* pattern;
    Arg arg;
    u8 kind;
    Trace trace;
};

// Trace text form of an ED opcode; every other decoded ED form has none.
enum class EdTrace : u8 { None, In, Out };

struct EdOp {
    const char* pattern;  // null: not decoded
    Arg arg;
    EdTrace trace;
};

struct IndexOp {
    const char* pattern;  // null: no indexed form (the prefix is ignored by the CPU)
    u8 operandBytes;
    bool bitSet;          // DD CB / FD CB follows
};

inline constexpr const char* kReg8Names[8] = {"B", "C", "D", "E", "H", "L", "[HL]", "A"};
inline constexpr const char* kPairNames[4] = {"BC", "DE", "HL", "SP"};
inline constexpr const char* kStackPairNames[4] = {"BC", "DE", "HL", "AF"};
inline constexpr const char* kAluNames[8] = {"ADD", "ADC", "SUB", "SBC", "AND", "XOR", "OR", "CP"};
inline constexpr const char* kConditionNames[8] = {"NZ", "Z", "NC", "C", "PO", "PE", "P", "M"};

// Condition codes of bits 5-3: the flag tested and whether it must be set.
struct Condition {
    u8 mask;
    bool whenSet;
    char letter;          // upper case when the flag must be set
    const char* jump;     // trace words of JP/JR, CALL and RET
    const char* call;
    const char* ret;
};

inline constexpr Condition kConditions[8] = {
    {0x40, false, 'z', "jnz", "callnz", "retnz"},
    {0x40, true, 'Z', "jz", "callz", "retz"},
    {0x01, false, 'c', "jnc", "callnc", "retnc"},
    {0x01, true, 'C', "jc", "callc", "retc"},
    {0x04, false, 'p', "jnp", "callnp", "retnp"},
    {0x04, true, 'P', "jp", "callp", "retp"},
    {0x80, false, 's', "jns", "callns", "retns"},
    {0x80, true, 'S', "js", "calls", "rets"},
};

constexpr std::array<MainOp, 256> BuildMainOps() {
    std::array<MainOp, 256> t{};
    for (int op = 0; op < 256; ++op) {
        MainOp m{nullptr, Arg::None, 0, Trace::None};
        const int low3 = op & 7;
        const int mid = (op >> 3) & 7;
        if (op >= 0x40 && op < 0x80) {
            m = {"LD $r,$s", Arg::None, 0, Trace::LdRegReg};
        } else if (op >= 0x80 && op < 0xC0) {
            m = {"$a A,$s", Arg::None, 0, Trace::AluReg};
        } else if (op < 0x40) {
            switch (low3) {
            case 4: m = {"INC $r", Arg::None, 0, Trace::IncReg}; break;
            case 5: m = {"DEC $r", Arg::None, 0, Trace::DecReg}; break;
            case 6: m = {"LD $r,$n", Arg::Byte, 0, Trace::LdRegImm}; break;
            case 1:
                m = (mid & 1) ? MainOp{"ADD HL,$p", Arg::None, 0, Trace::AddHl}
                              : MainOp{"LD $p,$w", Arg::Word, 0, Trace::LdPairImm};
                break;
            case 3:
                m = (mid & 1) ? MainOp{"DEC $p", Arg::None, 0, Trace::DecPair}
                              : MainOp{"INC $p", Arg::None, 0, Trace::IncPair};
                break;
            default: break;
            }
        } else {
            switch (low3) {
            case 0: m = {"RET $c", Arg::None, kDisasmKindJump, Trace::RetCond}; break;
            case 2: m = {"JP $c $w", Arg::Word, kDisasmKindJump, Trace::JpCond}; break;
            case 4: m = {"CALL $c $w", Arg::Word, kDisasmKindCall, Trace::CallCond}; break;
            case 6: m = {"$a A,$n", Arg::Byte, 0, Trace::AluImm}; break;
            case 7: m = {"RST $b", Arg::None, kDisasmKindCall, Trace::Rst}; break;
            case 1:
                if (!(mid & 1)) m = {"POP $q", Arg::None, 0, Trace::Pop};
                break;
            case 5:
                if (!(mid & 1)) m = {"PUSH $q", Arg::None, 0, Trace::Push};
                break;
            default: break;
            }
        }
        t[op] = m;
    }
    t[0x00] = {"NOP", Arg::None, 0, Trace::Nop};
    t[0x02] = {"LD (BC),A", Arg::None, 0, Trace::StorePairA};
    t[0x12] = {"LD (DE),A", Arg::None, 0, Trace::StorePairA};
    t[0x0A] = {"LD A,(BC)", Arg::None, 0, Trace::LoadPairA};
    t[0x1A] = {"LD A,(DE)", Arg::None, 0, Trace::LoadPairA};
    t[0x07] = {"RLCA", Arg::None, 0, Trace::RotA};
    t[0x0F] = {"RRCA", Arg::None, 0, Trace::RotA};
    t[0x17] = {"RLA", Arg::None, 0, Trace::RotA};
    t[0x1F] = {"RRA", Arg::None, 0, Trace::RotA};
    t[0x08] = {"EX AF,AF'", Arg::None, 0, Trace::ExAf};
    t[0x10] = {"DJNZ $e", Arg::Rel, kDisasmKindJump, Trace::Djnz};
    t[0x18] = {"JR (PC$E)", Arg::Rel, kDisasmKindJump, Trace::Jr};
    for (int op : {0x20, 0x28, 0x30, 0x38}) t[op] = {"JR $k (PC$E)", Arg::Rel, kDisasmKindJump, Trace::JrCond};
    t[0x22] = {"LD ($w),HL", Arg::Word, 0, Trace::StoreHl};
    t[0x2A] = {"LD HL,($w)", Arg::Word, 0, Trace::LoadHl};
    t[0x32] = {"LD ($w),A", Arg::Word, 0, Trace::StoreA};
    t[0x3A] = {"LD A,($w)", Arg::Word, 0, Trace::LoadA};
    t[0x27] = {"DAA", Arg::None, 0, Trace::Daa};
    t[0x2F] = {"CPL", Arg::None, 0, Trace::Cpl};
    t[0x37] = {"SCF", Arg::None, 0, Trace::Scf};
    t[0x3F] = {"CCF", Arg::None, 0, Trace::Ccf};
    t[0x76] = {"HLT", Arg::None, kDisasmKindCall, Trace::Halt};
    t[0xC9] = {"RET", Arg::None, kDisasmKindJump, Trace::Ret};
    t[0xC3] = {"JP $w", Arg::Word, kDisasmKindJump, Trace::Jp};
    t[0xCD] = {"CALL $w", Arg::Word, kDisasmKindCall, Trace::Call};
    t[0xD3] = {"OUT ($P),A", Arg::Port, 0, Trace::Out};
    t[0xDB] = {"IN A,($P)", Arg::Port, 0, Trace::In};
    t[0xD9] = {"EXX", Arg::None, 0, Trace::Exx};
    t[0xEB] = {"EX DE,HL", Arg::None, 0, Trace::ExDeHl};
    t[0xE3] = {"EX (SP),HL", Arg::None, 0, Trace::ExSpHl};
    t[0xE9] = {"JP (HL)", Arg::None, kDisasmKindJump, Trace::JpHl};
    t[0xF3] = {"DI", Arg::None, 0, Trace::Di};
    t[0xFB] = {"EI", Arg::None, 0, Trace::Ei};
    t[0xF9] = {"LD SP,HL", Arg::None, 0, Trace::LdSpHl};
    for (int op : {0xCB, 0xDD, 0xED, 0xFD}) t[op] = {nullptr, Arg::Prefix, 0, Trace::None};
    return t;
}

constexpr std::array<EdOp, 256> BuildEdOps() {
    std::array<EdOp, 256> t{};
    for (int r = 0; r < 8; ++r) {
        if (r == 6) continue;
        t[0x40 + 8 * r] = {"IN $r,(BC)", Arg::None, EdTrace::In};
        t[0x41 + 8 * r] = {"OUT (BC),$r", Arg::None, EdTrace::Out};
    }
    t[0x70] = {"IN (BC)", Arg::None, EdTrace::In};
    t[0x71] = {"OUT (BC),0", Arg::None, EdTrace::Out};
    for (int p = 0; p < 4; ++p) {
        t[0x42 + 16 * p] = {"SBC HL,R16", Arg::None, EdTrace::None};
        t[0x4A + 16 * p] = {"ADC HL,R16", Arg::None, EdTrace::None};
        t[0x43 + 16 * p] = {"LD (nn),R16", Arg::Word, EdTrace::None};
        t[0x4B + 16 * p] = {"LD R16,(nn)", Arg::Word, EdTrace::None};
    }
    // Columns 4, 5 and 6 of rows 40-7F: NEG, RETN and IM at every code, as the CPU runs
    // them (4D is RETI; IM by bits 4-3).
    constexpr const char* kIm[4] = {"IM 0", "IM 0", "IM 1", "IM 2"};
    for (int y = 0; y < 8; ++y) {
        t[0x44 + 8 * y] = {"NEG A", Arg::None, EdTrace::None};
        t[0x45 + 8 * y] = {"RETN", Arg::None, EdTrace::None};
        t[0x46 + 8 * y] = {kIm[y & 3], Arg::None, EdTrace::None};
    }
    t[0x4D] = {"RETI", Arg::None, EdTrace::None};
    t[0x47] = {"LD I,A", Arg::None, EdTrace::None};
    t[0x4F] = {"LD R,A", Arg::None, EdTrace::None};
    t[0x57] = {"LD A,I", Arg::None, EdTrace::None};
    t[0x5F] = {"LD A,R", Arg::None, EdTrace::None};
    t[0x67] = {"RRD", Arg::None, EdTrace::None};
    t[0x6F] = {"RLD", Arg::None, EdTrace::None};
    // Block instructions: rows A0, A8, B0, B8; columns LD, CP, IN, OUT.
    constexpr const char* kBlock[4][4] = {
        {"LDI", "CPI", "INI", "OUTI"},
        {"LDD", "CPD", "IND", "OUTD"},
        {"LDIR", "CPIR", "INIR", "OTIR"},
        {"LDDR", "CPDR", "INDR", "OTDR"},
    };
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            t[0xA0 + 8 * row + col] = {kBlock[row][col], Arg::None, EdTrace::None};
    return t;
}

constexpr std::array<IndexOp, 256> BuildIndexOps() {
    std::array<IndexOp, 256> t{};
    t[0x09] = {"ADD XY,BC", 0, false};
    t[0x19] = {"ADD XY,DE", 0, false};
    t[0x29] = {"ADD XY,XY", 0, false};
    t[0x39] = {"ADD XY,SP", 0, false};
    t[0x21] = {"LD XY,im16", 2, false};
    t[0x22] = {"LD (im16),XY", 2, false};
    t[0x2A] = {"LD XY,(im16)", 2, false};
    t[0x23] = {"INC XY", 0, false};
    t[0x2B] = {"DEC XY", 0, false};
    t[0x24] = {"INC X", 0, false};
    t[0x25] = {"DEC X", 0, false};
    t[0x26] = {"LD X,im8", 1, false};
    t[0x2C] = {"INC Y", 0, false};
    t[0x2D] = {"DEC Y", 0, false};
    t[0x2E] = {"LD Y,im8", 1, false};
    t[0x34] = {"INC (XY+sim8)", 1, false};
    t[0x35] = {"DEC (XY+sim8)", 1, false};
    t[0x36] = {"LD (XY+sim8),n", 2, false};
    for (int op : {0x44, 0x4C, 0x54, 0x5C, 0x7C}) t[op] = {"LD R8,X", 0, false};
    for (int op : {0x45, 0x4D, 0x55, 0x5D, 0x7D}) t[op] = {"LD R8,Y", 0, false};
    for (int op : {0x46, 0x4E, 0x56, 0x5E, 0x66, 0x6E, 0x7E}) t[op] = {"LD R8,(XY+sim8)", 1, false};
    for (int op : {0x60, 0x61, 0x62, 0x63, 0x67}) t[op] = {"LD X,R8", 0, false};
    for (int op : {0x68, 0x69, 0x6A, 0x6B, 0x6F}) t[op] = {"LD Y,R8", 0, false};
    t[0x64] = {"NOP", 0, false};
    t[0x6D] = {"NOP", 0, false};
    t[0x65] = {"LD X,Y", 0, false};
    t[0x6C] = {"LD Y,X", 0, false};
    for (int op : {0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x77}) t[op] = {"LD (XY+sim8),R8", 1, false};
    // ALU rows 84-86 ... BC-BE: the half registers and the indexed byte.
    constexpr const char* kAlu[8][3] = {
        {"ADD A,X", "ADD A,Y", "ADD A,(XY+sim8)"}, {"ADC A,X", "ADC A,Y", "ADC A,(XY+sim8)"},
        {"SUB A,X", "SUB A,Y", "SUB A,(XY+sim8)"}, {"SBC A,X", "SBC A,Y", "SBC A,(XY+sim8)"},
        {"AND A,X", "AND A,Y", "AND A,(XY+sim8)"}, {"XOR A,X", "XOR A,Y", "XOR A,(XY+sim8)"},
        {"OR  A,X", "OR  A,Y", "OR  A,(XY+sim8)"}, {"CP  A,X", "CP  A,Y", "CP  A,(XY+sim8)"},
    };
    for (int alu = 0; alu < 8; ++alu)
        for (int k = 0; k < 3; ++k)
            t[0x84 + 8 * alu + k] = {kAlu[alu][k], u8(k == 2 ? 1 : 0), false};
    t[0xCB] = {nullptr, 2, true};
    t[0xE1] = {"POP XY", 0, false};
    t[0xE3] = {"EX (SP),XY", 0, false};
    t[0xE5] = {"PUSH XY", 0, false};
    t[0xE9] = {"JP (XY)", 0, false};
    t[0xF9] = {"LD SP,XY", 0, false};
    return t;
}

inline constexpr std::array<MainOp, 256> kMainOps = BuildMainOps();
inline constexpr std::array<EdOp, 256> kEdOps = BuildEdOps();
inline constexpr std::array<IndexOp, 256> kIndexOps = BuildIndexOps();

// CB patterns by bits 7-3 of the second byte: eight shifts, then BIT, RES and SET rows.
constexpr const char* CbPattern(u8 op) {
    constexpr const char* kShift[8] = {"RLC $s", "RRC $s", "RL $s", "RR $s",
                                       "SLA $s", "SRA $s", "SLL $s", "SRL $s"};
    constexpr const char* kBit[4] = {nullptr, "BIT $b,$s", "RES $b,$s", "SET $b,$s"};
    return op < 0x40 ? kShift[(op >> 3) & 7] : kBit[op >> 6];
}

}  // namespace z80dasm
