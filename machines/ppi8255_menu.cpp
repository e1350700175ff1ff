// Ppi8255: the debugger menu of trace and break switches (menu kind 6).
#include "emu/option_item.h"
#include "machines/ppi8255.h"

namespace {

const char* const kRegisterNames[4] = {"CTRL", "A", "B", "C"};

} // namespace

void Ppi8255::BuildMenu(OptionItem* menu, i32 kind)
{
    Device::BuildMenu(menu, kind);
    if (kind != kMenuDebug || !menu)
        return;
    // One group per kind of switch, with a check item per register.
    auto group = [&](const char* title, const char* verb, Access access) {
        OptionItem* sub = menu->AddItem(title);
        if (!sub)
            return;
        for (i32 r = 0; r < 4; ++r) {
            StringA text;
            text.Format("%s %s", verb, kRegisterNames[r]);
            if (OptionItem* item = sub->AddCheckItem(text.CStr(), &flags_[4 * r + access], 1))
                sub->AddCheckedIfItem(item, 1);
        }
        sub->AddSeparator();
        for (u8 value : {u8{1}, u8{0}}) {
            if (OptionItem* item = sub->AddItem(value ? "Select All" : "Clear All")) {
                for (i32 r = 0; r < 4; ++r)
                    item->AddActionSetByte(&flags_[4 * r + access], value);
            }
        }
    };
    auto setAll = [&](const char* title, const Access* accesses, i32 count, u8 value) {
        if (OptionItem* item = menu->AddItem(title)) {
            for (i32 a = 0; a < count; ++a) {
                for (i32 r = 0; r < 4; ++r)
                    item->AddActionSetByte(&flags_[4 * r + accesses[a]], value);
            }
        }
    };
    const Access traces[2] = {kTraceWrite, kTraceRead};
    const Access breaks[2] = {kBreakWrite, kBreakRead};
    const Access every[4] = {kTraceRead, kBreakRead, kTraceWrite, kBreakWrite};
    group("Trace Write Registers", "Write", kTraceWrite);
    group("Trace Read Registers", "Read", kTraceRead);
    setAll("Trace All", traces, 2, 1);
    menu->AddSeparator();
    group("Break On Write Registers", "Write", kBreakWrite);
    group("Break On Read Registers", "Read", kBreakRead);
    setAll("Break On All", breaks, 2, 1);
    menu->AddSeparator();
    setAll("Select All", every, 4, 1);
    setAll("Clear All", every, 4, 0);
}
