// The trace line: the instruction at the program counter in fixed columns, as the CPU's
// disassembler fills and sizes them.
//
//   [AAAA] HHHHHH  MNEMONIC...(28)  FFFFFF  TRACE...(48) 6 7
//
// A text that fits is padded to its column's width; a longer one keeps width - 2
// characters and ends in "..", so every column keeps its width (a width of 1 or less
// holds the two full stops alone).
#include "core/emu_core.h"

#include <string>

#include "cpu/cpu_base.h"
#include "emu/computer.h"

namespace {

struct Column {
    const char* prefix;
    const char* suffix;
};

constexpr Column kColumns[7] = {
    {"[", "]"}, {" ", ""}, {"  ", ""}, {" ", ""}, {"  ", ""}, {" ", ""}, {" ", ""},
};

void AppendColumn(std::string& out, const Column& column, const StringA& text, i32 width)
{
    out += column.prefix;
    const i32 length = text.GetLength();
    if (length <= width) {
        out.append(text.GetNarrow(), static_cast<size_t>(length));
        out.append(static_cast<size_t>(width - length), ' ');
    } else {
        const i32 kept = width > 2 ? width - 2 : 0;
        out.append(text.GetNarrow(), static_cast<size_t>(kept));
        out += "..";
    }
    out += column.suffix;
}

} // namespace

void EmuCore::LayOutTraceColumns(StringA& line, const StringA texts[7], const i32 widths[7])
{
    std::string out;
    for (i32 i = 0; i < 7; ++i)
        AppendColumn(out, kColumns[i], texts[i], widths[i]);
    line.Assign(out.c_str(), static_cast<int>(out.size()));
}

bool EmuCore::FormatTraceLine(StringA& line)
{
    if (!started_.load() || !machine_)
        return false;
    CpuBase* cpu = machine_->GetCpu(0);
    if (!cpu)
        return false;
    line.Clear();

    StringA texts[7];
    u32 kind = 0;
    u32 sizes[7] = {};
    cpu->Disassemble(texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6], &kind, &sizes[0],
                     &sizes[1], &sizes[2], &sizes[3], &sizes[4], &sizes[5], &sizes[6]);
    i32 widths[7];
    for (i32 i = 0; i < 7; ++i)
        widths[i] = static_cast<i32>(sizes[i]);

    if (texts[0].IsEmpty()) {
        const bool wide = cpu->GetAddressMask() > 0xFFFF;
        texts[0].Format(wide ? "%.8X" : "%.4X", static_cast<unsigned>(cpu->GetPC()));
        if (widths[0] <= 0)
            widths[0] = wide ? 8 : 4;
    }
    LayOutTraceColumns(line, texts, widths);
    return true;
}
