// Selectable device: one of several alternative child devices is in force.
#include "emu/selectable_device.h"

#include "base/dictionary.h"
#include "base/value.h"
#include "emu/option_item.h"

namespace {

const char kSelectedKey[] = "SelectedIndex";

} // namespace

bool SelectableDevice::BindSettings(Dictionary* dict, bool enabledOnly)
{
    // A key already bound stays with its first binder.
    if (dict != nullptr) {
        if (ValueRef* ref = dict->NewBinding(StringA(kSelectedKey)))
            ref->Bind(kValueInt32, &selected_);
    }
    return ComponentGroup::BindSettings(dict, enabledOnly);
}

bool SelectableDevice::ValidateSettings(bool enabledOnly)
{
    if (selected_ >= 0 && selected_ < GetChildCount())
        return ComponentGroup::ValidateSettings(enabledOnly);
    selected_ = 0;
    ComponentGroup::ValidateSettings(enabledOnly);
    return false;
}

void SelectableDevice::EnableOnly(i32 index)
{
    for (i32 i = 0; i < GetChildCount(); ++i) {
        if (Component* child = GetChild(i))
            child->SetEnabled(i == index);
    }
}

bool SelectableDevice::Start(i32* rate)
{
    if (selected_ >= GetChildCount())
        return false;
    EnableOnly(selected_);
    running_ = true;
    return ComponentGroup::Start(rate);
}

void SelectableDevice::BuildMenu(OptionItem* menu, i32 kind)
{
    if ((kind != selectionMenuKind_ && kind != kMenuDebug) || menu == nullptr) {
        ComponentGroup::BuildMenu(menu, kind);
        return;
    }
    const bool own = kind == selectionMenuKind_;
    bool addedOne = false;
    DeviceOption* pending = nullptr;
    for (i32 i = 0; i < GetChildCount(); ++i) {
        Component* child = GetChild(i);
        if (child == nullptr)
            continue;
        if (pending == nullptr)
            pending = new DeviceOption;
        if (own) {
            // Picking another alternative is allowed only while the device is stopped.
            OptionItem* choice = pending->AddRadioItem("Selected", reinterpret_cast<u32*>(&selected_),
                                                       static_cast<u32>(i), reinterpret_cast<u8*>(&running_), 0);
            pending->AddCheckedIfItem(choice, 1);
            pending->AddSeparator();
        }
        child->BuildMenu(pending, kind);
        if (pending->GetChildCount() == 0)
            continue;
        pending->SetName(own ? GetChoiceName(i) : child->GetName());
        if (own && !addedOne && menu->GetChildCount() > 0)
            menu->AddSeparator();
        if (menu->AddChildItem(pending) == nullptr)
            delete pending;
        pending = nullptr;
        addedOne = true;
    }
    delete pending;
}

bool SelectableDevice::ApplySelection()
{
    EnableOnly(selected_);
    return selected_ >= 0 && selected_ < GetChildCount();
}

void SelectableDevice::SetChoiceName(i32 index, const char* text)
{
    if (index < 0 || index >= GetChildCount())
        return;
    if (choiceNames_.size() <= static_cast<size_t>(index))
        choiceNames_.resize(static_cast<size_t>(index) + 1);
    choiceNames_[static_cast<size_t>(index)].Assign(text);
}

const char* SelectableDevice::GetChoiceName(i32 index) const
{
    if (index >= 0 && static_cast<size_t>(index) < choiceNames_.size() &&
        !choiceNames_[static_cast<size_t>(index)].IsEmpty())
        return choiceNames_[static_cast<size_t>(index)].GetNarrow();
    const Component* child = GetChild(index);
    return child != nullptr ? child->GetName() : "";
}
