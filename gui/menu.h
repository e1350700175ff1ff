// Menus: a tree of menu objects beside the native menus.
//
// MenuBar is the root, PopupMenu a submenu, MenuItem a plain entry. Every
// object knows its parent and its position there; native entries carry the
// identifier 0 and the native menus report a chosen entry by position
// (WM_MENUCOMMAND), which the frame window hands to DispatchCommand of the
// menu object stored in the native menu.
//
// Each entry may carry a handler, called as handler(entry, index, kind,
// argument): index -1 addresses the entry itself, else one of its children;
// kind 0 executes a command, kind 1 refreshes the entry (its enabled and
// checked flags, its text if it likes). DispatchEvent offers an event first
// to the handler of the entry addressed, then passes it down: a command to
// the child at the index, an update (from UpdateAll, through the root) to
// every child, parents before children. The application writes `enabled`
// and `checked` and calls Update(true, false) to show them.
//
// A PopupMenu owns its children; deleting an entry removes its native entry.
// Entries removed with RemoveAt renumber the entries behind them. GUI thread
// only.
#pragma once

#include <vector>

#include "base/string_w.h"

class FrameInterface;
class MenuItem;
class TopLevelInterface;
class WindowInterface;

using MenuHandler = bool (*)(MenuItem* entry, int index, int kind, void* argument);

namespace menu_event {
inline constexpr int kCommand = 0;
inline constexpr int kUpdate = 1;
}

class PopupMenu;

class MenuItem {
public:
    MenuItem() = default;
    virtual void Update(bool stateChanged, bool textChanged);
    virtual ~MenuItem();
    virtual int GetChildCount() { return 0; }
    virtual MenuItem* GetChild(int) { return nullptr; }
    // Refreshes the whole tree from its root.
    virtual void UpdateAll();
    virtual void* GetWindowHandle();
    virtual WindowInterface* GetOwnerWindow();

    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    void SetText(const StringW& text);
    bool DispatchEvent(int index, int kind, void* argument);
    bool DispatchCommand(int index);
    bool DispatchUpdate(int index);
    TopLevelInterface* GetTopLevelWindow();
    FrameInterface* GetFrameWindow();
    PopupMenu* GetParent() const { return parent; }
    int GetPosition() const { return position; }
    bool IsSeparator() const { return separator != 0; }

    StringW text;
    u8 enabled = 1;
    u8 checked = 0;
    u8 separator = 0;
    PopupMenu* parent = nullptr;
    i32 position = -1;
    i32 userValue = -1;      // free for the user (a drive index in the shell)
    void* tag = nullptr;     // free for the user; RemoveByTag selects by it
    MenuHandler handler = nullptr;

protected:
    // The native handle of this entry's submenu, for a popup entry.
    virtual void* SubmenuHandle() { return nullptr; }
};

class PopupMenu : public MenuItem {
public:
    // A native menu to wrap, or null to make one when first needed.
    explicit PopupMenu(void* handle = nullptr) : handle_(handle) {}
    ~PopupMenu() override;
    int GetChildCount() override { return static_cast<int>(children_.size()); }
    MenuItem* GetChild(int index) override;
    // Makes the native menu, set up to notify by position.
    virtual void* CreateHandle();
    // The native entry at position changed (the bar redraws).
    virtual void ItemChanged(int position);

    void* GetHandle();
    // With skipRedundant, nothing (null) on an empty menu or after a separator.
    MenuItem* AddSeparator(bool skipRedundant);
    MenuItem* AddItem(const StringW& text, bool enabled);
    MenuItem* AddItemFlagged(const StringW& text, bool enabled) { return AddItem(text, enabled); }
    PopupMenu* AddPopup(const StringW& text, bool enabled);
    void RemoveAt(int index);
    void Clear();
    // Removes every child whose tag equals (matching) or differs from the tag.
    void RemoveByTag(void* tag, bool matching);

protected:
    void* SubmenuHandle() override { return handle_; }
    void SetupHandle();

    void* handle_ = nullptr;

private:
    MenuItem* Attach(MenuItem* item, bool enabled, bool appended);

    std::vector<MenuItem*> children_;
};

class MenuBar : public PopupMenu {
public:
    explicit MenuBar(WindowInterface* owner = nullptr, void* handle = nullptr) : PopupMenu(handle), owner_(owner) {}
    ~MenuBar() override;
    void* GetWindowHandle() override;
    WindowInterface* GetOwnerWindow() override { return owner_; }
    void* CreateHandle() override;
    void ItemChanged(int position) override;

    // The window showing the bar (HWND); redraws the bar when both exist.
    bool SetWindow(void* window);
    void SetOwner(WindowInterface* owner) { owner_ = owner; }

private:
    void* window_ = nullptr;
    WindowInterface* owner_;
};
