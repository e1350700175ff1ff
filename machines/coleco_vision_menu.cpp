// ColecoVision: the debugger's "Motherboard" switches and the machine options menu.
#include "emu/option_item.h"
#include "machines/coleco_vision.h"

namespace {

// Menu kind of the machine's options.
constexpr i32 kMenuOptions = 1;

// The options that act at start can be changed only while the machine is stopped.
u8 IsStopped(void* machine)
{
    return static_cast<ColecoVisionMachine*>(machine)->IsRunning() ? 0 : 1;
}

} // namespace

void ColecoVisionMachine::BuildMenu(OptionItem* menu, i32 kind)
{
    if (kind == kMenuDebug && menu) {
        if (OptionItem* board = menu->AddItem("Motherboard")) {
            auto check = [board](const char* title, u8* flag) {
                if (OptionItem* item = board->AddCheckItem(title, flag, 1))
                    board->AddCheckedIfItem(item, 1);
            };
            check("Trace Read Keypad", &traceReadKeypad_);
            check("Trace Read Joystick", &traceReadJoystick_);
            if (OptionItem* all = board->AddItem("Trace All")) {
                all->AddActionSetByte(&traceReadKeypad_, 1);
                all->AddActionSetByte(&traceReadJoystick_, 1);
            }
            board->AddSeparator();
            check("Break On Read Keypad", &breakReadKeypad_);
            check("Break On Read Joystick", &breakReadJoystick_);
            if (OptionItem* all = board->AddItem("Break On All")) {
                all->AddActionSetByte(&breakReadKeypad_, 1);
                all->AddActionSetByte(&breakReadJoystick_, 1);
            }
            board->AddSeparator();
            for (u8 value : {u8{1}, u8{0}}) {
                if (OptionItem* item = board->AddItem(value ? "Select All" : "Clear All")) {
                    item->AddActionSetByte(&traceReadKeypad_, value);
                    item->AddActionSetByte(&traceReadJoystick_, value);
                    item->AddActionSetByte(&breakReadKeypad_, value);
                    item->AddActionSetByte(&breakReadJoystick_, value);
                }
            }
        }
    }
    Device::BuildMenu(menu, kind);
    if (kind == kMenuOptions && menu) {
        if (OptionItem* item = menu->AddCheckItem("Fast BIOS Screen", &fastLogo_, 1))
            item->AddEnabledIfCall(IsStopped, this, 1);
    }
}
