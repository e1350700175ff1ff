// MenuItemEntry: a menu entry as the commands see it (MenuEntryInterface), and the
// shell a handler reaches through its entry: the entry's top-level window taken as the
// main window.
#pragma once

#include "app/shell_parts.h"
#include "gui/menu.h"
#include "gui/window_interface.h"

class MenuItemEntry : public MenuEntryInterface {
public:
    explicit MenuItemEntry(MenuItem* entry) : entry_(entry) {}
    i32 GetUserValue() const override { return entry_->userValue; }
    bool IsEnabled() const override { return entry_->enabled != 0; }
    void Disable() override
    {
        entry_->enabled = 0;
        entry_->Update(true, false);
    }

private:
    MenuItem* entry_;
};

inline ShellPartsInterface* ShellOf(MenuItem* entry)
{
    TopLevelInterface* top = entry ? entry->GetTopLevelWindow() : nullptr;
    return top ? dynamic_cast<ShellPartsInterface*>(top) : nullptr;
}

// Writes the flags that changed and shows them.
inline void SetEntryState(MenuItem* entry, bool enabled, bool checked)
{
    const u8 e = enabled ? 1 : 0, c = checked ? 1 : 0;
    if (entry->enabled == e && entry->checked == c)
        return;
    entry->enabled = e;
    entry->checked = c;
    entry->Update(true, false);
}
