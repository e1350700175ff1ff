// TMS9918: data, control and status ports.
#include "emu/interrupt_lines.h"
#include "emu/param_set.h"
#include "emu/trace_report.h"
#include "video/display_surface.h"
#include "video/tms9918.h"

namespace {

Tms9918Vdp* Chip(void* context)
{
    return static_cast<Tms9918Vdp*>(static_cast<Device*>(context));
}

} // namespace

void Tms9918Vdp::InvalidateSurface()
{
    if (display_)
        display_->InvalidateDrawnLines();
}

// The chip answers a read from its read-ahead buffer (filled by a read set-up, the last
// read or the last write) and fetches the next byte behind it.
u8 Tms9918Vdp::ReadData(bool peek)
{
    if (!vram_)
        return 0xFF;
    const u8 value = static_cast<u8>(readAhead_);
    if (!peek) {
        readAhead_ = vram_[address_];
        address_ = (address_ + 1) & addressMask_;
        latch_ = 0;
    }
    return value;
}

void Tms9918Vdp::WriteData(u8 value)
{
    if (!vram_)
        return;
    vram_[address_] = value;
    readAhead_ = value;
    address_ = (address_ + 1) & addressMask_;
    latch_ = 0;
    InvalidateSurface();
}

void Tms9918Vdp::WriteControl(u8 value)
{
    if (!latch_) {
        latchedByte_ = value;
        latch_ = 1;
    } else if (value & 0x80) {
        const i32 r = value & 7;
        if (TraceReport::ReportWrite(this, traceWriteReg_[r], breakWriteReg_[r], 0,
                                     "=>Reg[%ld] = %.2lXh (next %.2lXh, %s)", r, latchedByte_,
                                     static_cast<u32>(value), kRegisterNames[r]))
            return;  // the debugger broke: the write happens when the instruction runs again
        reg_[r] = latchedByte_ & 0xFF;
        latch_ = 0;
        // R1's interrupt enable gates the INT output at once, with the flag already set.
        UpdateInterrupt();
    } else {
        address_ = ((static_cast<u32>(value & 0x3F) << 8) | latchedByte_) & addressMask_;
        latch_ = 0;
        // A read set-up fetches the first byte at once.
        if ((value & 0x40) == 0 && vram_) {
            readAhead_ = vram_[address_];
            address_ = (address_ + 1) & addressMask_;
        }
    }
    // Any control write can change the picture (mode, tables, colours).
    InvalidateSurface();
}

u8 Tms9918Vdp::ReadStatus(bool peek)
{
    const u8 s = static_cast<u8>(status_);
    if (TraceReport::ReportReadWrite(this, traceReadStatus_, breakReadStatus_, peek ? 1 : 0,
                                     "<=STATUS = %.2lXh (VBLANK=%c, sprite collision=%c)", static_cast<u32>(s),
                                     (s & kStatusVBlank) ? '1' : '0', (s & kStatusCollision) ? '1' : '0'))
        return s;  // the debugger broke: the read happens when the instruction runs again
    if (!peek) {
        status_ &= ~static_cast<u32>(kStatusVBlank | kStatusFifthSprite | kStatusCollision);
        // The read also resets the control port's byte order; programs read the status
        // to bring the port back to a first byte.
        latch_ = 0;
        UpdateInterrupt();
    }
    return s;
}

void Tms9918Vdp::UpdateInterrupt()
{
    const bool level = (status_ & kStatusVBlank) != 0 && (reg_[1] & kInterruptEnable) != 0;
    if (level == irqOut_)
        return;
    irqOut_ = level;
    if (IsIrqConnected() && interrupts_)
        interrupts_->SetLine(static_cast<u32>(GetIrqLine()), level ? 1 : 0);
}

bool Tms9918Vdp::DataReadHandler(void* context, u32, i32 size, u8* buffer, bool peek)
{
    if (size != 1 || !buffer)
        return false;
    *buffer = Chip(context)->ReadData(peek);
    return true;
}

bool Tms9918Vdp::DataWriteHandler(void* context, u32, i32 size, const u8* buffer)
{
    if (size != 1 || !buffer)
        return false;
    Chip(context)->WriteData(*buffer);
    return true;
}

bool Tms9918Vdp::ControlWriteHandler(void* context, u32, i32 size, const u8* buffer)
{
    if (size != 1 || !buffer)
        return false;
    Chip(context)->WriteControl(*buffer);
    return true;
}

bool Tms9918Vdp::StatusReadHandler(void* context, u32, i32 size, u8* buffer, bool peek)
{
    if (size != 1 || !buffer)
        return false;
    *buffer = Chip(context)->ReadStatus(peek);
    return true;
}

bool Tms9918Vdp::AttachPorts(i32 dataPort, i32 controlPort, i32 statusPort)
{
    // Attaching again moves the ports.
    params_->RemoveParam("MEM");
    params_->RemoveParam("REG");
    params_->RemoveParam("STATE");
    if (dataPort >= 0 && !params_->AddPortRangeValue("MEM", false, false, static_cast<u64>(dataPort), 1,
                                                     DataReadHandler, DataWriteHandler))
        return false;
    if (controlPort >= 0 &&
        !params_->AddPortWriteRangeValue("REG", false, false, static_cast<u64>(controlPort), 1, ControlWriteHandler))
        return false;
    if (statusPort >= 0)
        return params_->AddPortRangeValue("STATE", false, false, static_cast<u64>(statusPort), 1, StatusReadHandler,
                                          nullptr);
    return true;
}
