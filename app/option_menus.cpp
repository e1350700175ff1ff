#include "app/option_menus.h"

#include "app/menu_item_entry.h"
#include "core/emu_core.h"
#include "emu/option_item.h"

bool AddOptionItems(OptionItem* node, PopupMenu* menu, MenuHandler handler)
{
    if (!node || !menu)
        return false;
    for (i32 i = 0; i < node->GetChildCount(); ++i) {
        OptionItem* child = node->GetChild(i);
        if (!child)
            continue;
        if (child->GetChildCount() > 0) {
            PopupMenu* popup = menu->AddPopup(child->GetName(), child->IsEnabled());
            if (!popup)
                return false;
            AddOptionItems(child, popup, handler);
            popup->tag = child;
            popup->handler = handler;
            if ((popup->checked != 0) != child->IsChecked()) {
                popup->checked = child->IsChecked() ? 1 : 0;
                popup->Update(true, false);
            }
        } else if (child->IsSeparator()) {
            const bool last = i + 1 >= node->GetChildCount();
            OptionItem* next = last ? nullptr : node->GetChild(i + 1);
            if (last || (next && next->IsSeparator()))
                continue;
            MenuItem* separator = menu->AddSeparator(false);
            if (!separator)
                return false;
            separator->tag = child;
        } else {
            MenuItem* entry = menu->AddItem(child->GetName(), child->IsEnabled());
            if (!entry)
                return false;
            entry->tag = child;
            entry->handler = handler;
        }
    }
    return true;
}

bool AddCoreOptionMenus(EmuCore* core, const OptionMenuTargets& targets, MenuHandler handler)
{
    if (!core)
        return false;
    const struct {
        u32 id;
        PopupMenu* menu;
    } order[] = {{1, targets.computer}, {4, targets.input}, {6, targets.debug},
                 {2, targets.video},    {3, targets.sound}, {8, targets.settings}};
    for (const auto& [id, menu] : order) {
        if (!menu)
            continue;
        OptionItem* root = core->GetObjectById(id);
        if (root && root->GetChildCount() > 0) {
            menu->AddSeparator(true);
            if (!AddOptionItems(root, menu, handler))
                return false;
        } else {
            const int count = menu->GetChildCount();
            MenuItem* last = count > 0 ? menu->GetChild(count - 1) : nullptr;
            if (last && last->IsSeparator())
                menu->RemoveAt(count - 1);
        }
    }
    return true;
}

bool OptionEntryEvent(MenuItem* entry, int index, int kind, bool haveCore)
{
    if (index != -1 || !entry || !entry->tag || !haveCore)
        return false;
    auto* option = static_cast<OptionItem*>(entry->tag);
    if (kind == menu_event::kUpdate) {
        SetEntryState(entry, option->IsEnabled(), option->IsChecked());
        return true;
    }
    if (kind != menu_event::kCommand)
        return false;
    const MenuHandler handler = entry->handler;
    option->Execute();
    // An option whose name shows its value renames itself and the submenus above it.
    for (MenuItem* e = entry; e && e->tag && e->handler == handler; e = e->GetParent())
        e->SetText(static_cast<OptionItem*>(e->tag)->GetName());
    entry->UpdateAll();
    return true;
}
