// Display processor base: construction, settings, start and stop, memory by address.
#include "video/video_processor.h"

#include "base/dictionary.h"
#include "emu/event_bus.h"
#include "video/display_surface.h"

VideoProcessor::VideoProcessor()
    : pages_{this, nullptr}, renderMode_(&ownRenderMode_), aspectIndex_(&ownAspectIndex_)
{
    frameData_.Allocate(0, -1);
}

VideoProcessor::~VideoProcessor() = default;

void VideoProcessor::ShareRenderValues(i32* renderMode, i32* aspectIndex)
{
    renderMode_ = renderMode ? renderMode : &ownRenderMode_;
    aspectIndex_ = aspectIndex ? aspectIndex : &ownAspectIndex_;
}

bool VideoProcessor::BindSettings(Dictionary* dict, bool enabledOnly)
{
    if (dict && !enabledOnly) {
        if (renderMode_ == &ownRenderMode_) {
            if (ValueRef* ref = dict->NewBinding(StringA("RenderMode")))
                ref->Bind(kValueInt32, &ownRenderMode_);
        }
        if (aspectIndex_ == &ownAspectIndex_) {
            if (ValueRef* ref = dict->NewBinding(StringA("AspectIndex")))
                ref->Bind(kValueInt32, &ownAspectIndex_);
        }
    }
    return Device::BindSettings(dict, enabledOnly);
}

bool VideoProcessor::ValidateSettings(bool enabledOnly)
{
    bool result = Device::ValidateSettings(enabledOnly);
    if (static_cast<u32>(ownRenderMode_) > kScanlineRendering) {
        ownRenderMode_ = kScanlineRendering;
        result = false;
    }
    if (static_cast<u32>(ownAspectIndex_) >= kAspectCount) {
        ownAspectIndex_ = 0;
        result = false;
    }
    return result;
}

float VideoProcessor::AspectForIndex(i32 index) const
{
    return index >= 1 && index < kAspectCount ? kAspectTable[index] : defaultAspect_;
}

bool VideoProcessor::LinkPage(i32 index)
{
    currentPage_ = -1;
    VideoMemory* page = GetPage(index);
    if (!page)
        return false;
    currentPage_ = index;
    pageMemory_ = page->GetBuffer();
    page->SetLineTracking(true);
    if (display_)
        display_->InvalidateDrawnLines();
    return true;
}

bool VideoProcessor::Start(i32* rate)
{
    if (!VideoMemory::Start(rate))
        return false;
    timingState_ = -1;
    linesPerFrame_ = 0;
    frameRate_ = 0;
    screenWidth_ = 0;
    screenHeight_ = 0;
    currentLine_ = 0;
    renderGeneration_ = 0;
    currentPage_ = -1;
    LinkPage(0);
    displayEnabled_ = true;
    graphicsMode_ = false;
    aspect_ = AspectForIndex(*aspectIndex_);
    videoMode_ = columnCount_ = rowCount_ = columns_ = rows_ = -1;
    charWidth_ = charHeight_ = pixelBits_ = lines_ = -1;
    if (!bus_)
        return false;
    // The names let a loaded state bind its saved render event to these callbacks.
    return bus_->RegisterNamedEventKind2("_HiRenderEvent0", OnHiRenderEvent, this) &&
           bus_->RegisterNamedEventKind0("_LoRenderEvent0", OnLoRenderEvent, this) &&
           bus_->RegisterNamedEventKind0("_FrRenderEvent0", OnFrRenderEvent, this);
}

void VideoProcessor::Stop()
{
    pageMemory_ = nullptr;
    VideoMemory::Stop();
}

bool VideoProcessor::Connect(u32 flags)
{
    if (!VideoMemory::Connect(flags))
        return false;
    // A loaded state whose render event does not carry the generation in force would
    // have that event drop itself at its next firing, and the chip would never run again.
    if (flags == kConnectStateLoaded && timingState_ == 0 && frameRate_ > 0 && !HasCurrentRenderEvent())
        return false;
    // Changed parameters or a loaded state: draw everything again.
    if ((flags & kConnectParams) != 0 && display_)
        display_->InvalidateDrawnLines();
    return true;
}

bool VideoProcessor::RenderLine(i32, i32, i32, u32*, bool)
{
    return false;
}

bool VideoProcessor::PrepareFrame()
{
    if (!display_ || display_->HasSize(screenWidth_, screenHeight_))
        return false;
    return display_->SetSize(screenWidth_, screenHeight_, false);
}

void VideoProcessor::OnFramePhase(i32, i32) {}

void VideoProcessor::WriteMemory(u32 address, u8 value)
{
    const u32 offset = OffsetOf(address);
    if (buffer_ && offset < static_cast<u32>(size_))
        WriteByte(buffer_.get(), static_cast<i32>(offset), value);
}

i32 VideoProcessor::ReadMemory(u32 address, bool peek)
{
    const u32 offset = OffsetOf(address);
    if (!buffer_ || offset >= static_cast<u32>(size_))
        return -1;
    u8 value = 0xFF;
    ReadByte(buffer_.get(), static_cast<i32>(offset), &value, peek);
    return value;
}

bool VideoProcessor::GetScreenInfo(i32* mode, i32* width, i32* height, i32* columns, i32* rows, u32* colours)
{
    if (mode)
        *mode = videoMode_;
    if (width)
        *width = screenWidth_;
    if (height)
        *height = screenHeight_;
    if (columns)
        *columns = columnCount_;
    if (rows)
        *rows = rowCount_;
    if (colours)
        *colours = 1u << (static_cast<u32>(pixelBits_) & 31);
    return IsRunning();
}
