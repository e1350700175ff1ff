// Device menus. In the debugger menu every sub-unit that has entries gets one submenu
// named after it, marked while any entry below it is marked; sub-units without entries
// leave no trace. Every other menu kind is passed on to the children unchanged.
#include "emu/device.h"

#include "emu/option_item.h"

void Device::BuildMenu(OptionItem* menu, i32 kind)
{
    if (kind != kMenuDebug) {
        ComponentGroup::BuildMenu(menu, kind);
        return;
    }
    if (menu == nullptr)
        return;
    // A submenu that stayed empty is reused for the next child.
    DeviceOption* pending = nullptr;
    for (Component* child : children_) {
        if (child == nullptr)
            continue;
        if (child->IsDevice() && static_cast<Device*>(child)->IsSelectable()) {
            child->BuildMenu(menu, kind);
            continue;
        }
        if (pending == nullptr)
            pending = new DeviceOption;
        child->BuildMenu(pending, kind);
        if (pending->GetChildCount() > 0) {
            pending->SetName(child->GetName());
            if (menu->AddChildItem(pending) != nullptr)
                menu->AddCheckedIfItem(pending, 1);
            else
                delete pending;
            pending = nullptr;
        }
    }
    delete pending;
}
