// SN76489: construction, settings, start and the register decoder.
#include "sound/sn76489.h"

#include "base/archive.h"
#include "base/dictionary.h"
#include "base/stream_interface.h"
#include "base/string_a.h"
#include "base/value.h"
#include "emu/param_set.h"
#include "emu/trace_report.h"

namespace {

// The chip divides its input clock by 16 before the tone dividers.
constexpr i32 kColecoToneClock = 223722;

} // namespace

Sn76489Psg::Sn76489Psg()
{
    SetName("PSG SN76489");
    SetDescription("PSG");
    for (i32 c = 0; c < kChannels; ++c) {
        auto* channel = new Sn76489Channel(c == kNoiseChannel);
        channel->SetSampleBits(4);
        AddChannel(channel, nullptr, nullptr);
    }
    SoundDevice::SetToneClock(kColecoToneClock);
}

Sn76489Psg::~Sn76489Psg() = default;

Sn76489Channel* Sn76489Psg::GetPsgChannel(i32 index) const
{
    return static_cast<Sn76489Channel*>(GetChannel(index));
}

bool Sn76489Psg::BindSettings(Dictionary* dict, bool enabledOnly)
{
    if (dict && !enabledOnly) {
        dict->BindFlags("TraceWriteREG", traceWriteReg_, kRegisters);
        dict->BindFlags("BreakWriteREG", breakWriteReg_, kRegisters);
    }
    return SoundDevice::BindSettings(dict, enabledOnly);
}

bool Sn76489Psg::Start(i32* rate)
{
    if (!SoundDevice::Start(rate))
        return false;
    if (rate && *rate < 1000)
        *rate = 1000;
    latch_ = 0;
    return true;
}

bool Sn76489Psg::SetToneClock(i32 hz)
{
    return SoundDevice::SetToneClock(DivideBy16(hz));
}

bool Sn76489Psg::SaveState(Archive& archive)
{
    u8 latch = static_cast<u8>(latch_);
    return SoundDevice::SaveState(archive) && archive.WriteUInt8(&latch, "LTCH");
}

bool Sn76489Psg::LoadState(Archive& archive, LoadContext context)
{
    if (!SoundDevice::LoadState(archive, context))
        return false;
    // States saved before the latch was kept go on with the channels: the failed read
    // is taken back and the latch is none.
    StreamInterface* stream = archive.GetStream();
    if (!stream)
        return false;
    const u64 position = stream->GetPosition();
    u8 latch = 0;
    if (!archive.ReadUInt8(&latch, "LTCH")) {
        latch_ = 0;
        return stream->Seek(position);
    }
    if (latch != 0 && !(latch & 0x80))
        return false;
    latch_ = latch;
    return true;
}

void Sn76489Psg::Write(u8 value)
{
    const u32 latch = (value & 0x80) ? value : latch_;
    const i32 c = static_cast<i32>((latch >> 5) & 3);
    const i32 clock = GetToneClock();
    Sn76489Channel* channel = GetPsgChannel(c);
    if (!channel)
        return;

    if (latch & 0x10) {
        const i32 volume = 15 - (value & 15);
        if (TraceReport::ReportWrite(this, traceWriteReg_[2 * c + 1], breakWriteReg_[2 * c + 1], 0,
                                     "=>CH[%ld] = %.2lXh (volume %ld/15)", c, static_cast<u32>(value), volume))
            return;
        channel->SetVolume(volume, 0, false);
    } else if (c == kNoiseChannel) {
        // The register shifts on the rising edge of a divider's output, once per two of
        // its half periods: 16, 32 or 64 ticks for rates 0-2, channel 2's tone for rate 3.
        static constexpr i32 kShiftPeriods[3] = {32, 64, 128};
        const i32 rate = value & 3;
        i32 period = 1;
        if (rate < 3) {
            period = kShiftPeriods[rate];
        } else if (Sn76489Channel* tone2 = GetPsgChannel(2)) {
            period = 2 * Sn76489Channel::Divider(tone2->GetTone());
        }
        const bool white = (value & 4) != 0;
        if (TraceReport::ReportWrite(this, traceWriteReg_[6], breakWriteReg_[6], 0,
                                     "=>CH[%ld] = %.2lXh (%s noise with shift frequency=~%ldHz)", 3,
                                     static_cast<u32>(value), white ? "white" : "periodic", clock / period))
            return;
        // Logged even when unchanged: every noise-control write restarts the register.
        const i32 tone = rate < 3 ? period : (period | Sn76489Channel::kFollowsTone2);
        channel->SetTone(white ? -tone : tone, 1, true);
    } else {
        const i32 tone = channel->GetTone();
        const bool isLatch = (value & 0x80) != 0;
        const i32 n = isLatch ? ((tone & 0x3F0) | (value & 15)) : (((value << 4) & 0x3F0) | (tone & 15));
        const i32 frequency = clock / (2 * Sn76489Channel::Divider(n));
        if (TraceReport::ReportWrite(this, traceWriteReg_[2 * c], breakWriteReg_[2 * c], 0,
                                     "=>CH[%ld] = %.2lXh (tone %ld/1023, frequency=~%ldHz)", c,
                                     static_cast<u32>(value), n, frequency))
            return;
        // The triggers mark a latch (-1) followed by its data byte (+1): the channel
        // applies the pair as one change when they fall within one sample.
        channel->SetTone(n, isLatch ? -1 : 1, false);
        Sn76489Channel* noise = GetPsgChannel(kNoiseChannel);
        if (c == 2 && noise && Sn76489Channel::FollowsTone2(noise->GetTone())) {
            // At rate 3 the noise shifts once per period of this tone, as it changes.
            const i32 follow = (2 * Sn76489Channel::Divider(n)) | Sn76489Channel::kFollowsTone2;
            noise->SetTone(noise->GetTone() < 0 ? -follow : follow, 0, false);
        }
    }
    latch_ = latch;
}

bool Sn76489Psg::AttachPort(i64 base, i64 count)
{
    if (base < 0 || count < 1)
        return false;
    params_->RemoveParam("PORTS");
    portBase_ = base;
    return params_->AddPortWriteRangeValue("PORTS", false, false, static_cast<u64>(base), static_cast<u64>(count),
                                           &Sn76489Psg::PortWriteHandler);
}

bool Sn76489Psg::PortWriteHandler(void* context, u32 /*port*/, i32 size, const u8* buffer)
{
    if (size != 1 || !context || !buffer)
        return false;
    static_cast<Sn76489Psg*>(static_cast<Device*>(context))->Write(*buffer);
    return true;
}
