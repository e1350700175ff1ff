// Z80 saved state and register dump.
//
// After the CPU base's "_DEV" and "_CPU" blocks, keyed values in this order:
//   "VER" u8 0; "A", "A2", "FLAGS", "FLAGS2" u8; "BC", "BC2", "DE", "DE2", "HL", "HL2",
//   "PC", "SP", "IX", "IY", "IR" u16; "IRM" u8; "AHWI2" bool; "PEOP" u8; "PEPC" u16.
#include "base/archive.h"
#include "base/object_list.h"
#include "base/string_a.h"
#include "cpu/z80_cpu.h"
#include "cpu/z80_tables.h"
#include "emu/state_block.h"

namespace {

// The register list, written once for both directions.
template <typename A8, typename A16, typename AB>
bool VisitRegisters(Z80Registers& r, A8 u8Key, A16 u16Key, AB boolKey)
{
    return u8Key(r.A, "A") && u8Key(r.A2, "A2") && u8Key(r.F, "FLAGS") && u8Key(r.F2, "FLAGS2") &&
           u16Key(r.BC, "BC") && u16Key(r.BC2, "BC2") && u16Key(r.DE, "DE") && u16Key(r.DE2, "DE2") &&
           u16Key(r.HL, "HL") && u16Key(r.HL2, "HL2") && u16Key(r.PC, "PC") && u16Key(r.SP, "SP") &&
           u16Key(r.IX, "IX") && u16Key(r.IY, "IY") && u16Key(r.IR, "IR") && u8Key(r.IM, "IRM") &&
           boolKey(r.IFF2, "AHWI2") && u8Key(r.pendingOpcode, "PEOP") && u16Key(r.pendingPC, "PEPC");
}

// Flags text of the dump: S, Z, H (shown as "A"), P/V, C.
void FlagsText(u8 f, char out[6])
{
    out[0] = (f & 0x80) ? 'S' : '-';
    out[1] = (f & 0x40) ? 'Z' : '-';
    out[2] = (f & 0x10) ? 'A' : '-';
    out[3] = (f & 0x04) ? 'P' : '-';
    out[4] = (f & 0x01) ? 'C' : '-';
    out[5] = 0;
}

} // namespace

bool Z80Cpu::SaveState(Archive& archive)
{
    if (!CpuBase::SaveState(archive) || !StateBlock::SaveVersion(archive))
        return false;
    return VisitRegisters(
        regs_, [&](u8& v, const char* key) { return archive.WriteUInt8(&v, key); },
        [&](u16& v, const char* key) { return archive.WriteUInt16(&v, key); },
        [&](bool& v, const char* key) { return archive.WriteBool(&v, key); });
}

bool Z80Cpu::LoadState(Archive& archive, LoadContext context)
{
    if (!CpuBase::LoadState(archive, context) || !StateBlock::LoadVersion(archive))
        return false;
    if (!VisitRegisters(
            regs_, [&](u8& v, const char* key) { return archive.ReadUInt8(&v, key); },
            [&](u16& v, const char* key) { return archive.ReadUInt16(&v, key); },
            [&](bool& v, const char* key) { return archive.ReadBool(&v, key); }))
        return false;
    // A suspended instruction owes the rest of its cycles: what was paid must be less
    // than its whole count, or resuming it would run time backwards.
    if (owedCycles_ < 0 || (owedCycles_ > 0 && owedCycles_ >= z80::kMainCycles[regs_.pendingOpcode]))
        return false;
    return true;
}

bool Z80Cpu::DumpRegisters(ObjectList& lines, bool full)
{
    char flags[6];
    FlagsText(regs_.F, flags);
    StringA line;
    if (!full) {
        line.Format("%s, Frequency=%ld, Cycles=%ld (-%ld), Flags: %s (%.2lXh)", GetName(), nominalFrequency_,
                    static_cast<u32>(GetCycleCount()), owedCycles_, flags, static_cast<u32>(regs_.F));
        lines.Add(line);
        line.Format("    A=%.2lXh, BC=%.4lXh, DE=%.4lXh, HL=%.4lXh, PC=%.4lXh, SP=%.4lXh", static_cast<u32>(regs_.A),
                    static_cast<u32>(regs_.BC), static_cast<u32>(regs_.DE), static_cast<u32>(regs_.HL),
                    static_cast<u32>(regs_.PC), static_cast<u32>(regs_.SP));
        lines.Add(line);
        return true;
    }
    line.Format("~%s", GetDescription().GetNarrow());
    lines.Add(line);
    line.Format("AF=%.4lXh", static_cast<u32>((regs_.A << 8) | regs_.F));
    lines.Add(line);
    const struct {
        const char* format;
        u16 value;
    } pairs[] = {{"BC=%.4lXh", regs_.BC}, {"DE=%.4lXh", regs_.DE}, {"HL=%.4lXh", regs_.HL},
                 {"PC=%.4lXh", regs_.PC}, {"SP=%.4lXh", regs_.SP}};
    for (const auto& pair : pairs) {
        line.Format(pair.format, static_cast<u32>(pair.value));
        lines.Add(line);
    }
    line.Format("%s I%c", flags, iff1_ ? '+' : '-');
    lines.Add(line);
    return true;
}
