// Trace, break and log reporter: gates, line formats, colours and the break protocol.
#include <gtest/gtest.h>

#include <string>

#include "emu/command_interpreter.h"
#include "emu/device.h"
#include "emu/system_interface.h"
#include "emu/trace_report.h"

namespace {

// A host with a console and, when asked, a debugger that takes or refuses breaks.
class Host : public SystemInterface {
public:
    CommandInterpreter console;
    bool debugger = false;
    bool take = false;
    bool reportRefused = false;
    bool restartSeen = false;
    i64 traceCount = 0;

    ClockInterface* GetMainCpu() override { return nullptr; }
    CommandInterpreter* GetConsole() override { return &console; }
    bool IsLoadingState() override { return false; }
    u64 GetTimeUnitsPerSecond() override { return 0; }
    u64 GetCurrentTime() override { return 0; }
    bool ApplyParams(ParamNode*) override { return true; }
    void PollInterrupts() override {}
    void SuppressBreaks(bool) override {}
    i64 GetTraceCount() const override { return traceCount; }
    bool RequestBreak(bool* restart, bool* reportAnyway) override
    {
        restartSeen = *restart;
        if (!debugger)
            return SystemInterface::RequestBreak(restart, reportAnyway);
        if (!take && reportRefused)
            *reportAnyway = true;
        return take;
    }
};

struct Reporter : ::testing::Test {
    Host host;
    Device chip;

    void SetUp() override
    {
        chip.SetName("VDP TMS9918");
        chip.SetDescription("VDP");
        chip.SetServices(&host, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        chip.SetHost(&host.console);
    }

    int Count() { return host.console.GetPendingCount(); }

    std::string Last(u32* color = nullptr)
    {
        StringA text;
        return host.console.GetPendingLine(Count() - 1, &text, color) ? text.CStr() : "<none>";
    }
};

}  // namespace

TEST_F(Reporter, TraceLinesCarryTheLabelAndTheColourOfTheirKind)
{
    u32 color = 0;
    EXPECT_FALSE(TraceReport::ReportWrite(&chip, 1, 0, 0, "=>INDEX = %.2lXh (register index %ld)", 7, 7));
    EXPECT_EQ(Last(&color), "[VDP] =>INDEX = 07h (register index 7)");
    EXPECT_EQ(color, ReportColor::kWrite);
    TraceReport::ReportReadWrite(&chip, 1, 0, 0, "<=JOYSTICK = %.2lXh", 0x7F);
    EXPECT_EQ(Last(&color), "[VDP] <=JOYSTICK = 7Fh");
    EXPECT_EQ(color, ReportColor::kReadWrite);
    TraceReport::ReportInfo(&chip, 1, "Calls Per Second = %ld", 50);
    EXPECT_EQ(Last(&color), "[VDP] Calls Per Second = 50");
    EXPECT_EQ(color, ReportColor::kTrace);

    chip.SetDescription("");
    TraceReport::ReportAccess(&chip, 1, 0, "<PSLOT=%.2lXh", 0xA0);
    EXPECT_EQ(Last(), "[VDP TMS9918] <PSLOT=A0h");
}

TEST_F(Reporter, GatesDecideWhetherAnythingHappens)
{
    EXPECT_FALSE(TraceReport::ReportWrite(&chip, 0, 0, 0, "x"));
    TraceReport::ReportIrq(&chip, 0, 0, "x");
    TraceReport::ReportModeWrite(&chip, 0x100, 0, 0, "x");  // only the low byte counts
    TraceReport::ReportInfo(&chip, 0, "x");
    EXPECT_EQ(Count(), 0);

    // While the debugger traces instructions every access is reported, unless quiet; the
    // flags gate ignores the trace count.
    host.traceCount = 3;
    TraceReport::ReportWrite(&chip, 0, 0, 0, "=>REG");
    TraceReport::ReportWrite(&chip, 1, 1, 1, "=>REG");
    TraceReport::ReportIrq(&chip, 0, 0, "Raised IRQ%ld (%ld times)", 0, 1);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Last(), "[VDP] =>REG");
}

TEST_F(Reporter, BreakLinesFollowTheDebuggersAnswer)
{
    // No debugger: the line is printed unmarked in the break colour, nothing breaks.
    u32 color = 0;
    EXPECT_FALSE(TraceReport::ReportWrite(&chip, 0, 1, 0, "=>REG[%ld] = %.2lXh", 1, 0xE0));
    EXPECT_EQ(Last(&color), "[VDP] =>REG[1] = E0h");
    EXPECT_EQ(color, ReportColor::kBreak);

    // Taken: marked, and the access is abandoned where the operation asks for a restart.
    host.debugger = true;
    host.take = true;
    EXPECT_TRUE(TraceReport::ReportWrite(&chip, 1, 1, 0, "=>REG[%ld] = %.2lXh", 1, 0xE0));
    EXPECT_TRUE(host.restartSeen);
    EXPECT_EQ(Last(), "[VDP BREAK] =>REG[1] = E0h");
    EXPECT_EQ(Count(), 2);  // the break line stands for the trace line
    TraceReport::ReportIrq(&chip, 0, 1, "Raised IRQ%ld (%ld times)", 0, 2);
    EXPECT_FALSE(host.restartSeen);
    EXPECT_FALSE(TraceReport::ReportSoundWrite(&chip, 0, 1, 0, 0, "=>SOUND[%ld] = %s", 1, "off"));
    EXPECT_TRUE(TraceReport::ReportSoundWrite(&chip, 0, 1, 1, 0, "=>SOUND[%ld] = %s", 1, "off"));

    // Refused: printed only when the debugger asks for it.
    host.take = false;
    const int before = Count();
    EXPECT_FALSE(TraceReport::ReportAccess(&chip, 1, 1, ">RAMBank[%ld]=%ld (%.2lXh)", 3, 4, 4));
    EXPECT_EQ(Count(), before);
    host.reportRefused = true;
    EXPECT_FALSE(TraceReport::ReportAccess(&chip, 1, 1, ">RAMBank[%ld]=%ld (%.2lXh)", 3, 4, 4));
    EXPECT_EQ(Last(), "[VDP] >RAMBank[3]=4 (04h)");
}

TEST_F(Reporter, PlainLinesHaveNoLabelAndEmptyOnesAreDropped)
{
    u32 color = 0;
    ConsoleReport::PrintInfo(&chip, "State saved to memory");
    EXPECT_EQ(Last(&color), "State saved to memory");
    EXPECT_EQ(color, ReportColor::kTrace);
    ConsoleReport::PrintError(&host.console, "[ERROR] Error while saving state to memory");
    EXPECT_EQ(Last(&color), "[ERROR] Error while saving state to memory");
    EXPECT_EQ(color, ReportColor::kError);
    ConsoleReport::PrintInfo(&chip, "%s", "");
    ConsoleReport::PrintError(&chip, "");
    EXPECT_EQ(Count(), 2);
}
