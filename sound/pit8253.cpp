// i8253 timer: the counters, the control-word port and the debug menu.
#include "sound/pit8253.h"

#include "base/string_a.h"
#include "emu/option_item.h"
#include "emu/param_set.h"

Pit8253::Pit8253()
{
    SetName("PIT I8253");
    SetDescription("PIT");
    StringA name;
    for (i32 i = 0; i < kChannels; ++i) {
        auto* channel = new PitChannel;
        name.Format("PIT Channel %ld", i);
        if (!AddChild(channel, name.GetNarrow(), GetDescription().GetNarrow())) {
            delete channel;
            continue;
        }
        channels_[i] = channel;
        channel->SetChannelIndex(i);
        channel->Update();
        channel->SetGate(true);
        channel->SetOutputEnabled(true);
    }
}

Pit8253::~Pit8253() = default;

bool Pit8253::Start(i32* rate)
{
    if (!Device::Start(rate))
        return false;
    if (rate && *rate < 2000)
        *rate = 2000;
    return true;
}

void Pit8253::SetInputClock(u32 hz)
{
    for (PitChannel* channel : channels_) {
        if (channel)
            channel->SetInputClock(hz);
    }
}

bool Pit8253::AttachModePort(i32 port)
{
    if (!params_->RemoveParam("MODE"))
        return false;
    if (port < 0)
        return true;
    return params_->AddPortRangeValue("MODE", false, false, static_cast<u64>(port), 1, &Pit8253::OnModeRead,
                                      &Pit8253::OnModeWrite);
}

bool Pit8253::OnModeRead(void* /*context*/, u32 /*port*/, i32 size, u8* out, bool /*peek*/)
{
    if (size != 1 || !out)
        return false;
    *out = 0;
    return true;
}

bool Pit8253::OnModeWrite(void* context, u32 /*port*/, i32 size, const u8* in)
{
    if (size != 1 || !context || !in)
        return false;
    static_cast<Pit8253*>(static_cast<Device*>(context))->WriteMode(*in);
    return true;
}

void Pit8253::WriteMode(u8 control)
{
    const i32 counter = control >> 6;
    if (counter < 3) {
        if (channels_[counter])
            channels_[counter]->WriteMode(control);
        return;
    }
    // Read-back: bits 1, 2 and 3 select counters 0, 1 and 2.
    for (i32 i = 0; i < kChannels; ++i) {
        if ((control & (2 << i)) && channels_[i])
            channels_[i]->WriteMode(control);
    }
}

void Pit8253::BuildMenu(OptionItem* menu, i32 kind)
{
    Device::BuildMenu(menu, kind);
    if (kind != kMenuDebug || !menu)
        return;
    menu->AddSeparator();
    OptionItem* traceAll = menu->AddItem("Trace All");
    OptionItem* breakAll = menu->AddItem("Break On All");
    menu->AddSeparator();
    OptionItem* selectAll = menu->AddItem("Select All");
    OptionItem* clearAll = menu->AddItem("Clear All");
    for (PitChannel* channel : channels_) {
        if (!channel)
            continue;
        channel->AddSetAllActions(traceAll, true, 1);
        channel->AddSetAllActions(breakAll, false, 1);
        for (bool trace : {true, false}) {
            channel->AddSetAllActions(selectAll, trace, 1);
            channel->AddSetAllActions(clearAll, trace, 0);
        }
    }
}
