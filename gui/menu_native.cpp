#include "gui/menu_native.h"

namespace {

MenuNative* installed = nullptr;

} // namespace

MenuNative& GetMenuNative()
{
    return installed != nullptr ? *installed : SystemMenuNative();
}

void SetMenuNative(MenuNative* native)
{
    installed = native;
}
