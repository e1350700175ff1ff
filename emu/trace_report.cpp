// Trace, break and log reporter.
#include "emu/trace_report.h"

#include <cstdarg>

#include "base/string_a.h"
#include "emu/command_interpreter.h"
#include "emu/device.h"
#include "emu/system_interface.h"

namespace {

CommandInterpreter* ConsoleOf(const Device* device)
{
    SystemInterface* host = device->GetHost();
    CommandInterpreter* console = host ? host->GetConsole() : nullptr;
    return console ? console : device->GetConsole();
}

bool TraceCountGate(const Device* device, u8 trace, u8 brk, u8 quiet)
{
    if (quiet)
        return false;
    SystemInterface* host = device->GetHost();
    // While the debugger traces instructions every access is reported, as a trace line
    // when both switches are off.
    if (host && host->GetTraceCount() > 0)
        return true;
    return (trace | brk) != 0;
}

void PrintLine(const Device* device, const char* mark, bool isBreak, u32 color, const char* format,
               va_list args)
{
    CommandInterpreter* console = ConsoleOf(device);
    if (!console)
        return;
    StringA line;
    if (isBreak)
        line.Format("[%s%s] ", device->GetLabel(), mark);
    else
        line.Format("[%s] ", device->GetLabel());
    line.FormatV(format, args);
    console->PrintColored(line, color, true);
}

// After the gate: a trace line, or a break request and a break line. Answers whether
// the caller must abandon the access.
bool Report(const Device* device, u8 brk, bool initialRestart, u32 traceColor, const char* format,
            va_list args)
{
    if (!brk) {
        PrintLine(device, "", false, traceColor, format, args);
        return false;
    }
    bool restart = initialRestart;
    // A debugger that refuses without saying so does not get the line printed.
    bool reportAnyway = false;
    SystemInterface* host = device->GetHost();
    bool taken = false;
    if (host)
        taken = host->RequestBreak(&restart, &reportAnyway);
    else
        reportAnyway = true;
    if (!taken && !reportAnyway)
        return false;
    PrintLine(device, taken ? " BREAK" : "", true, ReportColor::kBreak, format, args);
    return taken && restart;
}

// The two gates in front of Report.
bool FlagsGated(const Device* device, u8 trace, u8 brk, bool restart, const char* format, va_list args)
{
    if (!device || (trace == 0 && brk == 0))
        return false;
    return Report(device, brk, restart, ReportColor::kTrace, format, args);
}

bool CountGated(const Device* device, u8 trace, u8 brk, u8 quiet, bool restart, u32 traceColor,
                const char* format, va_list args)
{
    if (!device || !TraceCountGate(device, trace, brk, quiet))
        return false;
    return Report(device, brk, restart, traceColor, format, args);
}

void PrintPlain(CommandInterpreter* console, u32 color, const char* format, va_list args)
{
    if (!console)
        return;
    StringA text;
    text.FormatV(format, args);
    if (!text.IsEmpty())
        console->PrintWrapped(text, color);
}

}  // namespace

namespace TraceReport {

void ReportIrq(const Device* device, u8 trace, u8 brk, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FlagsGated(device, trace, brk, false, format, args);
    va_end(args);
}

bool ReportAccess(const Device* device, u8 trace, u8 brk, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const bool result = FlagsGated(device, trace, brk, true, format, args);
    va_end(args);
    return result;
}

void ReportModeWrite(const Device* device, u32 trace, u8 brk, u8 quiet, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CountGated(device, static_cast<u8>(trace), brk, quiet, false, ReportColor::kTrace, format, args);
    va_end(args);
}

bool ReportRead(const Device* device, u8 trace, u8 brk, u8 quiet, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const bool result = CountGated(device, trace, brk, quiet, true, ReportColor::kTrace, format, args);
    va_end(args);
    return result;
}

bool ReportReadWrite(const Device* device, u8 trace, u8 brk, u8 quiet, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const bool result = CountGated(device, trace, brk, quiet, true, ReportColor::kReadWrite, format, args);
    va_end(args);
    return result;
}

bool ReportWrite(const Device* device, u8 trace, u8 brk, u8 quiet, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const bool result = CountGated(device, trace, brk, quiet, true, ReportColor::kWrite, format, args);
    va_end(args);
    return result;
}

bool ReportSoundWrite(const Device* device, u8 trace, u8 brk, u8 restart, u8 quiet, const char* format,
                      ...)
{
    va_list args;
    va_start(args, format);
    const bool result =
        CountGated(device, trace, brk, quiet, restart != 0, ReportColor::kTrace, format, args);
    va_end(args);
    return result;
}

void ReportInfo(const Device* device, u8 enabled, const char* format, ...)
{
    if (!device || !enabled)
        return;
    va_list args;
    va_start(args, format);
    PrintLine(device, "", false, ReportColor::kTrace, format, args);
    va_end(args);
}

}  // namespace TraceReport

namespace ConsoleReport {

void PrintInfo(const Component* component, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintPlain(component ? component->GetConsole() : nullptr, ReportColor::kTrace, format, args);
    va_end(args);
}

void PrintInfo(CommandInterpreter* console, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintPlain(console, ReportColor::kTrace, format, args);
    va_end(args);
}

void PrintError(const Component* component, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintPlain(component ? component->GetConsole() : nullptr, ReportColor::kError, format, args);
    va_end(args);
}

void PrintError(CommandInterpreter* console, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintPlain(console, ReportColor::kError, format, args);
    va_end(args);
}

}  // namespace ConsoleReport
