// The component tree: every part of an emulated machine is a named node.
//
// The machine is the root; its services ("_BUS", "_MEM", "_PORT", "_INTR", "_KEYB",
// "_MOUSE", the drive bay), its chips and their sub-units are nodes below it. A node
// has a name (saved states, settings files, menus, event names), a short description
// that log and trace lines prefer, and an enabled flag that switches it and its whole
// subtree in or out of starting, stopping, saving and loading.
//
// Component record, the framing of one node in a saved state (archive encodings):
//   F0, name                      open marker and the node's name as a string record
//   "_VER" u8 0                   the only version there is
//   "_ENBL" one byte              1 when enabled; a load refuses a flag other than
//                                 the node's own (the settings decide, not the state)
//   ...                           the node's own state (SaveState)
//   ...                           groups: the records of the enabled children, in order
//   FF, name                      close marker and the name again
// There is no length and no child count: a reader walks its own tree and expects the
// records in exactly that order, so the tree being loaded must match the one saved.
#pragma once

#include <map>
#include <vector>

#include "base/string_a.h"
#include "base/types.h"

class Archive;
class CommandInterpreter;
class ComponentGroup;
class Dictionary;
class OptionItem;

// Whatever the caller of the root's LoadComponent supplies; the tree passes it to every
// LoadState, LoadComponent and OnLoaded and never reads it.
using LoadContext = void*;

class Component {
public:
    using NameMap = std::map<StringA, Component*, StringALess>;

    Component() = default;
    virtual ~Component() = default;

    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    // First node of the subtree without a name, or null.
    virtual Component* FindUnnamed();
    // First node whose name is already in names (entering every name it passes); with
    // unnamedCounts an empty name is reported at once.
    virtual Component* FindDuplicateName(NameMap& names, bool unnamedCounts);
    // Binds the node's settings keys into dict. Base: true when dict is not null.
    virtual bool BindSettings(Dictionary* dict, bool enabledOnly);
    // Brings bound settings back into range after a load.
    virtual bool ValidateSettings(bool enabledOnly);
    // rate: the largest timer rate any node asks for; nodes may raise it.
    virtual bool Start(i32* rate);
    virtual void Stop();
    // Adds the node's entries to one of the application's menus (kind selects which).
    virtual void BuildMenu(OptionItem* menu, i32 kind);
    // 0 for every component; the CPU base answers 1.
    virtual i32 GetKind() const { return 0; }
    virtual bool IsDevice() const { return false; }
    // Writes or reads this node's component record (see the top of this file).
    virtual bool SaveComponent(Archive& archive);
    virtual bool LoadComponent(Archive& archive, LoadContext context);
    // The node's own state inside its record. Base: nothing, true.
    virtual bool SaveState(Archive& archive);
    virtual bool LoadState(Archive& archive, LoadContext context);
    virtual void SetHost(CommandInterpreter* console);

    // The name's text; "" when empty. Valid until the name changes.
    const char* GetName() const { return name_.GetNarrow(); }
    const StringA& GetNameString() const { return name_; }
    const StringA& GetDescription() const { return description_; }
    void SetName(const char* name) { name_.Assign(name); }
    void SetDescription(const char* description) { description_.Assign(description); }
    // What log and trace lines call the node: its description, else its name.
    const char* GetLabel() const
    {
        return description_.IsEmpty() ? name_.GetNarrow() : description_.GetNarrow();
    }

    ComponentGroup* GetParent() const { return parent_; }
    CommandInterpreter* GetConsole() const { return console_; }
    bool IsEnabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

    // Dotted name for event names: the node's name, then each ancestor below the root,
    // nearest first ("A.B" for A in group B under the root).
    void GetFullName(StringA& out) const;
    // With checkDuplicates the first duplicate over a fresh name map (unnamed nodes count
    // when checkUnnamed is set); with checkUnnamed only the first unnamed node; else null.
    Component* CheckNames(bool checkUnnamed, bool checkDuplicates);

    // Formatted like StringBase::Format ("%ld" takes a 32-bit argument on every host).
    // One console line in the default colour. Without a console nothing is printed.
    template <typename... Args>
    void LogF(const char* format, Args... args) const
    {
        LogFormatted(false, format, args...);
    }
    // One console line in the error colour; an empty text prints nothing.
    template <typename... Args>
    void LogColoredF(const char* format, Args... args) const
    {
        LogFormatted(true, format, args...);
    }

protected:
    // The record's framing, shared by leaves and groups.
    bool SaveRecordHead(Archive& archive);
    bool SaveRecordTail(Archive& archive);
    bool LoadRecordHead(Archive& archive);
    bool LoadRecordTail(Archive& archive);

private:
    friend class ComponentGroup;

    // The arguments travel on to StringBase::Format, which owns the one va_list.
    template <typename... Args>
    void LogFormatted(bool error, const char* format, Args... args) const
    {
        if (console_ == nullptr)
            return;
        StringA line;
        line.Format(format, args...);
        PrintLogLine(line, error);
    }
    void PrintLogLine(const StringA& line, bool error) const;  // component_log.cpp

    StringA name_;
    StringA description_;
    ComponentGroup* parent_ = nullptr;
    CommandInterpreter* console_ = nullptr;
    bool enabled_ = true;
};

// A component that owns children. Every forward pass visits them in the order they were
// added, which is also the order of their records in a saved state; Stop goes last first.
class ComponentGroup : public Component {
public:
    ComponentGroup() = default;
    ~ComponentGroup() override;

    Component* FindUnnamed() override;
    Component* FindDuplicateName(NameMap& names, bool unnamedCounts) override;
    // Forward to all children, or to the enabled ones only; true when all answered true
    // (a failure does not stop the pass).
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    bool ValidateSettings(bool enabledOnly) override;
    // Starts the enabled children; each gets a copy of the rate and a larger answer
    // replaces it. The first child to fail stops the pass.
    bool Start(i32* rate) override;
    // Enabled children, last first.
    void Stop() override;
    // All children, enabled or not.
    void BuildMenu(OptionItem* menu, i32 kind) override;
    bool SaveComponent(Archive& archive) override;
    bool LoadComponent(Archive& archive, LoadContext context) override;
    // Stores the console, then hands it to every child.
    void SetHost(CommandInterpreter* console) override;

    // Called after the group's whole record was read; its answer is the load's answer.
    virtual bool OnLoaded(LoadContext context);
    // Adopts child (ownership passes to the group), naming it when name is not null and
    // describing it when description is not null. Refuses only a null child.
    virtual bool AddChild(Component* child, const char* name, const char* description);
    // Deletes every child in list order and empties the list.
    virtual void DeleteChildren();

    // First direct child, enabled or not, whose name equals name exactly.
    Component* FindChild(const char* name) const;
    i32 GetChildCount() const { return static_cast<i32>(children_.size()); }
    Component* GetChild(i32 index) const
    {
        return index >= 0 && index < GetChildCount() ? children_[static_cast<size_t>(index)] : nullptr;
    }
    const std::vector<Component*>& GetChildren() const { return children_; }

protected:
    std::vector<Component*> children_;
};

// A plain group of devices and services: the system's services group.
class DeviceGroup : public ComponentGroup {
public:
    DeviceGroup() = default;
    ~DeviceGroup() override = default;
};
