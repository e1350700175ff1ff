// The console type an emulation core owns: the debugger console with its function keys
// and register panels (debug_hotkeys.h).
#pragma once

#include "core/debug_hotkeys.h"

using CoreConsole = DebugHotkeys;
