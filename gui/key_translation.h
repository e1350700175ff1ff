// Which key codes one key message reports. Windows sends one message for
// both Shift (Ctrl, Alt) keys, so for those the left and right keys are told
// apart by their current state: a key-down message reports each side that is
// down, a key-up message each side that is up (also a side never pressed),
// left first. Any other key reports its own code, or nothing for code 0.
#pragma once

#include "base/types.h"

struct KeyReport {
    int code = 0;
    bool down = false;
};

// virtualKey: the message's virtual key; extended: bit 24 of its lParam.
// leftDown/rightDown: the modifier's left and right keys are held now (only
// read for Shift, Ctrl and Alt). Answers the number of reports (0 to 2).
int ResolveKeyMessage(u32 virtualKey, bool extended, bool down, bool leftDown, bool rightDown, KeyReport out[2]);

// Whether the virtual key is Shift, Ctrl or Alt (one message for two keys).
bool IsSharedModifier(u32 virtualKey);
