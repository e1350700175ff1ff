// Mouse service: listeners and the "_MOUS" block.
#include "emu/mouse_service.h"

#include "emu/state_block.h"

namespace {

const char kBlockName[] = "_MOUS";

}  // namespace

MouseService::MouseService()
{
    SetName("_MOUSE");
}

void MouseService::Notify(const MouseState* state)
{
    listeners_.TellEach([state](const auto& listener) { listener.callback(listener.user, state); });
}

bool MouseService::Start(i32* /*rate*/)
{
    listeners_.Clear();
    return true;
}

void MouseService::Stop()
{
    listeners_.Clear();
}

bool MouseService::SaveState(Archive& archive)
{
    return StateBlock::SaveEmpty(archive, kBlockName);
}

bool MouseService::LoadState(Archive& archive, LoadContext /*context*/)
{
    return StateBlock::LoadEmpty(archive, kBlockName);
}
