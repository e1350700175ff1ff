// Device menus. The debugger menu's per-sub-unit submenus are built with the option
// items of the menu model; until a menu model is attached, every kind is passed on to
// the children unchanged.
#include "emu/device.h"

void Device::BuildMenu(OptionItem* menu, i32 kind)
{
    ComponentGroup::BuildMenu(menu, kind);
}
