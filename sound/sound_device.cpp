// Sound device: channels, settings, start, the Sound menu and the "_SNDD" block.
#include "sound/sound_device.h"

#include "base/archive.h"
#include "base/dictionary.h"
#include "base/string_a.h"
#include "base/value.h"
#include "emu/option_item.h"
#include "emu/state_block.h"
#include "sound/sound_channel.h"

SoundDevice::SoundDevice()
{
    SetName("Sound Device");
    SetDescription("SND");
}

SoundDevice::~SoundDevice() = default;

void SoundDevice::AddChannel(SoundChannel* channel, const char* name, const char* description)
{
    if (IsRunning() || !channel)
        return;
    const i32 index = GetChannelCount();
    StringA defaultName;
    StringA defaultDescription;
    if (!name) {
        defaultName.Format("%s CH%ld", GetName(), index);
        name = defaultName.GetNarrow();
    }
    if (!description) {
        defaultDescription.Format("%s_CH%ld", GetDescription().GetNarrow(), index);
        description = defaultDescription.GetNarrow();
    }
    if (!AddChild(channel, name, description)) {
        broken_ = 1;
        delete channel;
        return;
    }
    channel->SetEnableReference(&enableSound_);
    channel->SetRateIndexReference(&rateIndex_);
    if (toneClock_ > 0)
        channel->SetToneClock(toneClock_);
    channels_.push_back(channel);
}

bool SoundDevice::SetToneClock(i32 hz)
{
    if (hz < 1)
        return false;
    for (SoundChannel* channel : channels_)
        channel->SetToneClock(hz);
    toneClock_ = hz;
    return true;
}

bool SoundDevice::BindSettings(Dictionary* dict, bool enabledOnly)
{
    if (dict && !enabledOnly) {
        if (ValueRef* ref = dict->NewBinding(StringA("EnableSound")))
            ref->Bind(kValueBool, &enableSound_);
        if (ValueRef* ref = dict->NewBinding(StringA("SoundFreq")))
            ref->Bind(kValueInt32, &rateIndex_);
    }
    return Device::BindSettings(dict, enabledOnly);
}

bool SoundDevice::ValidateSettings(bool enabledOnly)
{
    const bool result = Device::ValidateSettings(enabledOnly);
    if (rateIndex_ < 0 || rateIndex_ > 3)
        rateIndex_ = 0;
    return result;
}

bool SoundDevice::Start(i32* rate)
{
    if (broken_)
        return false;
    // Not the group's start: a channel whose output cannot open only stays silent.
    running_ = true;
    for (Component* child : children_) {
        if (!child || !child->IsEnabled())
            continue;
        i32 childRate = rate ? *rate : 0;
        if (child->Start(&childRate) && rate && childRate > *rate)
            *rate = childRate;
    }
    return true;
}

void SoundDevice::BuildMenu(OptionItem* menu, i32 kind)
{
    Device::BuildMenu(menu, kind);
    soundMenu_ = nullptr;
    if (kind != kMenuSound || !menu)
        return;
    OptionItem* sub = menu->AddItem(GetName());
    if (!sub)
        return;
    soundMenu_ = sub;
    sub->AddCheckItem("Enable Sound", &enableSound_, 1);
    sub->AddSeparator();
    // The rate is chosen when the channels open their outputs: only while stopped.
    u8* running = reinterpret_cast<u8*>(&running_);
    u32* index = reinterpret_cast<u32*>(&rateIndex_);
    static const char* const kRates[4] = {"48000 Hz", "44100 Hz", "22050 Hz", "16000 Hz"};
    for (u32 i = 0; i < 4; ++i)
        sub->AddRadioItem(kRates[i], index, i, running, 0);
    if (GetChannelCount() < 2)
        return;
    sub->AddSeparator();
    StringA text;
    for (i32 i = 0; i < GetChannelCount(); ++i) {
        text.Format("Enable Channel %ld", i);
        sub->AddCheckItem(text.GetNarrow(), channels_[static_cast<size_t>(i)]->GetEnableChannel(), 1, &enableSound_, 1);
    }
}

bool SoundDevice::SaveState(Archive& archive)
{
    return Device::SaveState(archive) && StateBlock::Open(archive, "_SNDD") &&
           archive.WriteInt32(&toneClock_, "BFRQ") && StateBlock::Close(archive, "_SNDD");
}

bool SoundDevice::LoadState(Archive& archive, LoadContext context)
{
    i32 toneClock = 0;
    return Device::LoadState(archive, context) && StateBlock::Enter(archive, "_SNDD") &&
           archive.ReadInt32(&toneClock, "BFRQ") && toneClock == toneClock_ && StateBlock::Leave(archive, "_SNDD");
}
