// TMS9918: the debugger menu of trace and break switches (menu kind 6).
#include "base/string_a.h"
#include "emu/option_item.h"
#include "video/tms9918.h"

namespace {

// Eight per-register switches under submenu, then "Select All" and "Clear All" for them;
// the submenu shows checked while any of its switches is on.
void AddRegisterSwitches(OptionItem* submenu, u8* flags)
{
    if (!submenu)
        return;
    StringA text;
    for (i32 r = 0; r < 8; ++r) {
        text.Format("%ld - %s", r, Tms9918Vdp::kRegisterNames[r]);
        OptionItem* item = submenu->AddCheckItem(text.GetNarrow(), &flags[r], 1);
        submenu->AddCheckedIfItem(item, 1);
    }
    submenu->AddSeparator();
    if (OptionItem* all = submenu->AddItem("Select All"))
        all->AddActionSetBytes(flags, 1, 8);
    if (OptionItem* none = submenu->AddItem("Clear All"))
        none->AddActionSetBytes(flags, 0, 8);
}

} // namespace

void Tms9918Vdp::BuildMenu(OptionItem* menu, i32 kind)
{
    VideoProcessor::BuildMenu(menu, kind);
    if (kind != kMenuDebug || !menu)
        return;

    OptionItem* traceRegisters = menu->AddItem("Trace Write Registers");
    OptionItem* traceStatus = menu->AddCheckItem("Trace Read STATUS", &traceReadStatus_, 1);
    if (OptionItem* traceAll = menu->AddItem("Trace All")) {
        traceAll->AddActionSetBytes(traceWriteReg_, 1, 8);
        traceAll->AddActionSetByte(&traceReadStatus_, 1);
    }
    menu->AddSeparator();
    OptionItem* breakRegisters = menu->AddItem("Break On Write Registers");
    OptionItem* breakStatus = menu->AddCheckItem("Break On Read STATUS", &breakReadStatus_, 1);
    if (OptionItem* breakAll = menu->AddItem("Break On All")) {
        breakAll->AddActionSetBytes(breakWriteReg_, 1, 8);
        breakAll->AddActionSetByte(&breakReadStatus_, 1);
    }
    menu->AddSeparator();
    for (u8 value : {u8{1}, u8{0}}) {
        if (OptionItem* item = menu->AddItem(value ? "Select All" : "Clear All")) {
            item->AddActionSetBytes(traceWriteReg_, value, 8);
            item->AddActionSetBytes(breakWriteReg_, value, 8);
            item->AddActionSetByte(&traceReadStatus_, value);
            item->AddActionSetByte(&breakReadStatus_, value);
        }
    }
    AddRegisterSwitches(traceRegisters, traceWriteReg_);
    AddRegisterSwitches(breakRegisters, breakWriteReg_);

    // The device's own entry shows checked while any switch of the chip is on.
    menu->AddCheckedIfItem(traceRegisters, 1);
    menu->AddCheckedIfItem(traceStatus, 1);
    menu->AddCheckedIfItem(breakRegisters, 1);
    menu->AddCheckedIfItem(breakStatus, 1);
}
