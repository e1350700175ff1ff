// The Win32 menu calls: entries carry identifier 0, because the menus notify
// by position (MNS_NOTIFYBYPOS) and the frame window dispatches WM_MENUCOMMAND
// through the menu object stored as the menu's data.
#include <windows.h>

#include "gui/menu_native.h"

namespace {

HMENU AsMenu(void* menu)
{
    return static_cast<HMENU>(menu);
}

class Win32MenuNative : public MenuNative {
public:
    void* CreateBar() override
    {
        HMENU menu = CreateMenu();
        return menu != nullptr ? menu : CreatePopupMenu();
    }

    void* CreatePopup() override { return CreatePopupMenu(); }

    void SetupMenu(void* menu, MenuItem* object) override
    {
        MENUINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = MIM_STYLE;
        GetMenuInfo(AsMenu(menu), &info);
        info.fMask = MIM_STYLE | MIM_MENUDATA;
        info.dwStyle |= MNS_NOTIFYBYPOS;
        info.dwMenuData = reinterpret_cast<ULONG_PTR>(object);
        SetMenuInfo(AsMenu(menu), &info);
    }

    bool AppendString(void* menu, const StringW& text) override
    {
        return AppendMenuW(AsMenu(menu), MF_STRING, 0, text.CStr()) != FALSE;
    }

    bool AppendPopup(void* menu, void* popup, const StringW& text) override
    {
        return AppendMenuW(AsMenu(menu), MF_POPUP, reinterpret_cast<UINT_PTR>(popup), text.CStr()) != FALSE;
    }

    bool AppendSeparator(void* menu) override
    {
        return AppendMenuW(AsMenu(menu), MF_SEPARATOR, 0, nullptr) != FALSE;
    }

    void SetText(void* menu, int position, const StringW& text, void* popup) override
    {
        if (popup != nullptr)
            ModifyMenuW(AsMenu(menu), position, MF_BYPOSITION | MF_STRING | MF_POPUP,
                        reinterpret_cast<UINT_PTR>(popup), text.CStr());
        else
            ModifyMenuW(AsMenu(menu), position, MF_BYPOSITION | MF_STRING, 0, text.CStr());
    }

    void SetState(void* menu, int position, bool enabled, bool checked) override
    {
        EnableMenuItem(AsMenu(menu), position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
        CheckMenuItem(AsMenu(menu), position, MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
    }

    void Remove(void* menu, int position) override { DeleteMenu(AsMenu(menu), position, MF_BYPOSITION); }

    void DestroyMenu(void* menu) override { ::DestroyMenu(AsMenu(menu)); }

    void DrawBar(void* window) override { DrawMenuBar(static_cast<HWND>(window)); }
};

} // namespace

MenuNative& SystemMenuNative()
{
    static Win32MenuNative native;
    return native;
}
