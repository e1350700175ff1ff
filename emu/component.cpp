// Component tree: naming, forwarding of the life-cycle operations, name checks.
#include "emu/component.h"

Component* Component::FindUnnamed()
{
    return name_.IsEmpty() ? this : nullptr;
}

Component* Component::FindDuplicateName(NameMap& names, bool unnamedCounts)
{
    if (unnamedCounts && name_.IsEmpty())
        return this;
    if (!names.emplace(name_, this).second)
        return this;
    return nullptr;
}

bool Component::BindSettings(Dictionary* dict, bool /*enabledOnly*/)
{
    return dict != nullptr;
}

bool Component::ValidateSettings(bool /*enabledOnly*/)
{
    return true;
}

bool Component::Start(i32* /*rate*/)
{
    return true;
}

void Component::Stop() {}

void Component::BuildMenu(OptionItem* /*menu*/, i32 /*kind*/) {}

bool Component::SaveState(Archive& /*archive*/)
{
    return true;
}

bool Component::LoadState(Archive& /*archive*/, LoadContext /*context*/)
{
    return true;
}

void Component::SetHost(CommandInterpreter* console)
{
    console_ = console;
}

void Component::GetFullName(StringA& out) const
{
    out.Assign(name_);
    for (const ComponentGroup* p = parent_; p != nullptr && p->parent_ != nullptr; p = p->parent_)
        out.AppendFormat(".%s", p->GetName());
}

Component* Component::CheckNames(bool checkUnnamed, bool checkDuplicates)
{
    if (checkDuplicates) {
        NameMap names;
        return FindDuplicateName(names, checkUnnamed);
    }
    return checkUnnamed ? FindUnnamed() : nullptr;
}

// --- ComponentGroup ---

ComponentGroup::~ComponentGroup()
{
    ComponentGroup::DeleteChildren();
}

Component* ComponentGroup::FindUnnamed()
{
    if (GetNameString().IsEmpty())
        return this;
    for (Component* child : children_) {
        if (child == nullptr)
            continue;
        if (Component* found = child->FindUnnamed())
            return found;
    }
    return nullptr;
}

Component* ComponentGroup::FindDuplicateName(NameMap& names, bool unnamedCounts)
{
    if (Component* found = Component::FindDuplicateName(names, unnamedCounts))
        return found;
    for (Component* child : children_) {
        if (child == nullptr)
            continue;
        if (Component* found = child->FindDuplicateName(names, unnamedCounts))
            return found;
    }
    return nullptr;
}

bool ComponentGroup::BindSettings(Dictionary* dict, bool enabledOnly)
{
    bool ok = true;
    for (Component* child : children_) {
        if (child == nullptr || (enabledOnly && !child->IsEnabled()))
            continue;
        if (!child->BindSettings(dict, enabledOnly))
            ok = false;
    }
    return ok;
}

bool ComponentGroup::ValidateSettings(bool enabledOnly)
{
    bool ok = true;
    for (Component* child : children_) {
        if (child == nullptr || (enabledOnly && !child->IsEnabled()))
            continue;
        if (!child->ValidateSettings(enabledOnly))
            ok = false;
    }
    return ok;
}

bool ComponentGroup::Start(i32* rate)
{
    for (Component* child : children_) {
        if (child == nullptr || !child->IsEnabled())
            continue;
        i32 childRate = rate != nullptr ? *rate : 0;
        if (!child->Start(&childRate))
            return false;
        if (rate != nullptr && childRate > *rate)
            *rate = childRate;
    }
    return true;
}

void ComponentGroup::Stop()
{
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        if (*it != nullptr && (*it)->IsEnabled())
            (*it)->Stop();
    }
}

void ComponentGroup::BuildMenu(OptionItem* menu, i32 kind)
{
    for (Component* child : children_) {
        if (child != nullptr)
            child->BuildMenu(menu, kind);
    }
}

void ComponentGroup::SetHost(CommandInterpreter* console)
{
    Component::SetHost(console);
    for (Component* child : children_) {
        if (child != nullptr)
            child->SetHost(console);
    }
}

bool ComponentGroup::OnLoaded(LoadContext /*context*/)
{
    return true;
}

bool ComponentGroup::AddChild(Component* child, const char* name, const char* description)
{
    if (child == nullptr)
        return false;
    if (name != nullptr)
        child->SetName(name);
    if (description != nullptr)
        child->SetDescription(description);
    children_.push_back(child);
    child->SetHost(GetConsole());
    child->parent_ = this;
    return true;
}

void ComponentGroup::DeleteChildren()
{
    // Detach the list first: a child's destructor must not find itself among its
    // parent's children any more.
    std::vector<Component*> doomed;
    doomed.swap(children_);
    for (Component* child : doomed)
        delete child;
}

Component* ComponentGroup::FindChild(const char* name) const
{
    const StringA wanted(name);
    for (Component* child : children_) {
        if (child != nullptr && child->GetNameString().Compare(wanted) == 0)
            return child;
    }
    return nullptr;
}
