// Mouse service: listeners and the "_MOUS" block.
#include "emu/mouse_service.h"

#include <algorithm>

#include "base/archive.h"

namespace {

const StringA kBlockName("_MOUS");
const StringA kVersionKey("VER");

}  // namespace

MouseService::MouseService()
{
    SetName("_MOUSE");
}

void MouseService::Notify(const MouseState* state)
{
    // Listeners may add or remove listeners while being told: walk by index, and stay
    // on an index whose listener just removed itself.
    for (size_t i = 0; i < listeners_.size();) {
        const Listener listener = listeners_[i];
        listener.callback(listener.user, state);
        if (i < listeners_.size() && listeners_[i].user == listener.user &&
            listeners_[i].callback == listener.callback)
            ++i;
    }
}

bool MouseService::AddListener(void* user, MouseListener listener)
{
    const auto same = [&](const Listener& l) { return l.user == user && l.callback == listener; };
    if (listener && std::none_of(listeners_.begin(), listeners_.end(), same))
        listeners_.push_back(Listener{user, listener});
    return true;
}

void MouseService::RemoveListener(void* user, MouseListener listener)
{
    const auto same = [&](const Listener& l) { return l.user == user && l.callback == listener; };
    const auto it = std::find_if(listeners_.begin(), listeners_.end(), same);
    if (it != listeners_.end())
        listeners_.erase(it);
}

bool MouseService::Start(i32* /*rate*/)
{
    listeners_.clear();
    return true;
}

void MouseService::Stop()
{
    listeners_.clear();
}

bool MouseService::SaveState(Archive& archive)
{
    const u8 version = 0;
    return archive.WriteMarker(kBlockName, Archive::kBlockOpen) && archive.WriteUInt8(&version, kVersionKey) &&
           archive.WriteMarker(kBlockName, Archive::kBlockClose);
}

bool MouseService::LoadState(Archive& archive, LoadContext /*context*/)
{
    u8 version = 0;
    return archive.ReadMarker(kBlockName, Archive::kBlockOpen) && archive.ReadUInt8(&version, kVersionKey) &&
           version == 0 && archive.ReadMarker(kBlockName, Archive::kBlockClose);
}
