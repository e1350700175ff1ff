#include "gui/top_level_base.h"

#include "gui/menu.h"

TopLevelBase::~TopLevelBase()
{
    delete menu_;
}

bool TopLevelBase::SetMenu(MenuBar* menu)
{
    if (menu == menu_)
        return true;
    if (IsCreated())
        return false;
    delete menu_;
    menu_ = menu;
    return true;
}

FrameInterface* TopLevelBase::GetFrame()
{
    WindowInterface* parent = GetParent();
    return parent != nullptr ? parent->GetFrame() : nullptr;
}
