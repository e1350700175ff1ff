// TMS9918: construction, settings, start and stop, frame preparation.
#include "video/tms9918.h"

#include <cstring>
#include <new>

#include "base/dictionary.h"
#include "base/string_a.h"
#include "video/display_surface.h"

const char* const Tms9918Vdp::kRegisterNames[8] = {
    "VDP Control 1 (mode3, external input)",
    "VDP Control 2 (RAM, VBlank, IRQ, mode1/2, SprSize)",
    "BG Map base address (Name table)",
    "BG Colors base address (Colour table)",
    "BG Tiles base address (Patterns)",
    "Sprite Attributes base address",
    "Sprite Patterns base address",
    "FG/BG (border) colors",
};

static_assert(VideoProcessor::IsAspect(22.0f / 15.0f), "a saved default aspect loads again");

Tms9918Vdp::Tms9918Vdp()
{
    SetName("VDP TMS9918");
    SetDescription("VDP");
    defaultAspect_ = 22.0f / 15.0f;
}

Tms9918Vdp::~Tms9918Vdp() = default;

bool Tms9918Vdp::BindSettings(Dictionary* dict, bool enabledOnly)
{
    if (dict) {
        StringA key;
        for (i32 r = 0; r < 8; ++r) {
            key.Format("%s[%ld]", "TraceWriteREG", r);
            dict->BindFlag(key, &traceWriteReg_[r]);
        }
        for (i32 r = 0; r < 8; ++r) {
            key.Format("%s[%ld]", "BreakWriteREG", r);
            dict->BindFlag(key, &breakWriteReg_[r]);
        }
        dict->BindFlag("TraceReadSTATUS", &traceReadStatus_);
        dict->BindFlag("BreakReadSTATUS", &breakReadStatus_);
    }
    return VideoProcessor::BindSettings(dict, enabledOnly);
}

bool Tms9918Vdp::Start(i32* rate)
{
    if (!VideoProcessor::Start(rate))
        return false;
    if (rate && *rate <= 99)
        *rate = 100;
    for (u32& r : reg_)
        r = 0;
    status_ = 0;
    irqOut_ = false;
    latch_ = 0;
    latchedByte_ = 0;
    readAhead_ = 0;
    address_ = 0;
    addressMask_ = kAddressMask;
    // Display off: the screen shows the backdrop until the program sets the mode.
    reg_[1] = 0x80;
    if (!vram_)
        vram_.reset(new (std::nothrow) u8[kMemorySize]);
    if (!vram_)
        return false;
    std::memset(vram_.get(), 0, kMemorySize);
    return SetRenderTiming(kWidth, kHeight, kHeight, kFramesPerSecond, kFrameTimer);
}

void Tms9918Vdp::Stop()
{
    vram_.reset();
    VideoProcessor::Stop();
}

bool Tms9918Vdp::PrepareFrame()
{
    if (!display_ || display_->HasSize(kWidth, kHeight))
        return false;
    if (!display_->SetSize(kWidth, kHeight, false))
        return false;
    // The border is always black: the chip's backdrop colour stays inside the picture.
    const u32 border = LockedDisplaySurface::kDefaultBorderColor;
    display_->SetBorderColor(&border);
    return true;
}
