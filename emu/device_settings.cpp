// The settings walk of a device tree: one dictionary node per device that has settings,
// nested like the devices, for the machine settings files and the configuration snapshot
// of saved states.
#include <cstring>
#include <memory>

#include "base/dictionary.h"
#include "emu/device.h"

bool Device::BindSettingsTree(Dictionary* dict, bool enabledOnly)
{
    if (dict == nullptr)
        return false;
    // The group's part forwards to every descendant, so their keys are bound here too; a
    // key already bound stays with its first binder.
    BindSettings(dict, enabledOnly);
    for (Component* child : children_) {
        if (child == nullptr || !child->IsDevice())
            continue;
        auto node = std::make_unique<Dictionary>();
        static_cast<Device*>(child)->BindSettingsTree(node.get(), enabledOnly);
        if (node->IsEmpty())
            continue;
        if (!dict->AddChild(child->GetNameString(), node.get()))
            return false;
        node.release();
    }
    return true;
}

bool Device::LoadSettingsTree(StreamInterface& stream, bool tracked, bool* changed)
{
    Dictionary dict;
    if (!BindSettings(&dict, tracked))
        return false;
    dict.SetHookContext(static_cast<Device*>(this));
    if (tracked) {
        dict.SetChildLoader(&Device::LoadChildSettingsTracked);
        dict.SetLoadNotifier(&Device::ValidateEnabledHook);
        bool scratch = false;
        return dict.LoadEx(stream, changed != nullptr ? *changed : scratch);
    }
    dict.SetChildLoader(&Device::LoadChildSettings);
    dict.SetLoadNotifier(&Device::ValidateAllHook);
    return dict.Load(stream);
}

bool Device::LoadChild(void* device, StreamInterface& stream, const StringA& name, bool& changed, bool tracked)
{
    if (device == nullptr)
        return false;
    Component* child = static_cast<Device*>(device)->FindChild(name.GetNarrow());
    // A node whose name matches nothing, or matches a component that is not a device,
    // is skipped by the dictionary.
    if (child == nullptr || !child->IsDevice())
        return false;
    return static_cast<Device*>(child)->LoadSettingsTree(stream, tracked, &changed);
}

bool Device::LoadChildSettings(void* device, StreamInterface& stream, const StringA& name, bool& changed)
{
    return LoadChild(device, stream, name, changed, false);
}

bool Device::LoadChildSettingsTracked(void* device, StreamInterface& stream, const StringA& name, bool& changed)
{
    return LoadChild(device, stream, name, changed, true);
}

bool Device::LoadOwn(void* device, StreamInterface& stream, const StringA& name, bool& changed, bool tracked)
{
    if (device == nullptr)
        return false;
    Device* self = static_cast<Device*>(device);
    if (std::strcmp(self->GetName(), name.CStr()) != 0)
        return false;
    return self->LoadSettingsTree(stream, tracked, &changed);
}

bool Device::LoadOwnSettings(void* device, StreamInterface& stream, const StringA& name, bool& changed)
{
    return LoadOwn(device, stream, name, changed, false);
}

bool Device::LoadOwnSettingsTracked(void* device, StreamInterface& stream, const StringA& name, bool& changed)
{
    return LoadOwn(device, stream, name, changed, true);
}

bool Device::Validate(void* device, const StringA* childName, bool enabledOnly)
{
    if (device == nullptr)
        return false;
    if (childName != nullptr)
        return true;
    return static_cast<Device*>(device)->ValidateSettings(enabledOnly);
}

bool Device::ValidateAllHook(void* device, const StringA* childName)
{
    return Validate(device, childName, false);
}

bool Device::ValidateEnabledHook(void* device, const StringA* childName)
{
    return Validate(device, childName, true);
}
