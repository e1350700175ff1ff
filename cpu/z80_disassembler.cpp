// Z80 disassembler: decodes the instruction at PC into the debugger's columns.
//
// Instruction bytes are read with the fetch path's peek (PeekFetch), trace values with
// the data peeks; neither moves PC, the time or any device. Mnemonics come from the
// pattern tables of z80_disasm_tables.h, trace texts from z80_tracer.cpp.
#include "base/string_a.h"
#include "cpu/z80_cpu.h"
#include "cpu/z80_disasm_tables.h"
#include "cpu/z80_tracer.h"

using namespace z80dasm;

namespace {

// Column widths handed to the caller, which pads and cuts each column to them.
constexpr u32 kAddressWidth = 4;
constexpr u32 kHexWidth = 6;
constexpr u32 kMnemonicWidth = 28;
constexpr u32 kTraceWidth = 48;
constexpr u32 kSpare7Width = 3;

struct PatternArgs {
    u8 opcode = 0;
    bool haveOperand = false;  // false: operand tokens show their placeholders
    u32 operand = 0;           // byte, word, displacement byte or port number
    const char* source = nullptr;  // replaces $s (the indexed operand of DD CB / FD CB)
};

void AppendDisplacement(StringA& out, u32 d)
{
    const u32 byte = d & 0xFF;
    if (byte < 0x80)
        out.AppendFormat("+%.2lXh", byte);
    else
        out.AppendFormat("-%.2lXh", 0x100 - byte);
}

// Fills a pattern's $-tokens (legend in z80_disasm_tables.h).
void ExpandPattern(StringA& out, const char* pattern, const PatternArgs& args)
{
    out.Clear();
    const u8 op = args.opcode;
    const char* run = pattern;
    const char* p = pattern;
    auto flush = [&](const char* end) {
        if (end > run)
            out.Append(StringA(run, static_cast<int>(end - run)));
    };
    for (; *p; ++p) {
        if (*p != '$' || !p[1])
            continue;
        flush(p);
        ++p;
        switch (*p) {
        case 'r': out.Append(kReg8Names[(op >> 3) & 7]); break;
        case 's': out.Append(args.source ? args.source : kReg8Names[op & 7]); break;
        case 'p': out.Append(kPairNames[(op >> 4) & 3]); break;
        case 'q': out.Append(kStackPairNames[(op >> 4) & 3]); break;
        case 'a': out.Append(kAluNames[(op >> 3) & 7]); break;
        case 'c': out.Append(kConditionNames[(op >> 3) & 7]); break;
        case 'k': out.Append(kConditionNames[(op >> 3) & 3]); break;
        case 'b': out.AppendFormat("%lu", static_cast<u32>((op >> 3) & 7)); break;
        case 'n':
            if (args.haveOperand) out.AppendFormat("%.2lXh", args.operand & 0xFF);
            else out.Append("im8");
            break;
        case 'w':
            if (args.haveOperand) out.AppendFormat("%.4lXh", args.operand & 0xFFFF);
            else out.Append("im16");
            break;
        case 'P':
            if (args.haveOperand) out.AppendFormat("%.4lXh", args.operand & 0xFFFF);
            else out.Append("im8");
            break;
        case 'e':
            if (args.haveOperand) AppendDisplacement(out, args.operand);
            else out.Append("sim8");
            break;
        case 'E':
            if (args.haveOperand) AppendDisplacement(out, args.operand);
            else out.Append("+sim8");
            break;
        default: out.Append(StringA(p - 1, 2)); break;
        }
        run = p + 1;
    }
    flush(p);
}

// F as six places S Z H P N C, "-" where the flag is clear (bits 5 and 3 not shown).
void FormatFlags(StringA& out, u8 f)
{
    char text[7] = {
        (f & Z80Cpu::kFlagS) ? 'S' : '-', (f & Z80Cpu::kFlagZ) ? 'Z' : '-',
        (f & Z80Cpu::kFlagH) ? 'H' : '-', (f & Z80Cpu::kFlagPV) ? 'P' : '-',
        (f & Z80Cpu::kFlagN) ? 'N' : '-', (f & Z80Cpu::kFlagC) ? 'C' : '-', 0,
    };
    out.Assign(text);
}

void SetOut(u32* out, u32 value)
{
    if (out)
        *out = value;
}

// An unprefixed opcode with its operand. Kind bits go in before the operand is read, so a
// CALL whose operand cannot be read still reads as a call.
bool DecodeUnprefixed(Z80Cpu& cpu, u8 op, StringA& mnemonic, StringA& trace, u32* kind)
{
    const MainOp& m = kMainOps[op];
    SetOut(kind, m.kind);
    PatternArgs args;
    args.opcode = op;
    ExpandPattern(mnemonic, m.pattern, args);

    u16 next = static_cast<u16>(cpu.Regs().PC + 1);
    u32 raw = 0;  // the operand as read; args.operand holds it as shown
    switch (m.arg) {
    case Arg::Byte:
    case Arg::Rel:
    case Arg::Port: {
        u8 byte = 0;
        if (!cpu.DisasmFetchByte(&byte))
            return false;
        raw = args.operand = byte;
        if (m.arg == Arg::Port)  // IN A,(n) and OUT (n),A put A on the high address lines
            args.operand = static_cast<u32>(cpu.Regs().A) << 8 | byte;
        next = static_cast<u16>(next + 1);
        break;
    }
    case Arg::Word: {
        u16 word = 0;
        if (!cpu.DisasmFetchWord(&word))
            return false;
        raw = args.operand = word;
        next = static_cast<u16>(next + 2);
        break;
    }
    default: break;
    }
    if (m.arg != Arg::None) {
        args.haveOperand = true;
        ExpandPattern(mnemonic, m.pattern, args);
    }
    return z80trace::TraceMain(cpu, op, raw, next, trace);
}

// The byte after a prefix; an unreadable one leaves "???" as the mnemonic.
bool FetchSecondByte(Z80Cpu& cpu, u8* op, StringA& mnemonic)
{
    if (cpu.DisasmFetchByte(op))
        return true;
    mnemonic.Assign("???");
    return false;
}

} // namespace

bool Z80Cpu::DisasmFetchByte(u8* out)
{
    u8 value = 0;
    if (!PeekFetch(disasmAddress_, &value))
        return false;
    *out = value;
    disasmAddress_ = static_cast<u16>(disasmAddress_ + 1);
    disasmCount_ += 1;
    hexDump_.AppendFormat("%.2lX", static_cast<u32>(value));
    return true;
}

bool Z80Cpu::DisasmFetchWord(u16* out)
{
    u16 value = 0;
    if (!PeekFetchWord(disasmAddress_, &value))
        return false;
    *out = value;
    disasmAddress_ = static_cast<u16>(disasmAddress_ + 2);
    disasmCount_ += 2;
    // Byte-swapped so that the dump shows the bytes in memory order.
    hexDump_.AppendFormat("%.4lX", static_cast<u32>(((value & 0xFF) << 8) | (value >> 8)));
    return true;
}

bool Z80Cpu::TracePopWord(u16* out)
{
    u16 value = 0;
    if (!PeekWord(traceSp_, &value))
        return false;
    *out = value;
    traceSp_ = static_cast<u16>(traceSp_ + 2);
    return true;
}

i32 Z80Cpu::Disassemble(StringA& address, StringA& hex, StringA& mnemonic, StringA& flags, StringA& trace,
                        StringA& spare6, StringA& spare7, u32* kind, u32* width1, u32* width2,
                        u32* width3, u32* width4, u32* width5, u32* width6, u32* width7)
{
    // Every column and width starts empty, as without a processor.
    ClockInterface::Disassemble(address, hex, mnemonic, flags, trace, spare6, spare7, kind, width1, width2, width3,
                                width4, width5, width6, width7);
    if (!IsRunning())
        return 0;

    address.Format("%.4lX", static_cast<u32>(regs_.PC));
    FormatFlags(flags, regs_.F);
    SetOut(width1, kAddressWidth);
    SetOut(width2, kHexWidth);
    SetOut(width3, kMnemonicWidth);
    SetOut(width4, static_cast<u32>(flags.GetLength()));
    SetOut(width5, kTraceWidth);
    SetOut(width7, kSpare7Width);

    hexDump_.Clear();
    disasmCount_ = 0;
    disasmAddress_ = regs_.PC;
    traceSp_ = regs_.SP;

    // The decoders report the kind through a local word, so that a caller's null pointer
    // costs nothing and the failure bit below always lands.
    u32 kindWord = 0;
    bool ok = false;
    u8 op = 0;
    if (!DisasmFetchByte(&op)) {
        mnemonic.Assign("???");
    } else {
        switch (op) {
        case 0xCB: ok = DisassembleCB(mnemonic, trace, &kindWord); break;
        case 0xED: ok = DisassembleED(mnemonic, trace, &kindWord); break;
        case 0xDD: ok = DisassembleIndexed(mnemonic, trace, &kindWord, regs_.IX, "IX"); break;
        case 0xFD: ok = DisassembleIndexed(mnemonic, trace, &kindWord, regs_.IY, "IY"); break;
        default: ok = DecodeUnprefixed(*this, op, mnemonic, trace, &kindWord); break;
        }
    }

    hex.Assign(hexDump_);
    if (ok) {
        if (trace.IsEmpty() && !mnemonic.IsEmpty())
            trace.Assign("(todo)");
        SetOut(kind, kindWord);
        return disasmCount_;
    }
    if (trace.IsEmpty())
        trace.Assign("*(todo)");
    SetOut(kind, kindWord | kDisasmKindJump);
    return -1;
}

bool Z80Cpu::DisassembleCB(StringA& mnemonic, StringA& trace, u32* kind)
{
    (void)kind;
    u8 op = 0;
    if (!FetchSecondByte(*this, &op, mnemonic))
        return false;
    PatternArgs args;
    args.opcode = op;
    ExpandPattern(mnemonic, CbPattern(op), args);
    return z80trace::TraceCB(*this, op, trace);
}

bool Z80Cpu::DisassembleED(StringA& mnemonic, StringA& trace, u32* kind)
{
    (void)kind;
    u8 op = 0;
    if (!FetchSecondByte(*this, &op, mnemonic))
        return false;
    const EdOp& e = kEdOps[op];
    if (!e.pattern)
        return false;
    PatternArgs args;
    args.opcode = op;
    ExpandPattern(mnemonic, e.pattern, args);
    if (e.arg == Arg::Word) {  // LD (nn),rr and LD rr,(nn): the word counts, it is not shown
        u16 word = 0;
        if (!DisasmFetchWord(&word))
            return false;
    }
    return z80trace::TraceED(*this, op, trace);
}

bool Z80Cpu::DisassembleIndexed(StringA& mnemonic, StringA& trace, u32* kind, u16& index, const char* name)
{
    u8 op = 0;
    if (!FetchSecondByte(*this, &op, mnemonic))
        return false;
    const IndexOp& x = kIndexOps[op];
    if (x.bitSet)
        return DisassembleIndexCB(mnemonic, trace, kind, index, name);
    if (!x.pattern)
        return false;  // the CPU ignores this prefix; the next byte stands on its own
    mnemonic.Assign(x.pattern);
    if (x.operandBytes == 1) {
        u8 byte = 0;
        return DisasmFetchByte(&byte);
    }
    if (x.operandBytes == 2) {
        u16 word = 0;
        return DisasmFetchWord(&word);
    }
    return true;
}

bool Z80Cpu::DisassembleIndexCB(StringA& mnemonic, StringA& trace, u32* kind, u16& index, const char* name)
{
    (void)kind;
    u16 word = 0;  // displacement, then the operation
    if (!DisasmFetchWord(&word)) {
        mnemonic.Assign("???");
        return false;
    }
    const u8 d = static_cast<u8>(word);
    const u8 op = static_cast<u8>(word >> 8);
    const u16 target = static_cast<u16>(index + static_cast<i8>(d));
    u8 value = 0;
    if (!ReadMemory2(target, &value))
        return false;

    StringA operand;
    operand.Format("(%s", name);
    AppendDisplacement(operand, d);
    operand.Append(")");
    PatternArgs args;
    args.opcode = op;
    args.source = operand.CStr();
    ExpandPattern(mnemonic, CbPattern(op), args);
    // Every form but BIT also copies its result into a register unless r is (HL).
    const bool isBit = op >= 0x40 && op < 0x80;
    if (!isBit && (op & 7) != 6)
        mnemonic.AppendFormat("->%s", kReg8Names[op & 7]);
    z80trace::TraceIndexCB(*this, op, name, d, target, value, trace);
    return true;
}
