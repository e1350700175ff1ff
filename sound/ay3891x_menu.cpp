// AY-3-891X: the Sound menu's chip switches (kind 3) and the debugger's trace and break
// switches (kind 6).
#include "emu/option_item.h"
#include "sound/ay3891x.h"

namespace {

// Item labels of the registers, in register order.
constexpr const char* kRegisterNames[16] = {
    "0 - Channel A Tone Period (bits 0..7)",
    "1 - Channel A Tone Period (bits 8..11)",
    "2 - Channel B Tone Period (bits 0..7)",
    "3 - Channel B Tone Period (bits 8..11)",
    "4 - Channel C Tone Period (bits 0..7)",
    "5 - Channel C Tone Period (bits 8..11)",
    "6 - Noise Period (bits 0..4)",
    "7 - Mixer (tones+noise on/off), Ports In/Out",
    "8 - Channel A Volume (bits 0..4, bit 5-envelope)",
    "9 - Channel B Volume (bits 0..4, bit 5-envelope)",
    "A - Channel C Volume (bits 0..4, bit 5-envelope)",
    "B - Envelope Period (bits 0..7)",
    "C - Envelope Period (bits 8..15)",
    "D - Envelope Shape/Cycle (bits 0..3)",
    "E - I/O Port A",
    "F - I/O Port B",
};

// A submenu of the sixteen register switches; marked while any is on.
void AddRegisterMenu(OptionItem* menu, const char* title, u8* flags)
{
    OptionItem* sub = menu->AddItem(title);
    if (!sub)
        return;
    for (i32 r = 0; r < 16; ++r)
        sub->AddCheckedIfItem(sub->AddCheckItem(kRegisterNames[r], &flags[r], 1), 1);
    sub->AddSeparator();
    if (OptionItem* all = sub->AddItem("Select All"))
        all->AddActionSetBytes(flags, 1, 16);
    if (OptionItem* none = sub->AddItem("Clear All"))
        none->AddActionSetBytes(flags, 0, 16);
    menu->AddCheckedIfItem(sub, 1);
}

// "Write INDEX", "Write DATA", "Read DATA": the three port switches in that order.
void AddPortMenu(OptionItem* menu, const char* title, u8* ports)
{
    OptionItem* sub = menu->AddItem(title);
    if (!sub)
        return;
    sub->AddCheckedIfItem(sub->AddCheckItem("Write INDEX", &ports[0], 1), 1);
    sub->AddCheckedIfItem(sub->AddCheckItem("Write DATA", &ports[1], 1), 1);
    sub->AddCheckedIfItem(sub->AddCheckItem("Read DATA", &ports[2], 1), 1);
    sub->AddSeparator();
    if (OptionItem* all = sub->AddItem("Select All"))
        all->AddActionSetBytes(ports, 1, 3);
    if (OptionItem* none = sub->AddItem("Clear All"))
        none->AddActionSetBytes(ports, 0, 3);
    menu->AddCheckedIfItem(sub, 1);
}

} // namespace

void Ay3891xPsg::BuildMenu(OptionItem* menu, i32 kind)
{
    SoundDevice::BuildMenu(menu, kind);
    if (!menu)
        return;
    if (kind == kMenuSound) {
        OptionItem* sub = GetSoundMenu();
        if (!sub)
            sub = menu->AddItem(GetName());
        if (!sub)
            return;
        sub->AddCheckItem("Enable Noise", &disableNoise_, 0, &enableSound_, 1);
        sub->AddSeparator();
        // The envelope's step count is fixed when the generators start.
        sub->AddCheckItem("YM-2149F Mode", &yamahaMode_, 1, reinterpret_cast<u8*>(&running_), 0);
        return;
    }
    if (kind != kMenuDebug)
        return;
    auto setAll = [](OptionItem* item, u8 value, u8* ports, u8* regs) {
        if (!item)
            return;
        item->AddActionSetBytes(ports, value, 3);
        item->AddActionSetBytes(regs, value, 2 * kRegisters);
    };
    AddRegisterMenu(menu, "Trace Write Registers", traceReg_);
    AddRegisterMenu(menu, "Trace Read Registers", traceReg_ + kRegisters);
    AddPortMenu(menu, "Trace Ports", tracePort_);
    setAll(menu->AddItem("Trace All"), 1, tracePort_, traceReg_);
    menu->AddSeparator();
    AddRegisterMenu(menu, "Break On Write Registers", breakReg_);
    AddRegisterMenu(menu, "Break On Read Registers", breakReg_ + kRegisters);
    AddPortMenu(menu, "Break On Ports", breakPort_);
    setAll(menu->AddItem("Break On All"), 1, breakPort_, breakReg_);
    menu->AddSeparator();
    for (u8 value : {u8{1}, u8{0}}) {
        OptionItem* item = menu->AddItem(value ? "Select All" : "Clear All");
        setAll(item, value, tracePort_, traceReg_);
        setAll(item, value, breakPort_, breakReg_);
    }
}
