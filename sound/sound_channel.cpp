// Sound channel: construction, settings, start and stop, the write log.
#include "sound/sound_channel.h"

#include "base/dictionary.h"
#include "base/string_a.h"
#include "base/value.h"
#include "cpu/clock_interface.h"
#include "emu/event_bus.h"
#include "emu/little_endian.h"
#include "emu/system_interface.h"

void SoundLogBlock::Encode(u8* out) const
{
    StoreLe64(out, cycles);
    StoreLe32(out + 8, length);
    StoreLe32(out + 12, tag);
}

SoundLogBlock SoundLogBlock::Decode(const u8* in)
{
    SoundLogBlock block;
    block.cycles = LoadLe64(in);
    block.length = LoadLe32(in + 8);
    block.tag = LoadLe32(in + 12);
    return block;
}

SoundChannel::SoundChannel()
{
    SetName("Sound Channel");
    SetDescription("SNDCH");
}

SoundChannel::~SoundChannel()
{
    stopped_ = 1;
}

bool SoundChannel::BindSettings(Dictionary* dict, bool enabledOnly)
{
    if (dict && !enabledOnly) {
        if (ValueRef* ref = dict->NewBinding(StringA("EnableChannel")))
            ref->Bind(kValueBool, &enableChannel_);
    }
    return Device::BindSettings(dict, enabledOnly);
}

bool SoundChannel::SetSampleBits(i32 bits)
{
    if (IsRunning() || bits > 16)
        return false;
    sampleBits_ = bits <= 8 ? 8 : 16;
    return true;
}

void SoundChannel::BuildTables(i32 /*minimum*/, i32 /*maximum*/)
{
}

i32 SoundChannel::GetSampleRate() const
{
    if (!rateIndexRef_)
        return 44100;
    switch (*rateIndexRef_) {
    case 1:
        return 44100;
    case 2:
        return 22050;
    case 3:
        return 16000;
    default:
        return 48000;
    }
}

bool SoundChannel::Start(i32* rate)
{
    if (!Device::Start(rate))
        return false;
    if (sampleBits_ < 8)
        sampleBits_ = 8;
    for (FifoStream& log : logs_) {
        // A log that already has storage keeps it.
        if (log.GetCapacity() == 0 && !log.Allocate(1024, 0))
            return false;
        log.Discard(-1);
    }
    currentLog_ = 0;
    writePos_ = nullptr;
    bufferLength_ = 0;
    outMin_ = 0;
    outMax_ = 0;
    callbackRate_ = 0;
    periodStart_ = 0;
    lastBlockTime_ = 0;
    lastRendered_ = kNothingRendered;
    tableMin_ = 0;
    tableMax_ = 0;
    pending_ = 0;

    streamRate_ = GetSampleRate();
    EventBus* bus = GetEventBus();
    if (!bus || !bus->AddTimerWithCallback(static_cast<u32>(streamRate_), static_cast<u32>(sampleBits_),
                                           &SoundChannel::FillCallback, this, "SoundEvent", 0, 0))
        return false;
    stopped_ = 0;
    return true;
}

void SoundChannel::Stop()
{
    stopped_ = 1;
    {
        ScopedLock render(renderLock_);
        ScopedLock log(logLock_);
        logs_[0].Free();
        logs_[1].Free();
    }
    Device::Stop();
}

u64 SoundChannel::CurrentCycle() const
{
    SystemInterface* host = GetHost();
    ClockInterface* clock = host ? host->GetMainCpu() : nullptr;
    return clock ? clock->GetCycleCount() : 0;
}

i32 SoundChannel::CpuFrequency() const
{
    SystemInterface* host = GetHost();
    ClockInterface* clock = host ? host->GetMainCpu() : nullptr;
    return clock ? clock->GetNominalFrequency() : 0;
}

bool SoundChannel::AppendBlock(const void* payload, u32 length, u32 tag)
{
    if (stopped_)
        return true;
    return AppendLocked(payload, length, tag);
}

bool SoundChannel::AppendLocked(const void* payload, u32 length, u32 tag)
{
    ScopedLock guard(logLock_);
    SoundLogBlock head;
    head.cycles = CurrentCycle();
    head.length = length;
    head.tag = tag;
    u8 bytes[SoundLogBlock::kHeaderSize];
    head.Encode(bytes);
    FifoStream& log = logs_[currentLog_ & 1];
    bool complete = log.Append(bytes, sizeof bytes) == sizeof bytes;
    if (complete && length > 0)
        complete = payload != nullptr && log.Append(payload, length) == length;
    if (!complete) {
        log.Discard(-1);
        return false;
    }
    pending_ = 1;
    return true;
}
