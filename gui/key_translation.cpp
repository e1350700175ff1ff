#include "gui/key_translation.h"

#include "emu/host_keys.h"

bool IsSharedModifier(u32 virtualKey)
{
    return virtualKey == vk::kShift || virtualKey == vk::kControl || virtualKey == vk::kMenu;
}

int ResolveKeyMessage(u32 virtualKey, bool extended, bool down, bool leftDown, bool rightDown, KeyReport out[2])
{
    if (!IsSharedModifier(virtualKey)) {
        const int code = VirtualKeyToCode((virtualKey & 0xFFFF) | (extended ? vk::kExtendedFlag : 0));
        if (code == 0)
            return 0;
        out[0] = {code, down};
        return 1;
    }
    int count = 0;
    if (leftDown == down)
        out[count++] = {VirtualKeyToCode(virtualKey), down};
    if (rightDown == down)
        out[count++] = {VirtualKeyToCode(virtualKey | vk::kExtendedFlag), down};
    return count;
}
