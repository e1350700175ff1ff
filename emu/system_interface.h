// What a device or a service may ask of the emulated system it belongs to.
//
// Every device holds a pointer to it as its host, and so do the parameter set, the
// interrupt lines and the memory space. The system base is its only implementation; it is
// declared on its own so that the services and the device base need not see the system.
#pragma once

#include "base/types.h"

class ClockInterface;
class CommandInterpreter;
class ParamNode;

class SystemInterface {
public:
    virtual ~SystemInterface() = default;

    // Clock of the first CPU added to the system; null while the system has none.
    virtual ClockInterface* GetMainCpu() = 0;
    // Debugger console of the emulation core; null before one is attached.
    virtual CommandInterpreter* GetConsole() = 0;
    // True only while a saved state is being loaded into the system.
    virtual bool IsLoadingState() = 0;
    // Time units per second of the main CPU's clock (nanoseconds: 1,000,000,000), and
    // its current emulated time in those units. 0 without a CPU.
    virtual u64 GetTimeUnitsPerSecond() = 0;
    virtual u64 GetCurrentTime() = 0;
    // Applies one parameter to the services (and every other of its type), or every
    // parameter of every device for null. Nothing happens while the system is stopped.
    virtual bool ApplyParams(ParamNode* param) = 0;
    // Every CPU checks its interrupt input before its next instruction.
    virtual void PollInterrupts() = 0;
    // A chip asks for a break before its access takes effect. True when the debugger
    // took it: the caller abandons the access when restart is still set. On false,
    // reportAnyway says whether the line is printed all the same. A system without a
    // debugger refuses and asks for the line to be printed.
    virtual bool RequestBreak(bool* restart, bool* reportAnyway)
    {
        (void)restart;
        if (reportAnyway)
            *reportAnyway = true;
        return false;
    }
    // Raises (on) or lowers the break-suppress count; lowering stops at 0. Breaks are
    // suppressed while a state is saved or loaded.
    virtual void SuppressBreaks(bool on) = 0;
    // Instructions the debugger still has to trace; while above 0 the chips report every
    // access as if its trace switch were on.
    virtual i64 GetTraceCount() const { return 0; }
};
