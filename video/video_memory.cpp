// Video memory: buffer, byte access, the memory window.
#include "video/video_memory.h"

#include <cstring>
#include <new>

#include "emu/param_set.h"
#include "video/display_surface.h"

namespace {

const char kWindowParam[] = "MEMORY";

} // namespace

VideoMemory::VideoMemory() = default;

VideoMemory::~VideoMemory() = default;

bool VideoMemory::AllocateBuffer()
{
    buffer_.reset();
    if (size_ <= 0)
        return true;
    buffer_.reset(new (std::nothrow) u8[static_cast<size_t>(size_)]);
    if (!buffer_)
        return false;
    std::memset(buffer_.get(), 0, static_cast<size_t>(size_));
    return true;
}

bool VideoMemory::Start(i32* rate)
{
    if (!Device::Start(rate))
        return false;
    return AllocateBuffer();
}

void VideoMemory::Stop()
{
    buffer_.reset();
    Device::Stop();
}

bool VideoMemory::Connect(u32 flags)
{
    if (!Device::Connect(flags))
        return false;
    if ((flags & kConnectParams) != 0 && windowEnabled_)
        baseAddress_ = windowBase_ * 1024;
    return true;
}

bool VideoMemory::WriteByte(u8* buffer, i32 offset, u8 value)
{
    buffer[offset] = value;
    if (lineTracking_ && display_)
        display_->InvalidateDrawnLines();
    return true;
}

bool VideoMemory::ReadByte(const u8* buffer, i32 offset, u8* out, bool)
{
    *out = buffer[offset];
    return true;
}

// Only the window reaches these; an offset outside the buffer is declined, so the memory
// space falls back to its own handling instead of reading past the end.
bool VideoMemory::WindowWrite(void* context, u32 address, i32 size, const u8* value)
{
    auto* self = static_cast<VideoMemory*>(static_cast<Device*>(context));
    if (!self || size != 1 || !value)
        return false;
    const u32 offset = self->OffsetOf(address);
    if (!self->buffer_ || offset >= static_cast<u32>(self->size_))
        return false;
    return self->WriteByte(self->buffer_.get(), static_cast<i32>(offset), *value);
}

bool VideoMemory::WindowRead(void* context, u32 address, i32 size, u8* out, bool peek)
{
    auto* self = static_cast<VideoMemory*>(static_cast<Device*>(context));
    if (!self || size != 1 || !out)
        return false;
    const u32 offset = self->OffsetOf(address);
    if (!self->buffer_ || offset >= static_cast<u32>(self->size_))
        return false;
    return self->ReadByte(self->buffer_.get(), static_cast<i32>(offset), out, peek);
}

bool VideoMemory::SetSize(i32 kilobytes, u32 mask)
{
    // 2 GB and more would not fit the signed byte size.
    if (IsRunning() || kilobytes < 0 || kilobytes >= 0x200000)
        return false;
    size_ = kilobytes * 1024;
    mask_ = mask;
    return true;
}

bool VideoMemory::SetWindow(i32 baseKB, i32 lengthKB, bool enabled, u8)
{
    windowEnabled_ = 0;
    params_->RemoveParam(kWindowParam);
    if (lengthKB <= 0)
        return true;
    if (baseKB < 0)
        return false;
    windowBase_ = static_cast<u64>(baseKB);
    windowLength_ = static_cast<u64>(lengthKB);
    windowEnabled_ = enabled ? 1 : 0;
    if (!params_->AddMemoryRange(kWindowParam, false, &windowConnected_, &windowBase_, &windowLength_,
                                 WindowRead, WindowWrite))
        return false;
    if (!enabled)
        params_->DisableParam(kWindowParam);
    return true;
}
