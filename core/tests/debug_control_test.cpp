// Pause, break, continue, step and step-over, asked for from the test thread while the
// worker runs; a device's break that abandons an instruction; the trace line.
#include <gtest/gtest.h>

#include "core/tests/core_rig.h"

namespace {

// Writes 00h to VDP register 1, over and over.
const std::vector<u8> kRegisterProgram = {
    0x3E, 0x00,  // 0000 LD A,00h
    0xD3, 0x99,  // 0002 OUT (99h),A    value
    0x3E, 0x81,  // 0004 LD A,81h
    0xD3, 0x99,  // 0006 OUT (99h),A    register 1
    0x18, 0xF6,  // 0008 JR 0000h
};

bool HeldInBreak(const EmuCore& core)
{
    return core.IsInBreak() && core.IsPaused();
}

i32 CountContaining(const std::vector<std::string>& lines, const std::string& text)
{
    return static_cast<i32>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& l) { return l.find(text) != std::string::npos; }));
}

TEST(PauseAndBreak, PauseAndBreakHoldTheRunUntilReleased)
{
    CoreRig rig(kStepProgram);
    ASSERT_TRUE(rig.alive);
    // A frame that ends while the test holds the run, however long it holds it, is a
    // fault; the worker counts them.
    std::atomic<bool> holding{false};
    std::atomic<i32> framesWhileHeld{0};
    rig.onFrame = [&](i32) {
        if (holding.load())
            ++framesWhileHeld;
    };
    ASSERT_TRUE(rig.core->Start(false, false));
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() >= 2; }));

    // Requests nest: the loop runs again only when the last one is released.
    rig.core->RequestPause();
    rig.core->RequestPause();
    EXPECT_TRUE(rig.core->IsPaused());
    holding = true;
    i32 held = rig.Frames();
    rig.core->ReleasePause();
    EXPECT_TRUE(rig.core->IsPaused());
    EXPECT_EQ(rig.core->GetPauseRequests(), 1);
    EXPECT_EQ(rig.Frames(), held);
    holding = false;
    rig.core->ReleasePause();
    ASSERT_TRUE(WaitFor([&] { return rig.Frames() > held + 2; }));

    rig.core->Break(false);
    ASSERT_TRUE(HeldInBreak(*rig.core));
    holding = true;
    EXPECT_TRUE(rig.machine->GetEventBus()->IsHeld());  // sound silenced
    held = rig.Frames();
    // A key pressed in break does not reach the machine: only the break's release is queued.
    rig.core->OnKey(0x41, true);
    InputQueue queue;
    rig.core->CopyInputQueue(&queue);
    ASSERT_EQ(queue.count, 1);
    EXPECT_EQ(queue.entries[0], kInputReleaseAll);
    EXPECT_TRUE(HeldInBreak(*rig.core));
    EXPECT_EQ(rig.Frames(), held);
    holding = false;
    EXPECT_EQ(framesWhileHeld.load(), 0);

    rig.core->Continue();
    EXPECT_FALSE(rig.core->IsInBreak());
    EXPECT_TRUE(WaitFor([&] { return rig.Frames() > held + 2; }));
    EXPECT_FALSE(rig.machine->GetEventBus()->IsHeld());
}

TEST(Stepping, StepAndStepOverFromABreak)
{
    CoreRig rig(kStepProgram);
    ASSERT_TRUE(rig.alive);
    ASSERT_TRUE(rig.core->Start(true, true));  // held in break before the first instruction
    ASSERT_TRUE(HeldInBreak(*rig.core));
    const Z80Cpu& cpu = *rig.machine->cpu;
    EXPECT_EQ(cpu.GetPC(), 0x0000u);
    auto resume = [&](i32 count, u32 mode, u32 target) {
        rig.core->Step();
        rig.core->SetStepOver(mode, target);
        rig.core->SetStepCount(count);
        rig.core->Continue();
        return WaitFor([&] { return HeldInBreak(*rig.core); });
    };

    // One instruction, and the trace line of the next one.
    ASSERT_TRUE(resume(1, 0, 0));
    EXPECT_EQ(cpu.GetPC(), 0x0002u);
    EXPECT_EQ(rig.machine->cpu->Regs().A, 0x12);
    EXPECT_EQ(rig.ConsoleLines().back().substr(0, 6), "[0002]");
    ASSERT_TRUE(resume(3, 0, 0));  // LD B, CALL, NOP
    EXPECT_EQ(cpu.GetPC(), 0x0011u);
    EXPECT_EQ(rig.ConsoleLines().back().substr(0, 6), "[0011]");
    ASSERT_TRUE(resume(2, 0, 0));  // RET, JR
    ASSERT_EQ(cpu.GetPC(), 0x0000u);

    // Step-over mode 0 leaves the instruction at the target; mode 1 runs up to the target,
    // here the whole subroutine.
    ASSERT_TRUE(resume(-1, 0, 0x0000));
    EXPECT_EQ(cpu.GetPC(), 0x0002u);
    ASSERT_TRUE(resume(-1, 0, 0x0002));
    ASSERT_EQ(cpu.GetPC(), 0x0004u);
    const u16 sp = rig.machine->cpu->Regs().SP;
    ASSERT_TRUE(resume(-1, 1, 0x0007));
    EXPECT_EQ(cpu.GetPC(), 0x0007u);
    EXPECT_EQ(rig.machine->cpu->Regs().SP, sp);
    EXPECT_EQ(rig.core->GetStepCount(), 0);
    EXPECT_EQ(rig.ConsoleLines().back().substr(0, 6), "[0007]");
    EXPECT_EQ(rig.Frames(), 0);
}

TEST(DeviceBreak, AbandonedInstructionRunsAgainWithoutBreakingTwice)
{
    CoreRig rig(kRegisterProgram);
    ASSERT_TRUE(rig.alive);
    rig.machine->vdp->BreakWriteRegister(1) = 1;
    ASSERT_TRUE(rig.core->Start(false, false));
    EXPECT_FALSE(rig.core->IsConsoleMode());

    ASSERT_TRUE(WaitFor([&] { return HeldInBreak(*rig.core); }));
    EXPECT_EQ(rig.machine->cpu->GetPC(), 0x0006u);
    EXPECT_EQ(rig.machine->vdp->GetRegister(1), 0x80);  // the write was abandoned
    EXPECT_TRUE(rig.core->IsConsoleMode());              // a break shows the console
    auto lines = rig.ConsoleLines();
    EXPECT_EQ(CountContaining(lines, " BREAK] "), 1);
    EXPECT_EQ(lines.back().substr(0, 6), "[0006]");

    rig.core->Continue();
    ASSERT_TRUE(WaitFor([&] { return HeldInBreak(*rig.core) && CountContaining(rig.ConsoleLines(), " BREAK] ") == 2; }));
    // The OUT ran once in full, the loop came round and the next write broke again.
    EXPECT_EQ(rig.machine->vdp->GetRegister(1), 0x00);
    EXPECT_EQ(rig.machine->cpu->GetPC(), 0x0006u);
    rig.core->Stop();
    EXPECT_FALSE(rig.core->IsStarted());
    EXPECT_FALSE(rig.core->IsInBreak());
}

// Port 10h asks for a break at every write: first as a device that may have the write
// abandoned, then, once the write went through, as one that cannot take it back.
struct TwoBreakPort {
    static bool Write(void* context, u32, i32 size, const u8*)
    {
        auto* self = static_cast<TwoBreakPort*>(context);
        if (size != 1)
            return false;
        self->writes.fetch_add(1);
        bool restart = true;
        bool report = false;
        if (self->machine->RequestBreak(&restart, &report) && restart) {
            self->abandoned.fetch_add(1);
            return true;
        }
        bool noRestart = false;
        if (self->machine->RequestBreak(&noRestart, &report))
            self->brokeAfter.fetch_add(1);
        return true;
    }

    TestMachine* machine = nullptr;
    std::atomic<i32> writes{0};
    std::atomic<i32> abandoned{0};
    std::atomic<i32> brokeAfter{0};
};

TEST(DeviceBreak, UnconditionalRequestInTheRepeatedInstructionBreaksAfterIt)
{
    const std::vector<u8> program = {
        0x3E, 0x05,  // 0000 LD A,05h
        0xD3, 0x10,  // 0002 OUT (10h),A
        0x18, 0xFC,  // 0004 JR 0002h
    };
    CoreRig rig(program);
    ASSERT_TRUE(rig.alive);
    TwoBreakPort port;
    port.machine = rig.machine;
    rig.machine->onStart = [&](TestMachine& m) { m.GetPorts()->SetWriteHandler(0x10, &port, &TwoBreakPort::Write); };
    ASSERT_TRUE(rig.core->Start(false, false));
    ASSERT_TRUE(WaitFor([&] { return HeldInBreak(*rig.core); }));
    EXPECT_EQ(port.abandoned.load(), 1);
    EXPECT_EQ(rig.machine->cpu->GetPC(), 0x0002u);

    // The OUT runs again: the abandoning request is let through once, the one that cannot
    // abandon breaks after the instruction.
    rig.core->Continue();
    ASSERT_TRUE(WaitFor([&] { return HeldInBreak(*rig.core) && port.writes.load() >= 2; }));
    EXPECT_EQ(port.writes.load(), 2);
    EXPECT_EQ(port.abandoned.load(), 1);
    EXPECT_EQ(port.brokeAfter.load(), 1);
    EXPECT_EQ(rig.machine->cpu->GetPC(), 0x0004u);
    rig.core->Stop();
}

TEST(TraceLine, KnownInstructionInFixedColumns)
{
    CoreRig rig(kStepProgram);
    ASSERT_TRUE(rig.alive);
    StringA line("untouched");
    EXPECT_FALSE(rig.core->FormatTraceLine(line));
    EXPECT_STREQ(line.CStr(), "untouched");

    ASSERT_TRUE(rig.core->Start(true, true));
    ASSERT_TRUE(rig.core->FormatTraceLine(line));
    // Address, bytes, instruction (28), flags (all clear), effect (48), two empty columns.
    const std::string expected = std::string("[0000]") + " 3E12  " + "  LD A,12h" + std::string(20, ' ') +
                                 " ------" + "  A:=12h" + std::string(42, ' ') + " " + " " + "   ";
    EXPECT_EQ(std::string(line.CStr()), expected);
}

TEST(TraceLine, ColumnsArePaddedOrCut)
{
    const StringA z80[7] = {"0000", "3E12", "LD A,12h", "SZHPNC", "A=12h", "", ""};
    const i32 z80Widths[7] = {4, 6, 28, 6, 48, 0, 3};
    StringA line;
    EmuCore::LayOutTraceColumns(line, z80, z80Widths);
    // Column by column: brackets, then one, two, one, two, one and one blank before each.
    const std::string expected = std::string("[0000]") + " 3E12  " + "  LD A,12h" + std::string(20, ' ') +
                                 " SZHPNC" + "  A=12h" + std::string(43, ' ') + " " + " " + "   ";
    EXPECT_EQ(std::string(line.CStr()), expected);

    const StringA texts[7] = {"1234", "ABCDEFG", "XY", "", "", "", "abc"};
    const i32 narrow[7] = {3, 7, 2, 0, 3, 1, 2};
    EmuCore::LayOutTraceColumns(line, texts, narrow);
    // Address cut to 1 + "..", a text of exactly its width whole, an empty text of width
    // 3 as three blanks, a width-2 column too short for "abc" holds ".." alone.
    EXPECT_EQ(std::string(line.CStr()), "[1..] ABCDEFG  XY " + std::string(5, ' ') + "  " + " ..");

    const i32 tiny[7] = {1, 6, 1, 0, 0, 0, 0};
    const StringA more[7] = {"1234", "ABCDEFG", "XY", "", "", "", ""};
    EmuCore::LayOutTraceColumns(line, more, tiny);
    EXPECT_EQ(std::string(line.CStr()), "[..] ABCD..  .." + std::string(5, ' '));
}

} // namespace
