// Video memory: the "_VIDP" block.
#include "base/archive.h"
#include "base/stream_interface.h"
#include "emu/state_block.h"
#include "video/video_memory.h"

namespace {

const char kBlock[] = "_VIDP";

} // namespace

bool VideoMemory::SaveState(Archive& archive)
{
    if (!Device::SaveState(archive))
        return false;
    if (size_ < 0 || (size_ > 0 && !buffer_) || (size_ == 0 && buffer_))
        return false;
    const i32 mask = static_cast<i32>(mask_);
    if (!StateBlock::Open(archive, kBlock) || !archive.WriteInt32(&size_, "MSZ") ||
        !archive.WriteInt32(&mask, "MSK"))
        return false;
    if (size_ > 0 && !archive.WriteBlob(buffer_.get(), static_cast<u64>(size_), "MEM"))
        return false;
    return StateBlock::Close(archive, kBlock);
}

bool VideoMemory::LoadState(Archive& archive, LoadContext context)
{
    if (!Device::LoadState(archive, context))
        return false;
    if (!StateBlock::Enter(archive, kBlock))
        return false;
    i32 size = 0;
    i32 mask = 0;
    if (!archive.ReadInt32(&size, "MSZ") || !archive.ReadInt32(&mask, "MSK"))
        return false;
    // A saved state is input: a size the stream cannot hold is refused before anything
    // is allocated for it.
    const StreamInterface* stream = archive.GetStream();
    if (size < 0 || !stream || static_cast<u64>(size) > stream->GetSize() - stream->GetPosition())
        return false;
    mask_ = static_cast<u32>(mask);
    if (size != size_)
        buffer_.reset();
    size_ = size;
    if (size_ > 0) {
        if (!buffer_ && !AllocateBuffer())
            return false;
        if (!archive.ReadBlob(buffer_.get(), static_cast<u64>(size_), "MEM"))
            return false;
    }
    return StateBlock::Leave(archive, kBlock);
}
