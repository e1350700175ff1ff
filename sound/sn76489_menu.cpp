// SN76489: the debugger menu of trace and break switches (menu kind 6).
#include "base/string_a.h"
#include "emu/option_item.h"
#include "sound/sn76489.h"

namespace {

// One submenu per channel with its volume and tone (or noise) switch; the submenu shows
// checked while either is on. Answers the submenu.
OptionItem* AddChannelSwitches(OptionItem* menu, const char* title, i32 c, u8* flags)
{
    const bool noise = c == Sn76489Psg::kNoiseChannel;
    StringA text;
    text.Format("%s Channel %ld (%s)", title, c, noise ? "Noise" : "Tone");
    OptionItem* sub = menu->AddItem(text.GetNarrow());
    if (!sub)
        return nullptr;
    u8* volume = &flags[2 * c + 1];
    u8* tone = &flags[2 * c];
    sub->AddCheckedIfItem(sub->AddCheckItem("Volume", volume, 1), 1);
    sub->AddCheckedIfItem(sub->AddCheckItem(noise ? "Noise" : "Tone", tone, 1), 1);
    sub->AddSeparator();
    if (OptionItem* all = sub->AddItem("Select All"))
        all->AddActionSetBytes(tone, 1, 2);
    if (OptionItem* none = sub->AddItem("Clear All"))
        none->AddActionSetBytes(tone, 0, 2);
    return sub;
}

} // namespace

void Sn76489Psg::BuildMenu(OptionItem* menu, i32 kind)
{
    SoundDevice::BuildMenu(menu, kind);
    if (kind != kMenuDebug || !menu)
        return;
    for (i32 c = 0; c < kChannels; ++c)
        menu->AddCheckedIfItem(AddChannelSwitches(menu, "Trace", c, traceWriteReg_), 1);
    if (OptionItem* traceAll = menu->AddItem("Trace All"))
        traceAll->AddActionSetBytes(traceWriteReg_, 1, kRegisters);
    menu->AddSeparator();
    for (i32 c = 0; c < kChannels; ++c)
        menu->AddCheckedIfItem(AddChannelSwitches(menu, "Break On", c, breakWriteReg_), 1);
    if (OptionItem* breakAll = menu->AddItem("Break On All"))
        breakAll->AddActionSetBytes(breakWriteReg_, 1, kRegisters);
    menu->AddSeparator();
    for (u8 value : {u8{1}, u8{0}}) {
        if (OptionItem* item = menu->AddItem(value ? "Select All" : "Clear All")) {
            item->AddActionSetBytes(traceWriteReg_, value, kRegisters);
            item->AddActionSetBytes(breakWriteReg_, value, kRegisters);
        }
    }
}
