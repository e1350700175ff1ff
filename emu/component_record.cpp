// Component records: the framing every node writes around its own state in a saved
// state, and reads back strictly in the same order.
#include "base/archive.h"
#include "emu/component.h"

namespace {

const char kVersionKey[] = "_VER";
const char kEnabledKey[] = "_ENBL";

} // namespace

bool Component::SaveRecordHead(Archive& archive)
{
    if (!archive.WriteMarker(name_, Archive::kBlockOpen))
        return false;
    const u8 version = 0;
    if (!archive.WriteUInt8(&version, StringA(kVersionKey)))
        return false;
    const bool enabled = enabled_;
    return archive.WriteBool(&enabled, StringA(kEnabledKey));
}

bool Component::SaveRecordTail(Archive& archive)
{
    return archive.WriteMarker(name_, Archive::kBlockClose);
}

bool Component::LoadRecordHead(Archive& archive)
{
    if (!archive.ReadMarker(name_, Archive::kBlockOpen))
        return false;
    u8 version = 0xFF;
    if (!archive.ReadUInt8(&version, StringA(kVersionKey)) || version != 0)
        return false;
    // The machine's settings fix which nodes are enabled, and a state's configuration
    // restarts the machine with its own first; a record that says otherwise is damaged.
    // Taking its flag would silently switch a CPU or a service off for every later run.
    bool enabled = enabled_;
    return archive.ReadBool(&enabled, StringA(kEnabledKey)) && enabled == enabled_;
}

bool Component::LoadRecordTail(Archive& archive)
{
    return archive.ReadMarker(name_, Archive::kBlockClose);
}

bool Component::SaveComponent(Archive& archive)
{
    return SaveRecordHead(archive) && SaveState(archive) && SaveRecordTail(archive);
}

bool Component::LoadComponent(Archive& archive, LoadContext context)
{
    return LoadRecordHead(archive) && LoadState(archive, context) && LoadRecordTail(archive);
}

bool ComponentGroup::SaveComponent(Archive& archive)
{
    if (!SaveRecordHead(archive) || !SaveState(archive))
        return false;
    for (Component* child : children_) {
        if (child == nullptr)
            return false;
        if (child->IsEnabled() && !child->SaveComponent(archive))
            return false;
    }
    return SaveRecordTail(archive);
}

bool ComponentGroup::LoadComponent(Archive& archive, LoadContext context)
{
    if (!LoadRecordHead(archive) || !LoadState(archive, context))
        return false;
    // Whether a child's record is expected is decided by its flag now, not by the stream.
    for (Component* child : children_) {
        if (child == nullptr)
            return false;
        if (child->IsEnabled() && !child->LoadComponent(archive, context))
            return false;
    }
    return LoadRecordTail(archive) && OnLoaded(context);
}
