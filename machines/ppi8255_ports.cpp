// Ppi8255: the four ports, with their traces and breaks.
//
// A write the debugger breaks on is abandoned whole (it runs again with the instruction).
// Writes go out through ReportAccess when an outside handler takes them and through
// ReportWrite when the latch is all there is; a write to an input is dropped and traced
// with "(*)".
#include "emu/trace_report.h"
#include "machines/ppi8255.h"

namespace {

const char* const kModeNames[3] = {"basicIO", "strobedIO", "bidirectBus"};
const char* const kDirections[2] = {"out", "in"};

Ppi8255* Self(void* context)
{
    return static_cast<Ppi8255*>(static_cast<Device*>(context));
}

} // namespace

bool Ppi8255::WritePort(void* context, u32 port, i32 size, const u8* buffer)
{
    Ppi8255* self = Self(context);
    if (!self || size != 1 || !buffer)
        return false;
    switch ((port - static_cast<u32>(self->basePort_)) & 3) {
    case 0: self->WritePortA(*buffer); break;
    case 1: self->WritePortB(*buffer); break;
    case 2: self->WritePortC(*buffer); break;
    default: self->WriteControl(*buffer); break;
    }
    return true;
}

bool Ppi8255::ReadPort(void* context, u32 port, i32 size, u8* buffer, bool peek)
{
    Ppi8255* self = Self(context);
    if (!self || size != 1 || !buffer)
        return false;
    switch ((port - static_cast<u32>(self->basePort_)) & 3) {
    case 0: *buffer = self->ReadPortA(peek); break;
    case 1: *buffer = self->ReadPortB(peek); break;
    case 2: *buffer = self->ReadPortC(peek); break;
    default:
        *buffer = static_cast<u8>(self->control_);
        TraceReport::ReportRead(self, self->Flag(kCtrl, kTraceRead), self->Flag(kCtrl, kBreakRead), peek,
                                "<=CTRL = %.2lXh", self->control_);
        break;
    }
    return true;
}

void Ppi8255::WritePortAB(i32 which, u8 value)
{
    const Register reg = which == 0 ? kA : kB;
    const u8 trace = Flag(reg, kTraceWrite);
    const u8 brk = Flag(reg, kBreakWrite);
    if (which == 0 ? inputA_ : inputB_) {
        TraceReport::ReportRead(this, trace, brk, 0, which == 0 ? ">RegA = %.2lXh (*)" : "=>RegB = %.2lXh (*)",
                                static_cast<u32>(value));
        return;
    }
    const char* text = which == 0 ? "=>RegA = %.2lXh" : "=>RegB = %.2lXh";
    const bool broke = WriteConnected() ? TraceReport::ReportAccess(this, trace, brk, text, static_cast<u32>(value))
                                        : TraceReport::ReportWrite(this, trace, brk, 0, text, static_cast<u32>(value));
    if (broke)
        return;
    (which == 0 ? latchA_ : latchB_) = value;
    if (WriteConnected())
        outsideWrite_(outsideContext_, static_cast<u32>(basePort_) + static_cast<u32>(which), 1, &value);
}

void Ppi8255::WritePortC(u8 value)
{
    const u8 trace = Flag(kC, kTraceWrite);
    const u8 brk = Flag(kC, kBreakWrite);
    const bool upperOut = !inputCUpper_;
    const bool lowerOut = !inputCLower_;
    if (!upperOut && !lowerOut) {
        TraceReport::ReportRead(this, trace, brk, 0, "=>RegC = %.2lXh (*)", static_cast<u32>(value));
        return;
    }
    bool broke = false;
    if (upperOut && lowerOut) {
        broke = WriteConnected() ? TraceReport::ReportAccess(this, trace, brk, "=>RegC = %.2lXh", static_cast<u32>(value))
                                 : TraceReport::ReportWrite(this, trace, brk, 0, "=>RegC = %.2lXh", static_cast<u32>(value));
    } else {
        const char half = upperOut ? 'h' : 'l';
        broke = WriteConnected()
                    ? TraceReport::ReportAccess(this, trace, brk, "=>RegC%c = %.2lXh", half, static_cast<u32>(value))
                    : TraceReport::ReportWrite(this, trace, brk, 0, "=>RegC%c = %.2lXh", half, static_cast<u32>(value));
    }
    if (broke)
        return;
    if (upperOut)
        latchC_ = (value & 0xF0u) | (latchC_ & 0x0Fu);
    if (lowerOut)
        latchC_ = (value & 0x0Fu) | (latchC_ & 0xF0u);
    if (WriteConnected()) {
        // The whole latch goes out, input halves included.
        const u8 out = static_cast<u8>(latchC_);
        outsideWrite_(outsideContext_, static_cast<u32>(basePort_) + 2, 1, &out);
    }
}

void Ppi8255::TakeModeWord(u8 value)
{
    modeA_ = (value & 0x40) ? 2 : (value & 0x20) ? 1 : 0;
    inputA_ = (value >> 4) & 1;
    inputCUpper_ = (value >> 3) & 1;
    modeB_ = (value >> 2) & 1;
    inputB_ = (value >> 1) & 1;
    inputCLower_ = value & 1;
}

void Ppi8255::WriteControl(u8 value)
{
    const u8 trace = Flag(kCtrl, kTraceWrite);
    const u8 brk = Flag(kCtrl, kBreakWrite);
    if (value & 0x80) {
        const u32 modeA = (value & 0x40) ? 2 : (value & 0x20) ? 1 : 0;
        if (TraceReport::ReportWrite(this, trace, brk, 0,
                                     "=>CTRL = %.2lXh (ModeACh=%s, RegA=%s, RegCh=%s, ModeBCl=%s, RegB=%s, RegCl=%s)",
                                     static_cast<u32>(value), kModeNames[modeA], kDirections[(value >> 4) & 1],
                                     kDirections[(value >> 3) & 1], kModeNames[(value >> 2) & 1],
                                     kDirections[(value >> 1) & 1], kDirections[value & 1]))
            return;
        TakeModeWord(value);
        control_ = value;
        return;
    }
    // Bit set/reset goes through the port C write: a bit of an input half stays, and the
    // change is traced and sent out like any port C write.
    const u32 bit = (value >> 1) & 7;
    const u32 level = value & 1;
    if (TraceReport::ReportWrite(this, trace, brk, 0, "=>CTRL = %.2lXh (RegC[%ld]=%ld)", static_cast<u32>(value), bit,
                                 level))
        return;
    WritePortC(static_cast<u8>((latchC_ & ~(1u << bit)) | (level << bit)));
}

u8 Ppi8255::ReadPortAB(i32 which, bool peek)
{
    const Register reg = which == 0 ? kA : kB;
    const u8 trace = Flag(reg, kTraceRead);
    const u8 brk = Flag(reg, kBreakRead);
    const u32 latch = which == 0 ? latchA_ : latchB_;
    const char* mark = (which == 0 ? inputA_ : inputB_) ? " " : "(*)";
    const char* text = which == 0 ? "<=RegA = %.2lXh %s" : "<=RegB = %.2lXh %s";
    if (ReadConnected()) {
        u8 value = static_cast<u8>(latch);
        // With a break set, the outside read must not act before the break is decided.
        if (outsideRead_(outsideContext_, static_cast<u32>(basePort_) + static_cast<u32>(which), 1, &value,
                         peek || brk)) {
            TraceReport::ReportAccess(this, peek ? 0 : trace, peek ? 0 : brk, text, static_cast<u32>(value), mark);
            return value;
        }
    }
    TraceReport::ReportReadWrite(this, trace, brk, peek, text, latch, mark);
    return static_cast<u8>(latch);
}

u8 Ppi8255::ReadPortC(bool peek)
{
    const u8 trace = Flag(kC, kTraceRead);
    const u8 brk = Flag(kC, kBreakRead);
    const char* mark = (inputCUpper_ && inputCLower_) ? " " : "(*)";
    if (ReadConnected()) {
        u8 value = static_cast<u8>(latchC_);
        if (outsideRead_(outsideContext_, static_cast<u32>(basePort_) + 2, 1, &value, peek || brk)) {
            TraceReport::ReportAccess(this, peek ? 0 : trace, peek ? 0 : brk, "<=RegC = %.2lXh %s",
                                      static_cast<u32>(value), mark);
            return value;
        }
    }
    TraceReport::ReportReadWrite(this, trace, brk, peek, "<=RegC = %.2lXh %s", latchC_, mark);
    return static_cast<u8>(latchC_);
}
