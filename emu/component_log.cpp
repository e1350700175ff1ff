// Log lines of a component, printed as one console line each.
#include "emu/command_interpreter.h"
#include "emu/component.h"
#include "emu/trace_report.h"

void Component::PrintLogLine(const StringA& line, bool error) const
{
    if (!error)
        console_->Print(line, true);
    else if (!line.IsEmpty())
        console_->PrintColored(line, ReportColor::kError, true);
}
