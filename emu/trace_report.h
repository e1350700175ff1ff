// Trace, break and log reporter: how chips print on the debugger console.
//
// A chip keeps per-register trace and break switches (settings such as "TraceWriteREG"
// and "BreakWriteREG") and calls a reporter at each access with the switches and a
// printf-style message (StringBase::Format rules: "%ld" takes a 32-bit argument). The
// reporter decides whether anything happens, asks the host for a break, and prints
// one line on the host's console:
//   trace line  "[<label>] <message>"          label: the description, else the name
//   break line  "[<label> BREAK] <message>"    when the debugger took the break
//               "[<label>] <message>"          refused, but the host asks for the line
//
// Gates: the flags gate goes on when trace or break is set; the trace-count gate also
// goes on while the debugger traces instructions (the host's trace count is positive),
// but never when quiet is set.
//
// Stateless; runs on the thread that performs the access.
#pragma once

#include "base/types.h"

class CommandInterpreter;
class Component;
class Device;

// Console colours (ARGB), shared by every unit that reports.
namespace ReportColor {
inline constexpr u32 kReadWrite = 0xFFAFAF73;  // trace lines of ReportReadWrite (register reads)
inline constexpr u32 kWrite = 0xFF00C896;      // trace lines of ReportWrite (register writes)
inline constexpr u32 kTrace = 0xFF9696FF;      // every other trace line; information lines
inline constexpr u32 kBreak = 0xFFFF4B4B;      // every break line
inline constexpr u32 kError = 0xFFFF3C3C;      // error lines
}  // namespace ReportColor

namespace TraceReport {
// Flags gate; never asks for a restart.
void ReportIrq(const Device* device, u8 trace, u8 brk, const char* format, ...);
// Flags gate. True when the debugger broke and the caller must abandon the access.
bool ReportAccess(const Device* device, u8 trace, u8 brk, const char* format, ...);
// Trace-count gate; the low byte of trace is used.
void ReportModeWrite(const Device* device, u32 trace, u8 brk, u8 quiet, const char* format, ...);
// Trace-count gate. True when the debugger broke and the caller must abandon the access.
bool ReportRead(const Device* device, u8 trace, u8 brk, u8 quiet, const char* format, ...);
bool ReportReadWrite(const Device* device, u8 trace, u8 brk, u8 quiet, const char* format, ...);
bool ReportWrite(const Device* device, u8 trace, u8 brk, u8 quiet, const char* format, ...);
// As ReportWrite, but the caller says whether a taken break may abandon the access.
bool ReportSoundWrite(const Device* device, u8 trace, u8 brk, u8 restart, u8 quiet, const char* format,
                      ...);
// An information line "[<label>] <message>" when enabled.
void ReportInfo(const Device* device, u8 enabled, const char* format, ...);
}  // namespace TraceReport

namespace ConsoleReport {
// The message alone, in the information colour, wrapped to the console's width; an empty
// message prints nothing. The messages carry their own "[INIT] " or "[ERROR] " prefix.
void PrintInfo(const Component* component, const char* format, ...);
void PrintInfo(CommandInterpreter* console, const char* format, ...);
// The same in the error colour.
void PrintError(const Component* component, const char* format, ...);
void PrintError(CommandInterpreter* console, const char* format, ...);
}  // namespace ConsoleReport
