// Event bus: the named-event registry through which saved states re-bind callbacks.
#include "emu/event_bus.h"

bool EventBus::RegisterNamedEventKind0(const char* name, BusTimerCallback callback, Component* target)
{
    return RegisterEvent(name, reinterpret_cast<void (*)()>(callback), target, kNamedBusTimer);
}

bool EventBus::RegisterNamedEventKind1(const char* name, StreamTimerCallback callback, Component* target)
{
    return RegisterEvent(name, reinterpret_cast<void (*)()>(callback), target, kNamedStreamTimer);
}

bool EventBus::RegisterNamedEventKind2(const char* name, CpuEventCallback callback, Component* target)
{
    return RegisterEvent(name, reinterpret_cast<void (*)()>(callback), target, kNamedCpuEvent);
}

bool EventBus::RegisterEvent(const char* name, void (*callback)(), Component* target, u32 kind)
{
    if (!name || !callback || !target)
        return false;
    // Entries keep copies of the owner's names, so that a lookup never has to reach a
    // component that may have gone since. Owners are told apart by their dotted name:
    // that is what a saved state names them by.
    StringA ownerPath;
    target->GetFullName(ownerPath);
    for (const NamedEvent& entry : named_) {
        if (entry.ownerPath.Compare(ownerPath) != 0)
            continue;
        if (entry.target != target)
            return false;
        if (entry.name.CompareNarrow(name) == 0)
            return entry.kind == kind && entry.callback == callback;
    }
    named_.push_back(NamedEvent{StringA(name), ownerPath, target, kind, callback});
    return true;
}

bool EventBus::FindEvent(const StringBase& deviceName, const StringBase& eventName, bool cpuOnly,
                         NamedEventMatch* match, const char** nameOut) const
{
    for (const NamedEvent& entry : named_) {
        if (entry.ownerPath.Compare(deviceName) != 0 || entry.name.Compare(eventName) != 0)
            continue;
        // Registration keeps (owner, name) unique, so the first match is the only one.
        if (cpuOnly && entry.kind != kNamedCpuEvent)
            return false;
        if (match) {
            match->target = entry.target;
            match->kind = entry.kind;
            match->callback = entry.callback;
        }
        if (nameOut)
            *nameOut = entry.name.CStr();
        return true;
    }
    return false;
}

bool EventBus::FindNamedEvent(const StringBase& deviceName, const StringBase& eventName, NamedEventMatch* match,
                              const char** nameOut) const
{
    return FindEvent(deviceName, eventName, false, match, nameOut);
}

bool EventBus::FindNamedEventKind2(const StringBase& deviceName, const StringBase& eventName,
                                   NamedEventMatch* match, const char** nameOut) const
{
    return FindEvent(deviceName, eventName, true, match, nameOut);
}
