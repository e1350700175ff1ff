// Trace texts of the Z80 disassembler (notation in z80_tracer.h).
//
// Writers are named after the opcode shapes of the interpreter; each one reads its values
// first (a failed peek answers false with nothing written) and then formats once.
#include "cpu/z80_tracer.h"

#include "base/string_a.h"
#include "cpu/z80_alu.h"
#include "cpu/z80_cpu.h"
#include "cpu/z80_disasm_tables.h"
#include "cpu/z80_tables.h"

using namespace z80dasm;

namespace {

struct AluOp {
    const char* word;
    const char* symbol;
    bool usesCarry;  // ADC, SBC show the carry they add or subtract
    bool compare;    // CP shows the flags instead of a result
};

constexpr AluOp kAluOps[8] = {
    {"add", "+", false, false}, {"adc", "+", true, false}, {"sub", "-", false, false},
    {"sbc", "-", true, false},  {"and", " & ", false, false}, {"xor", "^", false, false},
    {"or", "|", false, false},  {"cmp", "-", false, true},
};

constexpr const char* kShiftWords[8] = {"rol", "ror", "rcl", "rcr", "sal", "sar", "shl", "shr"};

// Rotates and shifts of odd operation number move right.
const char* Direction(int operation)
{
    return (operation & 1) ? ">>1" : "<<1";
}

const char* YesNo(bool holds)
{
    return holds ? "YES" : "no";
}

// Mark of a transfer: "+" or "-" when it will be taken to an address above or below the
// next instruction, nothing when it is not taken or lands on the next instruction.
const char* Mark(bool taken, u16 target, u16 next)
{
    if (!taken || target == next)
        return "";
    return target > next ? "+" : "-";
}

char Sign(u8 d)
{
    return d < 0x80 ? '+' : '-';
}

u32 Magnitude(u8 d)
{
    return d < 0x80 ? d : 0x100u - d;
}

bool Holds(const Condition& c, u8 f)
{
    return ((f & c.mask) != 0) == c.whenSet;
}

// The six letters S Z H P N C of a compare, upper case where the flag will be set.
void AppendFlagLetters(StringA& out, u8 f)
{
    constexpr struct { u8 bit; char set; char clear; } kLetters[6] = {
        {0x80, 'S', 's'}, {0x40, 'Z', 'z'}, {0x10, 'H', 'h'},
        {0x04, 'P', 'p'}, {0x02, 'N', 'n'}, {0x01, 'C', 'c'},
    };
    char text[7] = {};
    for (int i = 0; i < 6; ++i)
        text[i] = (f & kLetters[i].bit) ? kLetters[i].set : kLetters[i].clear;
    out.Append(text);
}

// The 8-bit operand of a register field: the register, or the byte at HL for code 6.
bool ReadReg8(Z80Cpu& cpu, int code, u8* value)
{
    if ((code & 7) == 6)
        return cpu.ReadMemory2(cpu.Regs().HL, value);
    *value = *cpu.Reg8ByCode(code);
    return true;
}

u16 Pair(Z80Cpu& cpu, u8 op)
{
    return *cpu.Reg16ByCode((op >> 4) & 3);
}

u16 StackPair(const Z80Registers& r, u8 op)
{
    const int code = (op >> 4) & 3;
    if (code == 3)
        return static_cast<u16>(r.A << 8 | r.F);
    return code == 0 ? r.BC : code == 1 ? r.DE : r.HL;
}

// ALU forms: head "word A<symbol><operand>=", then A, the operand and the result (the
// flag letters for CP). operandText is the register, "[HL=nnnnh]" or the immediate.
void AluTrace(StringA& out, const Z80Registers& r, int operation, const StringA& operandText, u8 v)
{
    const AluOp& alu = kAluOps[operation & 7];
    const u8 carry = r.F & Z80Cpu::kFlagC;
    u8 a = r.A;
    u8 f = 0;
    switch (operation & 7) {
    case 0: Z80Cpu::Add8(a, v); break;
    case 1: Z80Cpu::Adc8(a, v, carry); break;
    case 2: Z80Cpu::Sub8(a, v); break;
    case 3: Z80Cpu::Sbc8(a, v, carry); break;
    case 4: a = static_cast<u8>(a & v); break;
    case 5: a = static_cast<u8>(a ^ v); break;
    case 6: a = static_cast<u8>(a | v); break;
    default: f = Z80Cpu::Cp8(a, v); break;
    }
    out.Format("%s A%s%s=%.2lXh%s%.2lXh", alu.word, alu.symbol, operandText.CStr(), static_cast<u32>(r.A),
               alu.symbol, static_cast<u32>(v));
    if (alu.usesCarry)
        out.AppendFormat("%s%ld", alu.symbol, static_cast<i32>(carry));
    if (alu.compare) {
        out.Append(" ? ");
        AppendFlagLetters(out, f);
    } else {
        out.AppendFormat(":=%.2lXh", static_cast<u32>(a));
    }
}

} // namespace

namespace z80trace {

bool TraceMain(Z80Cpu& cpu, u8 op, u32 operand, u16 next, StringA& out)
{
    const Z80Registers& r = cpu.Regs();
    const MainOp& m = kMainOps[op];
    const u8 n = static_cast<u8>(operand);
    const u16 nn = static_cast<u16>(operand);
    const int dst = (op >> 3) & 7;
    const int src = op & 7;
    const u16 hl = r.HL;

    switch (m.trace) {
    case Trace::Nop:
        out.Assign("nop (skip)");
        return true;
    case Trace::LdPairImm:
        out.Format("%s:=%.4lXh", kPairNames[(op >> 4) & 3], static_cast<u32>(nn));
        return true;
    case Trace::StorePairA:
        out.Format("[%s]=[%.4lXh]:=(A=%.2lXh)", kPairNames[(op >> 4) & 3], static_cast<u32>(Pair(cpu, op)),
                   static_cast<u32>(r.A));
        return true;
    case Trace::LoadPairA: {
        const u16 address = Pair(cpu, op);
        u8 v = 0;
        if (!cpu.ReadMemory2(address, &v))
            return false;
        out.Format("A:=([%s]=[%.4lXh]=%.2lXh)", kPairNames[(op >> 4) & 3], static_cast<u32>(address),
                   static_cast<u32>(v));
        return true;
    }
    case Trace::IncPair:
    case Trace::DecPair: {
        const bool inc = m.trace == Trace::IncPair;
        const u16 v = static_cast<u16>(Pair(cpu, op) + (inc ? 1 : -1));
        out.Format(inc ? "inc %s+1:=%.4lXh" : "dec %s-1:=%.4lXh", kPairNames[(op >> 4) & 3],
                   static_cast<u32>(v));
        return true;
    }
    case Trace::IncReg:
    case Trace::DecReg: {
        const bool inc = m.trace == Trace::IncReg;
        u8 v = 0;
        if (!ReadReg8(cpu, dst, &v))
            return false;
        const u8 result = static_cast<u8>(v + (inc ? 1 : -1));
        if (dst == 6)
            out.Format("%s [HL=%.4lXh]%s=", inc ? "inc" : "dec", static_cast<u32>(hl), inc ? "+1" : "-1");
        else
            out.Format("%s %s%s=", inc ? "inc" : "dec", kReg8Names[dst], inc ? "+1" : "-1");
        out.AppendFormat(":=%.2lXh", static_cast<u32>(result));
        return true;
    }
    case Trace::LdRegImm:
        if (dst == 6)
            out.Format("[HL=%.4lXh]:=%.2lXh", static_cast<u32>(hl), static_cast<u32>(n));
        else
            out.Format("%s:=%.2lXh", kReg8Names[dst], static_cast<u32>(n));
        return true;
    case Trace::RotA: {
        // RLCA, RRCA, RLA, RRA are the CB rotates 0-3 on A with other flags.
        u8 f = r.F;
        const int operation = (op >> 3) & 3;
        const u8 result = z80::RotateShift(operation, r.A, f);
        out.Format("%s A%s=%.2lXh%s:=%.2lXh", kShiftWords[operation], Direction(operation),
                   static_cast<u32>(r.A), Direction(operation), static_cast<u32>(result));
        return true;
    }
    case Trace::ExAf:
        out.Format("xchg AF=%.4lXh, AF'=%.4lXh", static_cast<u32>(r.A << 8 | r.F),
                   static_cast<u32>(r.A2 << 8 | r.F2));
        return true;
    case Trace::AddHl: {
        const u16 v = Pair(cpu, op);
        out.Format("add HL+%s=%.4lXh+%.4lXh:=%.4lXh", kPairNames[(op >> 4) & 3], static_cast<u32>(hl),
                   static_cast<u32>(v), static_cast<u32>(static_cast<u16>(hl + v)));
        return true;
    }
    case Trace::Djnz:
    case Trace::Jr:
    case Trace::JrCond: {
        const u16 target = static_cast<u16>(next + static_cast<i8>(n));
        if (m.trace == Trace::Djnz) {
            const u8 b = static_cast<u8>((r.BC >> 8) - 1);
            out.Format("%sloop %c%.2lXh:=%.4lXh (B-1:=%.2lXh>0 ? %s)", Mark(b != 0, target, next), Sign(n),
                       Magnitude(n), static_cast<u32>(target), static_cast<u32>(b), YesNo(b != 0));
        } else if (m.trace == Trace::Jr) {
            out.Format("%s%s %c%.2lXh:=%.4lXh", Mark(true, target, next), "jmp", Sign(n), Magnitude(n),
                       static_cast<u32>(target));
        } else {
            const Condition& c = kConditions[(op >> 3) & 3];
            const bool holds = Holds(c, r.F);
            out.Format("%s%s %c%.2lXh:=%.4lXh (%c ? %s)", Mark(holds, target, next), c.jump, Sign(n),
                       Magnitude(n), static_cast<u32>(target), c.letter, YesNo(holds));
        }
        return true;
    }
    case Trace::StoreHl:
        out.Format("[%.4lXh]:=(HL=%.4lXh)", static_cast<u32>(nn), static_cast<u32>(hl));
        return true;
    case Trace::LoadHl: {
        u16 v = 0;
        if (!cpu.PeekWord(nn, &v))
            return false;
        out.Format("HL:=([%.4lXh]=%.4lXh)", static_cast<u32>(nn), static_cast<u32>(v));
        return true;
    }
    case Trace::Daa: {
        const u32 index = r.A | (r.F & Z80Cpu::kFlagC ? 0x100 : 0) | (r.F & Z80Cpu::kFlagH ? 0x200 : 0) |
                          (r.F & Z80Cpu::kFlagN ? 0x400 : 0);
        out.Format("daa (A=%.2lXh):=%.2lXh", static_cast<u32>(r.A), static_cast<u32>(z80::kDaaTable[index] >> 8));
        return true;
    }
    case Trace::Cpl:
        out.Format("not ~A:=%.2lXh", static_cast<u32>(static_cast<u8>(~r.A)));
        return true;
    case Trace::StoreA:
        out.Format("[%.4lXh]:=(A=%.2lXh)", static_cast<u32>(nn), static_cast<u32>(r.A));
        return true;
    case Trace::LoadA: {
        u8 v = 0;
        if (!cpu.ReadMemory2(nn, &v))
            return false;
        out.Format("A:=([%.4lXh]=%.2lXh)", static_cast<u32>(nn), static_cast<u32>(v));
        return true;
    }
    case Trace::Scf:
        out.Assign("C_FLAG:=1 (HF=NF=0)");
        return true;
    case Trace::Ccf:
        out.Format("C_FLAG^1:=%c (HF=NF=0)", (r.F & Z80Cpu::kFlagC) ? '0' : '1');
        return true;
    case Trace::LdRegReg: {
        u8 v = 0;
        if (!ReadReg8(cpu, src, &v))
            return false;
        if (dst == 6)
            out.Format("[HL]=[%.4lXh]:=(%s=%.2lXh)", static_cast<u32>(hl), kReg8Names[src], static_cast<u32>(v));
        else if (src == 6)
            out.Format("%s:=[HL]=[%.4lXh]=%.2lXh", kReg8Names[dst], static_cast<u32>(hl), static_cast<u32>(v));
        else
            out.Format("%s:=%s=%.2lXh", kReg8Names[dst], kReg8Names[src], static_cast<u32>(v));
        return true;
    }
    case Trace::Halt:
        out.Assign("halt (until h/w interrupt)");
        return true;
    case Trace::AluReg: {
        u8 v = 0;
        if (!ReadReg8(cpu, src, &v))
            return false;
        StringA operandText;
        if (src == 6)
            operandText.Format("[HL=%.4lXh]", static_cast<u32>(hl));
        else
            operandText.Assign(kReg8Names[src]);
        AluTrace(out, r, dst, operandText, v);
        return true;
    }
    case Trace::AluImm: {
        StringA operandText;
        operandText.Format("%.2lXh", static_cast<u32>(n));
        AluTrace(out, r, dst, operandText, n);
        return true;
    }
    case Trace::RetCond:
    case Trace::Ret: {
        u16 target = 0;
        if (!cpu.TracePopWord(&target))
            return false;
        if (m.trace == Trace::Ret) {
            out.Format("*%s %.4lXh", "ret", static_cast<u32>(target));
        } else {
            const Condition& c = kConditions[dst];
            const bool holds = Holds(c, r.F);
            out.Format("%s%s %.4lXh (%c ? %s)", Mark(holds, target, next), c.ret, static_cast<u32>(target),
                       c.letter, YesNo(holds));
        }
        return true;
    }
    case Trace::JpCond:
    case Trace::CallCond: {
        const Condition& c = kConditions[dst];
        const bool holds = Holds(c, r.F);
        out.Format("%s%s %.4lXh (%c ? %s)", Mark(holds, nn, next), m.trace == Trace::JpCond ? c.jump : c.call,
                   static_cast<u32>(nn), c.letter, YesNo(holds));
        return true;
    }
    case Trace::Jp:
    case Trace::Call:
        out.Format("*%s %.4lXh", m.trace == Trace::Jp ? "jmp" : "call", static_cast<u32>(nn));
        return true;
    case Trace::Pop: {
        u16 v = 0;
        if (!cpu.PeekWord(r.SP, &v))
            return false;
        out.Format("pop %s:=%.4lXh <=([SP]=[%.4lXh])+2", kStackPairNames[(op >> 4) & 3], static_cast<u32>(v),
                   static_cast<u32>(r.SP));
        return true;
    }
    case Trace::Push:
        out.Format("push %s=%.4lXh =>([SP-2]=[%.4lXh])", kStackPairNames[(op >> 4) & 3],
                   static_cast<u32>(StackPair(r, op)), static_cast<u32>(static_cast<u16>(r.SP - 2)));
        return true;
    case Trace::Rst:
        out.Format("*int %ld (%.2lXh)", static_cast<i32>(dst), static_cast<u32>(dst * 8));
        return true;
    case Trace::Out:
        out.Format("out %.4lXh,A:=%.2lXh", static_cast<u32>(r.A << 8 | n), static_cast<u32>(r.A));
        return true;
    case Trace::In:  // ports are never read for a trace: a read may change the device
        out.Format("in A,%.4lXh", static_cast<u32>(r.A << 8 | n));
        return true;
    case Trace::Exx:
        out.Format("xchg BC:=%.4lXh, DE:=%.4lXh, HL:=%.4lXh", static_cast<u32>(r.BC2), static_cast<u32>(r.DE2),
                   static_cast<u32>(r.HL2));
        return true;
    case Trace::ExSpHl: {
        u16 v = 0;
        if (!cpu.PeekWord(r.SP, &v))
            return false;
        out.Format("xchg [SP]=[%.4lXh]=%.4lXh, HL=%.4lXh", static_cast<u32>(r.SP), static_cast<u32>(v),
                   static_cast<u32>(hl));
        return true;
    }
    case Trace::JpHl:
        out.Format("*jmp HL=%.4lXh", static_cast<u32>(hl));
        return true;
    case Trace::ExDeHl:
        out.Format("xchg DE=%.4lXh, HL=%.4lXh", static_cast<u32>(r.DE), static_cast<u32>(hl));
        return true;
    case Trace::Di:
        out.Assign("I_FLAG:=0 (disable hwint)");
        return true;
    case Trace::Ei:
        out.Assign("I_FLAG:=1 (enable hwint)");
        return true;
    case Trace::LdSpHl:
        out.Format("SP:=(HL=%.4lXh)", static_cast<u32>(hl));
        return true;
    case Trace::None:
        break;
    }
    return true;
}

bool TraceCB(Z80Cpu& cpu, u8 op, StringA& out)
{
    const int reg = op & 7;
    const int field = (op >> 3) & 7;
    u8 v = 0;
    if (!ReadReg8(cpu, reg, &v))
        return false;
    const u8 f = cpu.Regs().F;
    switch (op >> 6) {
    case 0: out.Format("%s (%s=", kShiftWords[field], kReg8Names[reg]); break;
    case 1: out.Format("testbit %lu,(%s=", static_cast<u32>(field), kReg8Names[reg]); break;
    case 2: out.Format("clearbit %lu,(%s=", static_cast<u32>(field), kReg8Names[reg]); break;
    default: out.Format("setbit %lu,(%s=", static_cast<u32>(field), kReg8Names[reg]); break;
    }
    if (reg == 6)
        out.AppendFormat("[%.4lXh]=", static_cast<u32>(cpu.Regs().HL));
    switch (op >> 6) {
    case 0: {
        u8 flags = f;
        const u8 result = z80::RotateShift(field, v, flags);
        out.AppendFormat("%.2lXh)%s:=%.2lXh", static_cast<u32>(v), Direction(field), static_cast<u32>(result));
        break;
    }
    case 1: {
        const bool zero = (z80::BitFlags(f, field, v) & Z80Cpu::kFlagZ) != 0;
        out.AppendFormat("%.2lXh) ? %c (%s)", static_cast<u32>(v), zero ? '0' : '1', zero ? "ZF:=1" : "zf:=0");
        break;
    }
    case 2: out.AppendFormat("%.2lXh):=%.2lXh", static_cast<u32>(v), static_cast<u32>(v & ~(1u << field))); break;
    default: out.AppendFormat("%.2lXh):=%.2lXh", static_cast<u32>(v), static_cast<u32>(v | (1u << field))); break;
    }
    return true;
}

bool TraceED(Z80Cpu& cpu, u8 op, StringA& out)
{
    const EdOp& e = kEdOps[op];
    const int reg = (op >> 3) & 7;
    const u32 bc = cpu.Regs().BC;
    switch (e.trace) {
    case EdTrace::In:  // the port is named, not read
        if (reg == 6)
            out.Format("in (BC=%.4lXh)", bc);
        else
            out.Format("in %s,(BC=%.4lXh)", kReg8Names[reg], bc);
        break;
    case EdTrace::Out:
        out.Format("out (BC=%.4lXh),", bc);
        if (reg == 6)
            out.Append("0");
        else
            out.AppendFormat("%s:=%.2lXh", kReg8Names[reg], static_cast<u32>(*cpu.Reg8ByCode(reg)));
        break;
    case EdTrace::None: break;
    }
    return true;
}

void TraceIndexCB(Z80Cpu& cpu, u8 op, const char* name, u8 d, u16 address, u8 v, StringA& out)
{
    const int reg = op & 7;
    const int field = (op >> 3) & 7;
    const u8 f = cpu.Regs().F;
    const char sign = Sign(d);
    const u32 magnitude = Magnitude(d);
    switch (op >> 6) {
    case 0: {
        u8 flags = f;
        const u8 result = z80::RotateShift(field, v, flags);
        out.Format("%s ([%s%c%.2lXh]=[%.4lXh]=%.2lXh):=%.2lXh", kShiftWords[field], name, sign, magnitude,
                   static_cast<u32>(address), static_cast<u32>(v), static_cast<u32>(result));
        if (reg != 6)
            out.AppendFormat("->%s", kReg8Names[reg]);
        break;
    }
    case 1: {
        const bool zero = (z80::BitFlags(f, field, v) & Z80Cpu::kFlagZ) != 0;
        out.Format("testbit %lu,([%s%c%.2lXh]=[%.4lXh]=%.2lXh) ? %c (%s)", static_cast<u32>(field), name, sign,
                   magnitude, static_cast<u32>(address), static_cast<u32>(v), zero ? '0' : '1',
                   zero ? "ZF:=1" : "zf:=0");
        break;
    }
    default: {
        const bool set = (op >> 6) == 3;
        const u8 result = static_cast<u8>(set ? v | (1u << field) : v & ~(1u << field));
        out.Format("%s %lu,([%s%c%.2lXh]=[%.4lXh]):=%.2lXh", set ? "setbit" : "clearbit", static_cast<u32>(field),
                   name, sign, magnitude, static_cast<u32>(address), static_cast<u32>(result));
        if (reg != 6)
            out.AppendFormat(" (->%s)", kReg8Names[reg]);
        break;
    }
    }
}

} // namespace z80trace
