// AY-3-891X: construction, settings, ports, the register decoder and the device state.
#include "sound/ay3891x.h"

#include "base/archive.h"
#include "base/dictionary.h"
#include "base/string_a.h"
#include "base/value.h"
#include "emu/param_set.h"
#include "emu/state_block.h"
#include "emu/trace_report.h"

namespace {

// The I/O lines are pulled up: with nothing driving them an input reads all ones.
constexpr u8 kOpenLines = 0xFF;

// 12-, 5- and 16-bit periods; the chip plays 0 as 1.
i32 AtLeastOne(i32 period)
{
    return period ? period : 1;
}

} // namespace

Ay3891xPsg::Ay3891xPsg()
{
    SetName("PSG AY-3-891X");
    SetDescription("AY-3");
    for (i32 c = 0; c < kChannels; ++c)
        AddChannel(new Ay3891xSound, nullptr, nullptr);
    SoundDevice::SetToneClock(kToneClock);
    for (i32 c = 0; c < kChannels; ++c) {
        if (Ay3891xSound* generator = GetGenerator(c))
            generator->SetFlagReferences(&yamahaMode_, &disableNoise_);
    }
}

Ay3891xPsg::~Ay3891xPsg() = default;

bool Ay3891xPsg::BindSettings(Dictionary* dict, bool enabledOnly)
{
    if (dict) {
        dict->BindFlag("YamahaMode", &yamahaMode_);
        if (!enabledOnly) {
            dict->BindFlag("DisableNoise", &disableNoise_);
            dict->BindFlag("TraceWriteINDEX", &tracePort_[kWriteIndex]);
            dict->BindFlag("BreakWriteINDEX", &breakPort_[kWriteIndex]);
            dict->BindFlag("TraceWriteDATA", &tracePort_[kWriteData]);
            dict->BindFlag("BreakWriteDATA", &breakPort_[kWriteData]);
            dict->BindFlag("TraceReadDATA", &tracePort_[kReadData]);
            dict->BindFlag("BreakReadDATA", &breakPort_[kReadData]);
            dict->BindFlags("TraceWriteREG", traceReg_, kRegisters);
            dict->BindFlags("BreakWriteREG", breakReg_, kRegisters);
            dict->BindFlags("TraceReadREG", traceReg_ + kRegisters, kRegisters);
            dict->BindFlags("BreakReadREG", breakReg_ + kRegisters, kRegisters);
        }
    }
    return SoundDevice::BindSettings(dict, enabledOnly);
}

bool Ay3891xPsg::Start(i32* rate)
{
    if (!SoundDevice::Start(rate))
        return false;
    if (rate && *rate < 1000)
        *rate = 1000;
    for (u8& r : regs_)
        r = 0;
    regs_[7] = 0xFF;
    index_ = 0;
    dataWritten_ = true;
    for (i32 i = 0; i < kChannels; ++i) {
        Ay3891xSound* generator = GetGenerator(i);
        if (!generator)
            return false;
        Ay3891xRecord values;
        values.tonePeriod = AtLeastOne(((regs_[2 * i + 1] & 0x0F) << 8) + regs_[2 * i]);
        values.amplitude = regs_[8 + i] & 0x1F;
        values.noisePeriod = AtLeastOne(regs_[6] & 0x1F);
        values.toneOff = (regs_[7] >> i) & 1;
        values.noiseOff = (regs_[7] >> (i + 3)) & 1;
        values.envelopePeriod = AtLeastOne(regs_[11] + (regs_[12] << 8));
        values.shape = regs_[13] & 15;
        generator->Prime(values);
    }
    return true;
}

bool Ay3891xPsg::SetToneClock(i32 hz)
{
    return SoundDevice::SetToneClock(DivideBy16(hz));
}

void Ay3891xPsg::SetPortA(void* context, PortReadCallback read, PortWriteCallback write)
{
    io_[0] = IoPort{context, read, write};
}

void Ay3891xPsg::SetPortB(void* context, PortReadCallback read, PortWriteCallback write)
{
    io_[1] = IoPort{context, read, write};
}

bool Ay3891xPsg::AttachPorts(i32 base)
{
    if (!params_->RemoveParam("PORTS"))
        return false;
    if (base < 0)
        return true;
    portBase_ = base;
    return params_->AddPortRangeValue("PORTS", false, false, static_cast<u64>(base), kPortCount,
                                      &Ay3891xPsg::ReadPort, &Ay3891xPsg::WritePort);
}

bool Ay3891xPsg::WritePort(void* context, u32 port, i32 size, const u8* value)
{
    if (size != 1 || !context || !value)
        return false;
    auto* self = static_cast<Ay3891xPsg*>(static_cast<Device*>(context));
    switch ((port - static_cast<u32>(self->portBase_)) & 0xFF) {
    case 0:
        self->WriteIndex(*value);
        return true;
    case 1:
        self->WriteData(*value);
        return true;
    default:
        return false;
    }
}

bool Ay3891xPsg::ReadPort(void* context, u32 port, i32 size, u8* out, bool peek)
{
    if (size != 1 || !context || !out)
        return false;
    auto* self = static_cast<Ay3891xPsg*>(static_cast<Device*>(context));
    switch ((port - static_cast<u32>(self->portBase_)) & 0xFF) {
    case 0:
        *out = 0;   // the index is not readable
        return true;
    case 1:
    case 2:
        *out = self->ReadData(peek);
        return true;
    default:
        return false;
    }
}

void Ay3891xPsg::WriteIndex(u8 value)
{
    if (TraceReport::ReportWrite(this, tracePort_[kWriteIndex], breakPort_[kWriteIndex], 0,
                                 "=>INDEX = %.2lXh (register index %ld)", static_cast<u32>(value),
                                 static_cast<i32>(value & 15)))
        return;
    index_ = value & 15u;
    dataWritten_ = false;
}

i32 Ay3891xPsg::PeriodOf(u32 r, u8 value) const
{
    switch (r) {
    case 0:
    case 2:
    case 4:
        return AtLeastOne(((regs_[r + 1] & 0x0F) << 8) + value);
    case 1:
    case 3:
    case 5:
        return AtLeastOne(regs_[r - 1] + ((value & 0x0F) << 8));
    case 6:
        return AtLeastOne(value & 0x1F);
    case 11:
        return AtLeastOne((regs_[12] << 8) + value);
    case 12:
        return AtLeastOne((value << 8) + regs_[11]);
    default:
        return 1;
    }
}

void Ay3891xPsg::WriteData(u8 value)
{
    const u32 r = index_ & 15;
    const u8 trace = tracePort_[kWriteData] | traceReg_[r];
    const u8 brk = breakPort_[kWriteData] | breakReg_[r];
    auto report = [&](const char* format, auto... args) {
        return TraceReport::ReportWrite(this, trace, brk, 0, format, static_cast<i32>(r), static_cast<u32>(value),
                                        args...);
    };
    const i32 clock = GetToneClock();
    const i32 period = PeriodOf(r, value);
    // Channel letter of a tone (R0-R5) or amplitude (R8-R10) write.
    const i32 channel = 'A' + (r < 6 ? static_cast<i32>(r / 2) : static_cast<i32>(r) - 8);
    auto letter = [value](i32 bit, i32 name) { return (value >> bit) & 1 ? name + ('a' - 'A') : name; };
    bool broke = false;
    switch (r) {
    case 0:
    case 2:
    case 4:
        broke = report("=>DATA[%ld] = %.2lXh (channel %c, period %.4lXh, frequency=~%ld, bits 0..7)", channel, period,
                       clock / period);
        break;
    case 1:
    case 3:
    case 5:
        broke = report("=>DATA[%ld] = %.2lXh (channel %c, period %.4lXh, frequency=~%ld, bits 8..11)", channel, period,
                       clock / period);
        break;
    case 6:
        broke = report("=>DATA[%ld] = %.2lXh (noise, period %.4lXh, frequency=~%ld)", period, clock / period);
        break;
    case 7:
        broke = report("=>DATA[%ld] = %.2lXh (channels %c%c%c, noise %c%c%c, ports %cA,%cB)", letter(0, 'A'),
                       letter(1, 'B'), letter(2, 'C'), letter(3, 'A'), letter(4, 'B'), letter(5, 'C'),
                       (value & 0x40) ? '<' : '>', (value & 0x80) ? '<' : '>');
        break;
    case 8:
    case 9:
    case 10:
        broke = report("=>DATA[%ld] = %.2lXh (channel %c, volume %ld/15, %s envelope)", channel,
                       static_cast<i32>(value & 15), (value & 0x10) ? "with" : "no");
        break;
    case 11:
        broke = report("=>DATA[%ld] = %.2lXh (envelope, period %.4lXh, frequency=~%ld, bits 0..7)", period,
                       clock / (period * (yamahaMode_ ? 8 : 16)));
        break;
    case 12:
        broke = report("=>DATA[%ld] = %.2lXh (envelope, period %.4lXh, frequency=%ld, bits 8..15)", period,
                       clock / (period * (yamahaMode_ ? 1 : 16)));
        break;
    case 13:
        broke = report("=>DATA[%ld] = %.2lXh (envelope, shape %s)", Ay3891xSound::ShapeName(value & 15));
        break;
    default: {
        // The I/O ports' lines name no register index.
        const bool a = r == 14;
        const bool output = (regs_[7] & (a ? 0x40 : 0x80)) != 0;
        const char* format = a ? (output ? "=>DATA = %.2lXh (I/O Port A, >input mode)"
                                         : "=>DATA = %.2lXh (I/O Port A, <output mode)")
                               : (output ? "=>DATA = %.2lXh (I/O Port B, >input mode)"
                                         : "=>DATA = %.2lXh (I/O Port B, <output mode)");
        broke = TraceReport::ReportWrite(this, trace, brk, 0, format, static_cast<u32>(value));
        break;
    }
    }
    if (broke)
        return;
    ApplyWrite(r, value);
    regs_[r] = value;
    dataWritten_ = true;
}

void Ay3891xPsg::ApplyWrite(u32 r, u8 value)
{
    auto each = [this](auto change) {
        for (i32 c = 0; c < kChannels; ++c) {
            if (Ay3891xSound* generator = GetGenerator(c))
                change(*generator, generator->Record());
        }
    };
    switch (r) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5: {
        const bool fine = (r & 1) == 0;
        const i32 period = PeriodOf(r, value);
        Ay3891xSound* generator = GetGenerator(static_cast<i32>(r / 2));
        if (generator && generator->Record().tonePeriod != period) {
            generator->Record().tonePeriod = period;
            generator->Record().toneTrigger = fine ? -1 : 1;
            generator->LogRecord();
        }
        break;
    }
    case 6: {
        const i32 period = PeriodOf(r, value);
        each([period](Ay3891xSound& g, Ay3891xRecord& rec) {
            if (rec.noisePeriod != period) {
                rec.noisePeriod = period;
                g.LogRecord();
            }
        });
        break;
    }
    case 7: {
        i32 c = 0;
        each([value, &c](Ay3891xSound& g, Ay3891xRecord& rec) {
            const i32 toneOff = (value >> c) & 1;
            const i32 noiseOff = (value >> (c + 3)) & 1;
            ++c;
            if (rec.toneOff != toneOff || rec.noiseOff != noiseOff) {
                rec.toneOff = toneOff;
                rec.noiseOff = noiseOff;
                g.LogRecord();
            }
        });
        break;
    }
    case 8:
    case 9:
    case 10:
        if (Ay3891xSound* generator = GetGenerator(static_cast<i32>(r - 8))) {
            // Logged every time: rewriting the amplitude is how software plays samples.
            generator->Record().amplitude = value & 0x1F;
            generator->LogRecord();
        }
        break;
    case 11:
    case 12: {
        const i32 period = PeriodOf(r, value);
        const i32 trigger = r == 11 ? -1 : 1;
        each([period, trigger](Ay3891xSound& g, Ay3891xRecord& rec) {
            if (rec.envelopePeriod != period) {
                rec.envelopePeriod = period;
                rec.envelopeTrigger = trigger;
                g.LogRecord();
            }
        });
        break;
    }
    case 13:
        // The restart mark: the shape's bitwise NOT, so that shape 0 restarts as well.
        each([value](Ay3891xSound& g, Ay3891xRecord& rec) {
            rec.shape = ~(value & 15);
            g.LogRecord();
        });
        break;
    case 14:
    case 15: {
        const IoPort& io = io_[r - 14];
        if ((regs_[7] & (r == 14 ? 0x40 : 0x80)) && io.write)
            io.write(io.context, value);
        break;
    }
    default:
        break;
    }
}

u8 Ay3891xPsg::ReadData(bool peek)
{
    const u32 r = index_ & 15;
    const u8 v = regs_[r];
    const u8 trace = tracePort_[kReadData] | traceReg_[kRegisters + r];
    const u8 brk = breakPort_[kReadData] | breakReg_[kRegisters + r];
    const u8 quiet = peek ? 1 : 0;
    if (r < 14) {
        TraceReport::ReportRead(this, trace, brk, quiet, "<=DATA = %.2lXh (register index %ld)", static_cast<u32>(v),
                                static_cast<i32>(r));
        return v;
    }
    const i32 which = static_cast<i32>(r - 14);
    const bool output = (regs_[7] & (which ? 0x80 : 0x40)) != 0;
    if (output) {
        TraceReport::ReportRead(this, trace, brk, quiet,
                                which ? "<=DATA = %.2lXh (I/O Port B, >input mode)"
                                      : "<=DATA = %.2lXh (I/O Port A, >input mode)",
                                static_cast<u32>(v));
        return v;
    }
    // An input reads the lines, not the byte last written: pulled up unless something
    // connected pulls them low.
    const IoPort& io = io_[which];
    if (!io.read) {
        TraceReport::ReportRead(this, trace, brk, quiet,
                                which ? "<=DATA = %.2lXh (I/O Port B, <output mode)"
                                      : "<=DATA = %.2lXh (I/O Port A, <output mode)",
                                static_cast<u32>(kOpenLines));
        return kOpenLines;
    }
    if (TraceReport::ReportRead(this, trace, brk, quiet,
                                which ? "<=DATA (I/O Port B, <output mode)" : "<=DATA (I/O Port A, <output mode)"))
        return kOpenLines;
    u8 lines = kOpenLines;
    return io.read(io.context, &lines, peek) ? lines : kOpenLines;
}

bool Ay3891xPsg::SaveState(Archive& archive)
{
    i32 index = static_cast<i32>(index_);
    return SoundDevice::SaveState(archive) && StateBlock::SaveVersion(archive) && archive.WriteInt32(&index, "REGI") &&
           archive.WriteBlob(regs_, kRegisters, "REGD") && archive.WriteBool(&dataWritten_, "WDAI");
}

bool Ay3891xPsg::LoadState(Archive& archive, LoadContext context)
{
    i32 index = 0;
    u8 regs[kRegisters];
    bool dataWritten = false;
    if (!SoundDevice::LoadState(archive, context) || !StateBlock::LoadVersion(archive) ||
        !archive.ReadInt32(&index, "REGI") || index < 0 || index >= kRegisters ||
        !archive.ReadBlob(regs, kRegisters, "REGD") || !archive.ReadBool(&dataWritten, "WDAI"))
        return false;
    index_ = static_cast<u32>(index);
    for (i32 r = 0; r < kRegisters; ++r)
        regs_[r] = regs[r];
    dataWritten_ = dataWritten;
    return true;
}
