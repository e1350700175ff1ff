#include "gui/container_control.h"

bool ContainerControl::Create()
{
    if (IsCreated())
        return true;
    if (!ChildControl::Create())
        return false;
    // The native control is bound; the window part now binds its drawing
    // context and creates the children (binding again answers at once).
    if (!IsCreated())
        return false;
    GetContext().SetWindow(handle);
    for (int i = 0; i < GetChildCount(); ++i) {
        ControlInterface* child = GetChild(i);
        if (child != nullptr && !child->IsCreated() && !child->Create()) {
            Destroy();
            return false;
        }
    }
    LayoutChildren();
    return true;
}

void ContainerControl::Destroy()
{
    for (int i = 0; i < GetChildCount(); ++i)
        if (ControlInterface* child = GetChild(i); child != nullptr && child->IsCreated())
            child->Destroy();
    ChildControl::Destroy();
}

void ContainerControl::SetEnabled(bool enable)
{
    if (IsEnabled(false) == enable)
        return;
    ChildControl::SetEnabled(enable);
    RefreshChildren();
}

LRESULT ContainerControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (HandleChildMessage(message, wParam, lParam, &result))
        return result;
    return ChildControl::HandleMessage(message, wParam, lParam);
}
