// Outside Windows there are no native menus: handles are counters and every
// call succeeds, so the menu tree behaves as it does over Win32.
#ifndef _WIN32

#include <cstdint>

#include "gui/menu_native.h"

namespace {

class NoMenuNative : public MenuNative {
public:
    void* CreateBar() override { return Next(); }
    void* CreatePopup() override { return Next(); }
    void SetupMenu(void*, MenuItem*) override {}
    bool AppendString(void*, const StringW&) override { return true; }
    bool AppendPopup(void*, void*, const StringW&) override { return true; }
    bool AppendSeparator(void*) override { return true; }
    void SetText(void*, int, const StringW&, void*) override {}
    void SetState(void*, int, bool, bool) override {}
    void Remove(void*, int) override {}
    void DestroyMenu(void*) override {}
    void DrawBar(void*) override {}

private:
    void* Next() { return reinterpret_cast<void*>(++handles_ * 16); }

    std::uintptr_t handles_ = 0;
};

} // namespace

MenuNative& SystemMenuNative()
{
    static NoMenuNative native;
    return native;
}

#endif
