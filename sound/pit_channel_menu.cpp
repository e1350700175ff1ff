// i8253 counter: trace and break switches in the settings file and the debug menu.
#include "base/dictionary.h"
#include "base/string_a.h"
#include "base/value.h"
#include "emu/option_item.h"
#include "sound/pit_channel.h"

namespace {

constexpr i32 kOfferedModes = 6;   // modes 6 and 7 have no switches

constexpr const char* kModeNames[kOfferedModes] = {"terminal counting",     "waiting multivibrator",
                                                   "impulse frequency generator", "square wave generator",
                                                   "software strobe",       "hardware strobe"};

// A submenu of check items, each with its switch, then "Select All" and "Clear All";
// marked while any switch is on.
struct Entry {
    const char* text;
    u8* flag;
};

void AddSwitchMenu(OptionItem* menu, const char* title, const Entry* entries, i32 count)
{
    OptionItem* sub = menu->AddItem(title);
    if (!sub)
        return;
    for (i32 i = 0; i < count; ++i)
        sub->AddCheckedIfItem(sub->AddCheckItem(entries[i].text, entries[i].flag, 1), 1);
    for (u8 value : {u8{1}, u8{0}}) {
        if (OptionItem* item = sub->AddItem(value ? "Select All" : "Clear All")) {
            for (i32 i = 0; i < count; ++i)
                item->AddActionSetByte(entries[i].flag, value);
        }
    }
    menu->AddCheckedIfItem(sub, 1);
}

} // namespace

bool PitChannel::BindSettings(Dictionary* dict, bool enabledOnly)
{
    if (dict && !enabledOnly) {
        StringA key;
        for (i32 mode = 0; mode < kOfferedModes; ++mode) {
            key.Format("TraceModes%ld", mode);
            dict->BindFlag(key, &traceModes_[mode]);
            key.Format("BreakModes%ld", mode);
            dict->BindFlag(key, &breakModes_[mode]);
        }
        dict->BindFlag("TraceWriteMODE", &trace_[kWriteMode]);
        dict->BindFlag("BreakWriteMODE", &break_[kWriteMode]);
        dict->BindFlag("TraceReadMODE", &trace_[kReadMode]);
        dict->BindFlag("BreakReadMODE", &break_[kReadMode]);
        dict->BindFlag("TraceWriteDATA", &trace_[kWriteData]);
        dict->BindFlag("BreakWriteDATA", &break_[kWriteData]);
        dict->BindFlag("TraceReadDATA", &trace_[kReadData]);
        dict->BindFlag("BreakReadDATA", &break_[kReadData]);
        if (soundGeneration_) {
            dict->BindFlag("TraceEnableSOUND", &trace_[kEnableSound]);
            dict->BindFlag("BreakEnableSOUND", &break_[kEnableSound]);
            dict->BindFlag("TraceDisableSOUND", &trace_[kDisableSound]);
            dict->BindFlag("BreakDisableSOUND", &break_[kDisableSound]);
        }
        if (irqLineNumber_ >= 0) {
            dict->BindFlag("TraceRaiseIRQ", &trace_[kRaiseIrq]);
            dict->BindFlag("BreakRaiseIRQ", &break_[kRaiseIrq]);
        }
    }
    return Device::BindSettings(dict, enabledOnly);
}

bool PitChannel::ValidateSettings(bool enabledOnly)
{
    Device::ValidateSettings(enabledOnly);
    return true;
}

void PitChannel::AddSetAllActions(OptionItem* item, bool trace, u8 value)
{
    if (!item)
        return;
    u8* flags = trace ? trace_ : break_;
    u8* modes = trace ? traceModes_ : breakModes_;
    for (Switch s : {kWriteMode, kReadMode, kWriteData, kReadData})
        item->AddActionSetByte(&flags[s], value);
    item->AddActionSetBytes(modes, value, kOfferedModes);
    if (soundGeneration_) {
        item->AddActionSetByte(&flags[kEnableSound], value);
        item->AddActionSetByte(&flags[kDisableSound], value);
    }
    if (irqLineNumber_ >= 0)
        item->AddActionSetByte(&flags[kRaiseIrq], value);
}

void PitChannel::BuildMenu(OptionItem* menu, i32 kind)
{
    Device::BuildMenu(menu, kind);
    if (kind != kMenuDebug || !menu)
        return;
    StringA modeTexts[kOfferedModes];
    for (i32 mode = 0; mode < kOfferedModes; ++mode)
        modeTexts[mode].Format("%ld - %s", mode, kModeNames[mode]);
    const bool sound = soundGeneration_;
    const bool irq = irqLineNumber_ >= 0;
    for (bool trace : {true, false}) {
        u8* flags = trace ? trace_ : break_;
        u8* modes = trace ? traceModes_ : breakModes_;
        const Entry ports[4] = {{"Write MODE", &flags[kWriteMode]},
                                {"Read MODE", &flags[kReadMode]},
                                {"Write DATA", &flags[kWriteData]},
                                {"Read DATA", &flags[kReadData]}};
        AddSwitchMenu(menu, trace ? "Trace Ports" : "Break On Ports", ports, 4);
        Entry modeEntries[kOfferedModes];
        for (i32 mode = 0; mode < kOfferedModes; ++mode)
            modeEntries[mode] = {modeTexts[mode].GetNarrow(), &modes[mode]};
        AddSwitchMenu(menu, trace ? "Trace Modes" : "Break On Modes", modeEntries, kOfferedModes);
        if (sound || irq) {
            Entry extra[3];
            i32 n = 0;
            if (sound) {
                extra[n++] = {"Enable SOUND", &flags[kEnableSound]};
                extra[n++] = {"Disable SOUND", &flags[kDisableSound]};
            }
            if (irq)
                extra[n++] = {"Raise IRQ", &flags[kRaiseIrq]};
            const char* title = sound && irq ? (trace ? "Trace Sound/IRQ" : "Break On Sound/IRQ")
                                : sound      ? (trace ? "Trace Sound" : "Break On Sound")
                                             : (trace ? "Trace IRQ" : "Break On IRQ");
            AddSwitchMenu(menu, title, extra, n);
        }
        AddSetAllActions(menu->AddItem(trace ? "Trace All" : "Break On All"), trace, 1);
    }
}
