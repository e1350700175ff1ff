// Sound channel: the "_SNDCH" block. Order: "VER", "BFRQ", "BFID", "BFS0", "BFD0",
// "BFS1", "BFD1", "CSTR", "CLSP", "CLSC", "BCHN".
#include <memory>
#include <new>

#include "base/archive.h"
#include "base/stream_interface.h"
#include "base/string_a.h"
#include "emu/event_bus.h"
#include "emu/sound_stream.h"
#include "emu/state_block.h"
#include "sound/sound_channel.h"

namespace {

const char kBlock[] = "_SNDCH";
const char* const kSizeKeys[2] = {"BFS0", "BFS1"};
const char* const kDataKeys[2] = {"BFD0", "BFD1"};

bool SaveLog(Archive& archive, FifoStream& log, int index)
{
    const u64 fill = log.GetFill();
    if (fill > 0x7FFFFFFF)
        return false;
    const i32 size = static_cast<i32>(fill);
    if (!archive.WriteInt32(&size, kSizeKeys[index]))
        return false;
    return size == 0 || archive.WriteBlob(log.GetBuffer(), fill, kDataKeys[index]);
}

bool LoadLog(Archive& archive, FifoStream& log, int index)
{
    i32 size = 0;
    if (!archive.ReadInt32(&size, kSizeKeys[index]) || size < 0)
        return false;
    log.Discard(-1);
    if (size == 0)
        return true;
    // The size is only a claim: no more than the stream still holds is allocated.
    StreamInterface* stream = archive.GetStream();
    if (!stream || stream->GetPosition() > stream->GetSize() ||
        static_cast<u64>(size) > stream->GetSize() - stream->GetPosition())
        return false;
    std::unique_ptr<u8[]> bytes(new (std::nothrow) u8[static_cast<size_t>(size)]);
    if (!bytes || !archive.ReadBlob(bytes.get(), static_cast<u64>(size), kDataKeys[index]))
        return false;
    return log.Append(bytes.get(), static_cast<u64>(size)) == static_cast<u64>(size);
}

} // namespace

bool SoundChannel::SaveState(Archive& archive)
{
    if (!Device::SaveState(archive))
        return false;
    ScopedLock guard(logLock_);
    const bool pending = pending_ != 0;
    return StateBlock::Open(archive, kBlock) && archive.WriteInt32(&toneClock_, "BFRQ") &&
           archive.WriteInt32(&currentLog_, "BFID") &&
           SaveLog(archive, logs_[0], 0) && SaveLog(archive, logs_[1], 1) &&
           archive.WriteUInt64(&periodStart_, "CSTR") && archive.WriteUInt64(&lastBlockTime_, "CLSP") &&
           archive.WriteUInt64(&lastRendered_, "CLSC") && archive.WriteBool(&pending, "BCHN") &&
           StateBlock::Close(archive, kBlock);
}

// The event bus has made this channel's stream anew, at the saved rate, before the devices
// load. The period that was running at the save goes into the buffer that stream converts
// next, as it would have gone into the old one; without a stream the next period is not
// heard.
void SoundChannel::TakeUpMixingBuffer()
{
    writePos_ = nullptr;
    bufferLength_ = 0;
    const EventBus* bus = GetEventBus();
    for (const BusTimer* timer = bus ? bus->GetFirstTimer() : nullptr; timer; timer = timer->next) {
        if (timer->kind != BusTimer::kStream || timer->streamTarget != this || !timer->stream)
            continue;
        if (timer->streamParams[0] > 0)
            streamRate_ = static_cast<i32>(timer->streamParams[0]);
        i32 count = 0;
        i32 minimum = 0;
        i32 maximum = 0;
        i32* buffer = timer->stream->GetMixingBuffer(&count, &minimum, &maximum);
        if (!buffer || count <= 0)
            return;
        writePos_ = buffer;
        bufferLength_ = count;
        outMin_ = minimum;
        outMax_ = maximum;
        if (tableMin_ != minimum || tableMax_ != maximum) {
            tableMin_ = minimum;
            tableMax_ = maximum;
            BuildTables(minimum, maximum);
        }
        return;
    }
}

bool SoundChannel::LoadState(Archive& archive, LoadContext context)
{
    if (!Device::LoadState(archive, context))
        return false;
    ScopedLock render(renderLock_);
    ScopedLock guard(logLock_);
    i32 toneClock = 0;
    i32 currentLog = 0;
    if (!StateBlock::Enter(archive, kBlock))
        return false;
    // A state of a chip clocked otherwise does not fit this one.
    if (!archive.ReadInt32(&toneClock, "BFRQ") || toneClock != toneClock_)
        return false;
    if (!archive.ReadInt32(&currentLog, "BFID") || (currentLog != 0 && currentLog != 1))
        return false;
    currentLog_ = currentLog;
    if (!LoadLog(archive, logs_[0], 0) || !LoadLog(archive, logs_[1], 1))
        return false;
    bool pending = false;
    if (!archive.ReadUInt64(&periodStart_, "CSTR") || !archive.ReadUInt64(&lastBlockTime_, "CLSP") ||
        !archive.ReadUInt64(&lastRendered_, "CLSC") || !archive.ReadBool(&pending, "BCHN"))
        return false;
    pending_ = pending ? 1 : 0;
    TakeUpMixingBuffer();
    return StateBlock::Leave(archive, kBlock);
}
