// The debugger console of one emulation core: the framework's console object plus the
// redraw mark the core sets when what the console shows changes without a new line
// (console view switched on, break entered or left, surface resized). The function-key
// handling builds on this class.
#pragma once

#include "emu/command_interpreter.h"

class CoreConsole : public CommandInterpreter {
public:
    CoreConsole() = default;
    ~CoreConsole() override = default;

    // Any thread; the redraw callback runs only when the mark goes from clear to set.
    void MarkForRedraw() { RaiseRedraw(); }
};
