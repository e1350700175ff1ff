// TMS9918: saved state, after the display processor's blocks and without a block of its
// own. Order: "SBSZ", "MADR", "REG0".."REG7", "STS", "WRF", "WRB", "RAB".
#include <cstring>
#include <new>

#include "base/archive.h"
#include "base/string_a.h"
#include "video/display_surface.h"
#include "video/tms9918.h"

namespace {

const char* const kRegisterKeys[8] = {"REG0", "REG1", "REG2", "REG3", "REG4", "REG5", "REG6", "REG7"};

} // namespace

bool Tms9918Vdp::SaveState(Archive& archive)
{
    if (!VideoProcessor::SaveState(archive) || !vram_)
        return false;
    const u16 address = static_cast<u16>(address_);
    if (!archive.WriteBlob(vram_.get(), kMemorySize, "SBSZ") || !archive.WriteUInt16(&address, "MADR"))
        return false;
    for (i32 r = 0; r < 8; ++r) {
        const u8 value = static_cast<u8>(reg_[r]);
        if (!archive.WriteUInt8(&value, kRegisterKeys[r]))
            return false;
    }
    const u8 status = static_cast<u8>(status_);
    const bool latch = latch_ != 0;
    const u8 latched = static_cast<u8>(latchedByte_);
    const u8 readAhead = static_cast<u8>(readAhead_);
    return archive.WriteUInt8(&status, "STS") && archive.WriteBool(&latch, "WRF") &&
           archive.WriteUInt8(&latched, "WRB") && archive.WriteUInt8(&readAhead, "RAB");
}

bool Tms9918Vdp::AcceptsGeometry(const RenderGeometry& g) const
{
    return VideoProcessor::AcceptsGeometry(g) && g.timingState == 0 && g.width == kWidth && g.height == kHeight &&
           g.linesPerFrame == kHeight && g.frameRate == kFramesPerSecond;
}

bool Tms9918Vdp::LoadState(Archive& archive, LoadContext context)
{
    if (!VideoProcessor::LoadState(archive, context))
        return false;
    if (!vram_)
        vram_.reset(new (std::nothrow) u8[kMemorySize]);
    if (!vram_ || !archive.ReadBlob(vram_.get(), kMemorySize, "SBSZ"))
        return false;
    u16 address = 0;
    if (!archive.ReadUInt16(&address, "MADR"))
        return false;
    address_ = address & kAddressMask;
    for (i32 r = 0; r < 8; ++r) {
        u8 value = 0;
        if (!archive.ReadUInt8(&value, kRegisterKeys[r]))
            return false;
        reg_[r] = value;
    }
    u8 status = 0;
    bool latch = false;
    u8 latched = 0;
    if (!archive.ReadUInt8(&status, "STS"))
        return false;
    status_ = status;
    if (!archive.ReadBool(&latch, "WRF"))
        return false;
    latch_ = latch ? 1 : 0;
    if (!archive.ReadUInt8(&latched, "WRB"))
        return false;
    latchedByte_ = latched;
    u8 readAhead = 0;
    if (!archive.ReadUInt8(&readAhead, "RAB"))
        return false;
    readAhead_ = readAhead;
    // The INT output follows from the loaded flag and enable. It is not announced: the
    // listeners bring what they made of it with their own state.
    irqOut_ = (status_ & kStatusVBlank) != 0 && (reg_[1] & kInterruptEnable) != 0;
    // Show the loaded picture at once rather than at the next change.
    if (RedrawFrame(true) && display_)
        display_->BeginFrame(1, aspect_);
    return true;
}
