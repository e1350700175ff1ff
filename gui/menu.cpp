#include "gui/menu.h"

#include "gui/menu_native.h"
#include "gui/window_interface.h"

MenuItem::~MenuItem()
{
    if (parent != nullptr && position >= 0)
        GetMenuNative().Remove(parent->GetHandle(), position);
}

void MenuItem::Update(bool stateChanged, bool textChanged)
{
    if (parent == nullptr || position < 0 || separator != 0 || (!stateChanged && !textChanged))
        return;
    MenuNative& native = GetMenuNative();
    void* menu = parent->GetHandle();
    if (textChanged)
        native.SetText(menu, position, text, SubmenuHandle());
    native.SetState(menu, position, enabled != 0, checked != 0);
    parent->ItemChanged(position);
}

void MenuItem::SetText(const StringW& newText)
{
    if (separator != 0 || text.Compare(newText) == 0)
        return;
    text = newText;
    Update(false, true);
}

bool MenuItem::DispatchEvent(int index, int kind, void* argument)
{
    if (separator != 0 || index >= GetChildCount())
        return false;
    if (handler != nullptr && handler(this, index, kind, argument)) {
        if (kind == menu_event::kCommand || GetChildCount() == 0)
            return true;
    }
    if (index >= 0) {
        MenuItem* child = GetChild(index);
        return child != nullptr && child->DispatchEvent(-1, kind, argument);
    }
    bool any = false;
    for (int i = 0; i < GetChildCount(); ++i)
        if (MenuItem* child = GetChild(i); child != nullptr && child->DispatchEvent(-1, kind, argument))
            any = true;
    return any;
}

bool MenuItem::DispatchCommand(int index)
{
    return separator == 0 && DispatchEvent(index, menu_event::kCommand, nullptr);
}

bool MenuItem::DispatchUpdate(int index)
{
    return separator == 0 && DispatchEvent(index, menu_event::kUpdate, nullptr);
}

void MenuItem::UpdateAll()
{
    if (parent != nullptr)
        parent->UpdateAll();
    else if (separator == 0)
        DispatchEvent(-1, menu_event::kUpdate, nullptr);
}

void* MenuItem::GetWindowHandle()
{
    return parent != nullptr ? parent->GetWindowHandle() : nullptr;
}

WindowInterface* MenuItem::GetOwnerWindow()
{
    return parent != nullptr ? parent->GetOwnerWindow() : nullptr;
}

TopLevelInterface* MenuItem::GetTopLevelWindow()
{
    WindowInterface* owner = GetOwnerWindow();
    return owner != nullptr ? owner->GetTopLevel() : nullptr;
}

FrameInterface* MenuItem::GetFrameWindow()
{
    WindowInterface* owner = GetOwnerWindow();
    return owner != nullptr ? owner->GetFrame() : nullptr;
}

PopupMenu::~PopupMenu()
{
    MenuNative& native = GetMenuNative();
    while (!children_.empty()) {
        delete children_.back();
        children_.pop_back();
    }
    if (parent != nullptr)
        parent->ItemChanged(position);
    else if (handle_ != nullptr)
        native.DestroyMenu(handle_);  // an attached submenu goes with its parent's entry
}

MenuItem* PopupMenu::GetChild(int index)
{
    if (index < 0 || index >= GetChildCount())
        return nullptr;
    return children_[static_cast<size_t>(index)];
}

void* PopupMenu::GetHandle()
{
    if (handle_ == nullptr)
        handle_ = CreateHandle();
    return handle_;
}

void* PopupMenu::CreateHandle()
{
    handle_ = GetMenuNative().CreatePopup();
    SetupHandle();
    return handle_;
}

void PopupMenu::SetupHandle()
{
    if (handle_ == nullptr)
        return;
    GetMenuNative().SetupMenu(handle_, this);
    Update(true, true);
}

void PopupMenu::ItemChanged(int)
{
    if (parent != nullptr)
        parent->ItemChanged(position);
}

MenuItem* PopupMenu::Attach(MenuItem* item, bool enabled, bool appended)
{
    if (!appended) {
        item->parent = nullptr;
        item->position = -1;
        delete item;
        return nullptr;
    }
    item->parent = this;
    item->position = GetChildCount();
    item->enabled = enabled ? 1 : 0;
    children_.push_back(item);
    return item;
}

MenuItem* PopupMenu::AddSeparator(bool skipRedundant)
{
    if (skipRedundant && (children_.empty() || children_.back()->separator != 0))
        return nullptr;
    auto* item = new MenuItem;
    item->separator = 1;
    return Attach(item, true, GetMenuNative().AppendSeparator(GetHandle()));
}

MenuItem* PopupMenu::AddItem(const StringW& text, bool enabled)
{
    auto* item = new MenuItem;
    item->text = text;
    if (Attach(item, enabled, GetMenuNative().AppendString(GetHandle(), text)) == nullptr)
        return nullptr;
    item->Update(true, true);
    return item;
}

PopupMenu* PopupMenu::AddPopup(const StringW& text, bool enabled)
{
    auto* popup = new PopupMenu;
    popup->text = text;
    popup->parent = this;
    popup->position = GetChildCount();
    popup->enabled = enabled ? 1 : 0;
    void* submenu = popup->CreateHandle();
    const bool appended = submenu != nullptr && GetMenuNative().AppendPopup(GetHandle(), submenu, text);
    if (!appended) {
        popup->parent = nullptr;
        popup->position = -1;
        delete popup;  // destroys the unattached submenu
        return nullptr;
    }
    children_.push_back(popup);
    popup->Update(true, true);
    return popup;
}

void PopupMenu::RemoveAt(int index)
{
    if (index < 0 || index >= GetChildCount())
        return;
    MenuItem* child = children_[static_cast<size_t>(index)];
    delete child;
    children_.erase(children_.begin() + index);
    for (size_t i = static_cast<size_t>(index); i < children_.size(); ++i)
        children_[i]->position = static_cast<i32>(i);
    ItemChanged(index);
}

void PopupMenu::Clear()
{
    while (!children_.empty()) {
        delete children_.back();
        children_.pop_back();
    }
    ItemChanged(position);
}

void PopupMenu::RemoveByTag(void* tag, bool matching)
{
    for (int i = GetChildCount() - 1; i >= 0; --i) {
        MenuItem* child = children_[static_cast<size_t>(i)];
        if ((child->tag == tag) == matching) {
            delete child;
            children_.erase(children_.begin() + i);
            for (size_t k = static_cast<size_t>(i); k < children_.size(); ++k)
                children_[k]->position = static_cast<i32>(k);
        }
    }
    ItemChanged(position);
}

MenuBar::~MenuBar()
{
    // The children go first, while this is still a bar: their entries leave
    // the native bar, and the bar itself is destroyed below unless a window
    // still shows it (the window destroys it then).
    while (GetChildCount() > 0)
        RemoveAt(GetChildCount() - 1);
    if (window_ != nullptr && handle_ != nullptr)
        handle_ = nullptr;
}

void* MenuBar::GetWindowHandle()
{
    return window_ != nullptr ? window_ : MenuItem::GetWindowHandle();
}

void* MenuBar::CreateHandle()
{
    handle_ = GetMenuNative().CreateBar();
    SetupHandle();
    return handle_;
}

void MenuBar::ItemChanged(int position)
{
    if (window_ != nullptr)
        GetMenuNative().DrawBar(window_);
    PopupMenu::ItemChanged(position);
}

bool MenuBar::SetWindow(void* window)
{
    window_ = window;
    if (handle_ != nullptr && window_ != nullptr)
        GetMenuNative().DrawBar(window_);
    return true;
}
