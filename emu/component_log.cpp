// Log lines of a component: formatted into one string, printed as one console line.
#include <cstdarg>

#include "emu/command_interpreter.h"
#include "emu/component.h"

void Component::LogF(const char* format, ...) const
{
    if (console_ == nullptr)
        return;
    StringA line;
    va_list args;
    va_start(args, format);
    try {
        line.FormatV(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
    console_->Print(line, true);
}

void Component::LogColoredF(const char* format, ...) const
{
    if (console_ == nullptr)
        return;
    StringA line;
    va_list args;
    va_start(args, format);
    try {
        line.FormatV(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
    if (line.IsEmpty())
        return;
    console_->PrintColored(line, kErrorColor, true);
}
