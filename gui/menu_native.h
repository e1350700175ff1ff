// The native menu calls of the menu tree, behind one small interface so that
// the tree, its dispatch and its refresh run the same with or without Win32.
// Every position is a position in that native menu; handles are HMENU and
// HWND. The system's implementation is the Win32 one on Windows and one that
// makes nothing elsewhere; tests may install their own.
#pragma once

#include "base/string_w.h"

class MenuItem;

class MenuNative {
public:
    virtual ~MenuNative() = default;
    // CreateMenu, falling back to CreatePopupMenu; null on failure.
    virtual void* CreateBar() = 0;
    virtual void* CreatePopup() = 0;
    // Notification by position, and the menu object as the menu's data.
    virtual void SetupMenu(void* menu, MenuItem* object) = 0;
    virtual bool AppendString(void* menu, const StringW& text) = 0;
    virtual bool AppendPopup(void* menu, void* popup, const StringW& text) = 0;
    virtual bool AppendSeparator(void* menu) = 0;
    // A popup entry passes its submenu so that it keeps it.
    virtual void SetText(void* menu, int position, const StringW& text, void* popup) = 0;
    virtual void SetState(void* menu, int position, bool enabled, bool checked) = 0;
    virtual void Remove(void* menu, int position) = 0;
    virtual void DestroyMenu(void* menu) = 0;
    virtual void DrawBar(void* window) = 0;
};

MenuNative& GetMenuNative();
// Null puts the system's implementation back.
void SetMenuNative(MenuNative* native);
// The system's implementation (Win32 on Windows).
MenuNative& SystemMenuNative();
