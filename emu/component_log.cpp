// Log lines of a component, printed as one console line each, wrapped to its width.
#include "emu/command_interpreter.h"
#include "emu/component.h"
#include "emu/trace_report.h"

void Component::PrintLogLine(const StringA& line, bool error) const
{
    if (!error)
        console_->PrintWrapped(line);
    else if (!line.IsEmpty())
        console_->PrintWrapped(line, ReportColor::kError);
}
