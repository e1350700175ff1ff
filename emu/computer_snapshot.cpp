// Computer: the "_EMUINIT" configuration snapshot of saved states.
#include <memory>

#include "base/archive.h"
#include "base/dictionary.h"
#include "base/memory_stream.h"
#include "emu/computer.h"

namespace {

const char* const kInitBlock = "_EMUINIT";

} // namespace

bool Computer::SaveInitState(Archive& archive)
{
    Dictionary root;
    auto child = std::make_unique<Dictionary>();
    if (!BindSettingsTree(child.get(), true))
        return false;
    const char* name = GetSettingsName();
    if (!root.AddChild(name ? name : "", child.get()))
        return false;
    child.release();

    MemoryStream data;
    if (!data.Allocate(0, -1) || !root.Save(data))
        return false;
    const u64 size = data.GetSize();
    if (!archive.WriteMarker(kInitBlock, Archive::kBlockOpen) || !archive.WriteUInt64(&size, "SIZE"))
        return false;
    if (size != 0 && !archive.WriteBlob(data.GetBuffer(), size, "DATA"))
        return false;
    return archive.WriteMarker(kInitBlock, Archive::kBlockClose);
}

bool Computer::LoadInitState(Archive& archive, bool* changed)
{
    bool ignored = false;
    bool& flag = changed ? *changed : ignored;
    u64 size = 0;
    if (!archive.ReadMarker(kInitBlock, Archive::kBlockOpen) || !archive.ReadUInt64(&size, "SIZE"))
        return false;
    flag = false;
    if (size != 0) {
        // SIZE comes from the file: it must fit what the stream still holds (and a sane
        // bound) before anything is allocated for it.
        StreamInterface* in = archive.GetStream();
        if (!in || size > kMaxSnapshotSize)
            return false;
        const u64 position = in->GetPosition();
        const u64 total = in->GetSize();
        if (position > total || size > total - position)
            return false;
        MemoryStream data;
        if (!data.Allocate(size, 0) || !archive.ReadBlob(data.GetBuffer(), size, "DATA"))
            return false;
        Dictionary root;
        root.SetHookContext(this);
        root.SetChildLoader(LoadSettingsNodeEx);
        // A node that cannot be parsed counts as a change: the machine is restarted from
        // whatever was assigned before the damage.
        if (!root.LoadEx(data, flag))
            flag = true;
    }
    return archive.ReadMarker(kInitBlock, Archive::kBlockClose);
}

bool Computer::LoadNode(void* machine, StreamInterface& stream, const StringA& key, bool* changed, bool tracked)
{
    auto* self = static_cast<Computer*>(machine);
    if (!self)
        return false;
    const char* name = self->GetSettingsName();
    if (key.CompareNarrow(name ? name : "") != 0)
        return false;
    const u64 start = stream.GetPosition();
    if (self->LoadSettingsTree(stream, tracked, changed))
        return true;
    // Back to the start of the node, so that the caller skips it whole; whatever was
    // assigned before the failure stays.
    stream.Seek(start);
    return false;
}

bool Computer::LoadSettingsNode(void* machine, StreamInterface& stream, const StringA& key, bool& changed)
{
    (void)changed;
    return LoadNode(machine, stream, key, nullptr, false);
}

bool Computer::LoadSettingsNodeEx(void* machine, StreamInterface& stream, const StringA& key, bool& changed)
{
    return LoadNode(machine, stream, key, &changed, true);
}
