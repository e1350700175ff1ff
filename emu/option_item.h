// Option items: the platform-neutral model of every menu the emulation side offers.
//
// An item is a node of a tree with a name, owned children and three computed states:
// checked, enabled and visible. Each state is defined by a list of conditions over plain
// variables of the devices (a u8 flag or a u32 word equal to a value), over the same
// state of another item, or over a predicate function; any one condition that holds
// makes the state true, and an empty list falls back to the item's own flag. Executing an
// item runs its list of actions, which write those same variables. The GUI turns a tree
// into native menus: it reads names, children, the separator and checkable marks and the
// three states when it builds or refreshes an entry, and calls Execute when the user
// picks one.
//
// Typical device menu patterns:
//   per-register switch    AddCheckItem(text, &flag, 1, nullptr, 0)
//   submenu marked while any switch below is on:
//                          submenu->AddCheckedIfItem(switchItem, 1) for each switch
//   "Select All"/"Clear All"  AddItem(text) then AddActionSetByte(&flag, 1 or 0) per flag
//   a choice among values  AddRadioItem(text, &word, value, ...) once per value
//
// Ownership: an item owns its children. Targets of conditions and actions (variables,
// other items, functions) are not owned and must outlive the item, so a device's menu
// items are deleted (DeleteChildren on the top-level item) before the device.
//
// Threads: no lock. Items are built, refreshed and executed on the GUI thread; the
// variables they touch are single bytes and words that the emulation worker reads.
#pragma once

#include <vector>

#include "base/string_w.h"
#include "base/types.h"
#include "base/value.h"

class OptionItem;
class StringBase;

// Answers a byte used as a boolean.
using OptionPredicate = u8 (*)(void* context);
// Told of a notification: (context, item where it started). The answer is not used.
using OptionCallback = void (*)(void* context, OptionItem* item);

// One record of a condition or action list.
struct OptionCondition {
    enum Kind : u32 {
        kWord = 0,        // u32 variable == value          / store value
        kByte = 1,        // u8 variable == value byte      / store value byte
        kItem = 2,        // the other item's same state    / Execute the other item
        kToggle = 3,      // never holds                    / invert bit 0 of the u8 variable
        kSetChecked = 4,  // never holds                    / bring the other item to a checked state
        kCall = 5,        // predicate(context) == value byte / call the predicate
    };

    u32 kind = kWord;
    void* context = nullptr;  // for kCall only
    void* target = nullptr;   // u32*, u8*, OptionItem* or OptionPredicate
    u32 value = 0;            // kWord: all 32 bits; every other kind: the low byte
};

class OptionItemBase {
public:
    virtual bool AddChild(OptionItem* item) = 0;
    virtual const StringW& GetName() const = 0;
    virtual void SetName(const StringBase& name) = 0;
    virtual const StringW& GetDescription() const = 0;
    virtual void SetDescription(const StringBase& description) = 0;
    virtual ~OptionItemBase() = default;
    virtual bool Execute() = 0;
    virtual bool Notify(OptionItem* item) = 0;
    virtual i32 GetChildCount() const = 0;
    virtual OptionItem* GetChild(i32 index) const = 0;
    virtual OptionItem* AddChildItem(OptionItem* item) = 0;
    virtual OptionItem* AddItem(const StringBase& name) = 0;
    virtual OptionItem* AddCheckItem(const StringBase& name, u8* variable, u8 value, u8* enableVariable,
                                     u8 enableValue) = 0;
    virtual OptionItem* AddRadioItem(const StringBase& name, u32* variable, u32 value, u8* enableVariable,
                                     u8 enableValue) = 0;
    virtual OptionItem* AddSeparator() = 0;
    virtual void DeleteChildren() = 0;
    virtual OptionItem* GetParent() const = 0;
    virtual bool SetParent(OptionItem* parent) = 0;
    virtual bool IsChecked() const = 0;
    virtual bool IsCheckable() const = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool IsSeparator() const = 0;
    virtual Value& GetValue() = 0;
    virtual bool AddCheckedIfItem(OptionItem* item, u8 value) = 0;
    virtual bool AddCheckedIfCall(OptionPredicate predicate, void* context, u8 value) = 0;
    virtual bool AddCheckedIfByte(u8* variable, u8 value) = 0;
    virtual bool AddCheckedIfWord(u32* variable, u32 value) = 0;
    virtual bool AddEnabledIfItem(OptionItem* item, u8 value) = 0;
    virtual bool AddEnabledIfCall(OptionPredicate predicate, void* context, u8 value) = 0;
    virtual bool AddEnabledIfByte(u8* variable, u8 value) = 0;
    virtual bool AddEnabledIfWord(u32* variable, u32 value) = 0;
    virtual bool AddVisibleIfItem(OptionItem* item, u8 value) = 0;
    virtual bool AddVisibleIfByte(u8* variable, u8 value) = 0;
    virtual bool AddVisibleIfWord(u32* variable, u32 value) = 0;
    virtual bool AddActionExecute(OptionItem* item) = 0;
    virtual bool AddActionCall(OptionPredicate predicate, void* context) = 0;
    virtual bool AddActionSetChecked(OptionItem* item, u8 value) = 0;
    virtual bool AddActionToggleByte(u8* variable) = 0;
    virtual bool AddActionSetByte(u8* variable, u8 value) = 0;
    virtual bool AddActionSetBytes(u8* array, u8 value, i32 count) = 0;
    virtual bool AddActionSetWord(u32* variable, u32 value) = 0;
    virtual void SetCallback(void* context, OptionCallback callback) = 0;
    virtual OptionItem*& GetParentLink() = 0;
};

class OptionItem : public OptionItemBase {
public:
    OptionItem() = default;
    // Children first, then the lists.
    ~OptionItem() override;

    OptionItem(const OptionItem&) = delete;
    OptionItem& operator=(const OptionItem&) = delete;

    // False for null; true without change when the item is already a child of this one.
    // An item must be given to one parent only: each parent deletes its children.
    bool AddChild(OptionItem* item) override;
    const StringW& GetName() const override { return name_; }
    void SetName(const StringBase& name) override;
    const StringW& GetDescription() const override { return description_; }
    void SetDescription(const StringBase& description) override;
    // Runs the actions in order; true when something changed. A separator, a disabled
    // or invisible item and a submenu (an item with children) do nothing and answer false.
    bool Execute() override;
    // Climbs from this item to the nearest one with a callback and calls it with item
    // (this one when null); false when no item up the chain has a callback.
    bool Notify(OptionItem* item) override;
    i32 GetChildCount() const override { return static_cast<i32>(children_.size()); }
    // No bounds check: 0 <= index < GetChildCount().
    OptionItem* GetChild(i32 index) const override { return children_[static_cast<size_t>(index)]; }
    OptionItem* AddChildItem(OptionItem* item) override;
    // A new plain item named name, appended; null on a separator.
    OptionItem* AddItem(const StringBase& name) override;
    // Checked while *variable == value, toggles bit 0 of *variable when picked; with an
    // enable variable, enabled only while it equals enableValue.
    OptionItem* AddCheckItem(const StringBase& name, u8* variable, u8 value, u8* enableVariable,
                             u8 enableValue) override;
    // Checked while *variable == value, stores value when picked; enabling as above.
    OptionItem* AddRadioItem(const StringBase& name, u32* variable, u32 value, u8* enableVariable,
                             u8 enableValue) override;
    OptionItem* AddSeparator() override;
    void DeleteChildren() override;
    OptionItem* GetParent() const override { return parent_; }
    bool SetParent(OptionItem* parent) override;
    bool IsChecked() const override;
    bool IsCheckable() const override { return checkable_ != 0 || !checkedConditions_.empty(); }
    void SetChecked(bool checked) override { checked_ = checked ? 1 : 0; }
    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override { enabled_ = enabled ? 1 : 0; }
    bool IsVisible() const override;
    void SetVisible(bool visible) override { visible_ = visible ? 1 : 0; }
    bool IsSeparator() const override { return separator_ != 0; }
    Value& GetValue() override { return value_; }

    // Condition adders: false, changing nothing, on a separator or for a null target.
    // With the item itself as the other item, the ...IfItem forms become a byte
    // condition on the item's own flag of that state.
    bool AddCheckedIfItem(OptionItem* item, u8 value) override;
    bool AddCheckedIfCall(OptionPredicate predicate, void* context, u8 value) override;
    bool AddCheckedIfByte(u8* variable, u8 value) override;
    bool AddCheckedIfWord(u32* variable, u32 value) override;
    bool AddEnabledIfItem(OptionItem* item, u8 value) override;
    bool AddEnabledIfCall(OptionPredicate predicate, void* context, u8 value) override;
    bool AddEnabledIfByte(u8* variable, u8 value) override;
    bool AddEnabledIfWord(u32* variable, u32 value) override;
    bool AddVisibleIfItem(OptionItem* item, u8 value) override;
    bool AddVisibleIfByte(u8* variable, u8 value) override;
    bool AddVisibleIfWord(u32* variable, u32 value) override;

    // Action adders: the same refusals; the two that name another item also refuse the
    // item itself. An action call counts as a change when its predicate answers non-zero.
    bool AddActionExecute(OptionItem* item) override;
    bool AddActionCall(OptionPredicate predicate, void* context) override;
    bool AddActionSetChecked(OptionItem* item, u8 value) override;
    bool AddActionToggleByte(u8* variable) override;
    bool AddActionSetByte(u8* variable, u8 value) override;
    // count actions of kind byte, array[0] first; false for count <= 0.
    bool AddActionSetBytes(u8* array, u8 value, i32 count) override;
    bool AddActionSetWord(u32* variable, u32 value) override;
    // A null callback removes it.
    void SetCallback(void* context, OptionCallback callback) override;
    OptionItem*& GetParentLink() override { return parent_; }

    // Conveniences for menu builders that hold plain narrow texts.
    OptionItem* AddItem(const char* name);
    OptionItem* AddCheckItem(const char* name, u8* variable, u8 value, u8* enableVariable = nullptr,
                             u8 enableValue = 0);
    OptionItem* AddRadioItem(const char* name, u32* variable, u32 value, u8* enableVariable = nullptr,
                             u8 enableValue = 0);
    void SetName(const char* name);

    bool IsCheckedFlagSet() const { return checked_ != 0; }

private:
    enum class State { kChecked, kEnabled, kVisible };
    using ConditionList = std::vector<OptionCondition>;

    bool Append(ConditionList& list, u32 kind, void* target, u32 value, void* context = nullptr);
    // AddItem, enabled only while *enableVariable equals enableValue when one is given.
    OptionItem* AddItemEnabledIf(const StringBase& name, u8* enableVariable, u8 enableValue);
    bool AnyHolds(const ConditionList& list, State state) const;
    bool StateOf(State state) const;

    std::vector<OptionItem*> children_;
    OptionItem* parent_ = nullptr;
    StringW name_;
    StringW description_;
    Value value_;  // attached by the owner; the item never reads it
    u8 checked_ = 0;
    u8 checkable_ = 1;
    u8 enabled_ = 1;
    u8 visible_ = 1;
    u8 separator_ = 0;
    ConditionList checkedConditions_;
    ConditionList enabledConditions_;
    ConditionList visibleConditions_;
    ConditionList actions_;
    void* callbackContext_ = nullptr;
    OptionCallback callback_ = nullptr;
    // One bit per State while it is being worked out, and kExecuting while the actions
    // run, so that items whose conditions or actions refer to each other in a ring end
    // (the inner query does not hold, the inner Execute changes nothing) instead of
    // recursing without bound.
    static constexpr u8 kExecuting = 0x08;
    mutable u8 busy_ = 0;
};

// The items that device menu builders and the emulation core create themselves (a
// device's submenu, the core's root and top-level items). Adds nothing to OptionItem.
class DeviceOption : public OptionItem {
public:
    DeviceOption() = default;
    ~DeviceOption() override = default;
};
