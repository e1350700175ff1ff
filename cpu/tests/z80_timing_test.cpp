// Z80 execution and time slicing: single steps, instructions suspended across slices,
// prefixed overruns, HALT, port wait, stop requests, R, and peeks.
#include <gtest/gtest.h>

#include "cpu/tests/z80_test_rig.h"

namespace {

TEST(Z80Slicing, SingleStepRunsOneWholeInstruction)
{
    Z80Rig rig;
    rig.R().SP = 0xF000;
    rig.Load(0, {0xCD, 0x00, 0x20});   // CALL 2000h    17 T
    EXPECT_EQ(17, rig.cpu.Execute(0));
    EXPECT_EQ(0x2000, rig.R().PC);
    EXPECT_EQ(0xEFFE, rig.R().SP);
    EXPECT_EQ(0x03, rig.Peek(0xEFFE));
    EXPECT_EQ(17u, rig.cpu.GetCycleCount());
}

TEST(Z80Slicing, SingleStepWithNmiPendingOnlyEntersTheNmi)
{
    Z80Rig rig;
    rig.R().SP = 0xF000;
    rig.Load(0, {0xCD, 0x00, 0x20});   // CALL 2000h
    rig.cpu.SetNmiPending(true);
    EXPECT_EQ(11, rig.cpu.Execute(0));
    EXPECT_EQ(0x0066, rig.R().PC);
}

TEST(Z80Slicing, InstructionThatDoesNotFitIsSuspendedAndFinishedLater)
{
    Z80Rig rig;
    rig.R().SP = 0xF000;
    rig.Load(0, {0xCD, 0x00, 0x20});   // CALL 2000h    17 T
    EXPECT_EQ(5, rig.cpu.Execute(5));
    EXPECT_EQ(0x0000, rig.R().PC);
    EXPECT_EQ(0x0000u, rig.cpu.GetPC());
    EXPECT_EQ(5, rig.cpu.GetOwedCycles());
    EXPECT_EQ(0xF000, rig.R().SP);      // nothing pushed yet
    EXPECT_EQ(5, rig.cpu.Execute(5));
    EXPECT_EQ(10, rig.cpu.GetOwedCycles());
    // 7 T finish the CALL; 3 T remain, less than the NOP at 2000h: it waits in turn.
    EXPECT_EQ(10, rig.cpu.Execute(10));
    EXPECT_EQ(0x2000, rig.R().PC);
    EXPECT_EQ(0xEFFE, rig.R().SP);
    EXPECT_EQ(3, rig.cpu.GetOwedCycles());
    EXPECT_EQ(20u, rig.cpu.GetCycleCount());
}

TEST(Z80Slicing, PrefixedInstructionOverrunsTheSlice)
{
    Z80Rig rig;
    rig.Load(0, {0xDD, 0x21, 0x34, 0x12});   // LD IX,1234h    14 T
    EXPECT_EQ(14, rig.cpu.Execute(4));
    EXPECT_EQ(0x1234, rig.R().IX);
    EXPECT_EQ(0, rig.cpu.GetOwedCycles());
}

TEST(Z80Slicing, NegativeBudgetStillMovesTimeByOne)
{
    Z80Rig rig;
    EXPECT_EQ(1, rig.cpu.Execute(-7));
    EXPECT_EQ(0x0000, rig.R().PC);
    EXPECT_EQ(1u, rig.cpu.GetCycleCount());
}

TEST(Z80Slicing, HaltRepeatsItselfAtFourTStates)
{
    Z80Rig rig;
    rig.Load(0x10, {0x76});   // HALT
    rig.R().PC = 0x10;
    EXPECT_EQ(100, rig.cpu.Execute(100));
    EXPECT_EQ(0x10, rig.R().PC);
    EXPECT_EQ(4, rig.cpu.Execute(0));
    EXPECT_EQ(0x10, rig.R().PC);
}

TEST(Z80Slicing, PortWaitRepeatsTheInput)
{
    Z80Rig rig;
    rig.HookPort(0x20);
    rig.portValue = 0x5A;
    rig.waitCount = 2;
    rig.Load(0, {0xDB, 0x20,    // IN A,(20h)    11 T
                 0x00});        // NOP
    EXPECT_EQ(11, rig.cpu.Execute(0));
    EXPECT_EQ(0x0000, rig.R().PC);
    EXPECT_EQ(0x00, rig.R().A);
    EXPECT_EQ(11, rig.cpu.Execute(0));
    EXPECT_EQ(0x0000, rig.R().PC);
    EXPECT_EQ(11, rig.cpu.Execute(0));
    EXPECT_EQ(0x0002, rig.R().PC);
    EXPECT_EQ(0x5A, rig.R().A);
    EXPECT_EQ(3, rig.portReads);
}

// A write handler on the stack's block that asks the CPU to stop, once.
bool StopOnce(void* context, u32, i32, const u8*)
{
    auto* rig = static_cast<Z80Rig*>(context);
    if (rig->waitCount > 0) {
        --rig->waitCount;
        rig->cpu.RequestStop();
    }
    return false;   // the byte lands in RAM all the same
}

TEST(Z80Slicing, StopRequestDuringPushAbandonsItAndItRunsAgain)
{
    Z80Rig rig;
    rig.memory.SetWriteHandler(0xEC00 >> 10, 1, &rig, &StopOnce, false);
    rig.Load(0, {0x00,          // NOP
                 0xC5,          // PUSH BC    11 T
                 0x00});        // NOP
    rig.R().BC = 0xBEEF;
    rig.R().SP = 0xF000;
    rig.waitCount = 1;
    EXPECT_EQ(4, rig.cpu.Execute(100));   // the NOP counts, the PUSH does not
    EXPECT_EQ(0x0001, rig.R().PC);
    EXPECT_EQ(0xF000, rig.R().SP);
    EXPECT_EQ(0xEF, rig.Peek(0xEFFE));    // the low byte was already written
    EXPECT_EQ(0x00, rig.Peek(0xEFFF));
    EXPECT_FALSE(rig.cpu.IsStopRequested());
    EXPECT_EQ(11, rig.cpu.Execute(0));
    EXPECT_EQ(0x0002, rig.R().PC);
    EXPECT_EQ(0xEFFE, rig.R().SP);
    EXPECT_EQ(0xBE, rig.Peek(0xEFFF));
}

TEST(Z80Slicing, StoppedResumedInstructionStillOwesWhatItOwed)
{
    Z80Rig rig;
    rig.memory.SetWriteHandler(0xEC00 >> 10, 1, &rig, &StopOnce, false);
    rig.Load(0, {0xCD, 0x00, 0x20});   // CALL 2000h    17 T
    rig.R().SP = 0xF000;
    rig.waitCount = 1;
    EXPECT_EQ(5, rig.cpu.Execute(5));
    EXPECT_EQ(0, rig.cpu.Execute(100));   // resumed, then stopped at its push
    EXPECT_EQ(5, rig.cpu.GetOwedCycles());
    EXPECT_EQ(0x0000, rig.R().PC);
    EXPECT_EQ(0xF000, rig.R().SP);
    EXPECT_EQ(5u, rig.cpu.GetCycleCount());
    EXPECT_EQ(12, rig.cpu.Execute(12));
    EXPECT_EQ(0x2000, rig.R().PC);
    EXPECT_EQ(17u, rig.cpu.GetCycleCount());
}

// A read handler that asks the CPU to stop at its first real (not peeked) read, once.
bool StopOnceOnRead(void* context, u32, i32, u8*, bool peek)
{
    auto* rig = static_cast<Z80Rig*>(context);
    if (!peek && rig->waitCount > 0) {
        --rig->waitCount;
        rig->cpu.RequestStop();
    }
    return false;   // the byte comes from RAM all the same
}

// The resumed CALL completes; the stop at the next opcode fetch must not make it run again.
TEST(Z80Slicing, StopAtTheFetchAfterAResumedInstructionLeavesThatInstructionDone)
{
    Z80Rig rig;
    rig.memory.SetReadHandler(0x0400 >> 10, 1, &rig, &StopOnceOnRead, false);
    rig.Load(0x03FD, {0xCD, 0x00, 0x04});   // CALL 0400h    17 T
    rig.Load(0x0400, {0x00});               // NOP
    rig.R().PC = 0x03FD;
    rig.R().SP = 0xF000;
    rig.waitCount = 1;
    EXPECT_EQ(5, rig.cpu.Execute(5));
    EXPECT_EQ(12, rig.cpu.Execute(100));    // the rest of the CALL, then the stop
    EXPECT_EQ(0, rig.cpu.GetOwedCycles());
    EXPECT_EQ(0x0400, rig.R().PC);
    EXPECT_EQ(0xEFFE, rig.R().SP);
    EXPECT_EQ(17u, rig.cpu.GetCycleCount());
    EXPECT_EQ(4, rig.cpu.Execute(0));       // the NOP, and nothing else
    EXPECT_EQ(0x0401, rig.R().PC);
    EXPECT_EQ(0xEFFE, rig.R().SP);
    EXPECT_EQ(21u, rig.cpu.GetCycleCount());
}

TEST(Z80Slicing, StopRequestOutsideExecuteDoesNothing)
{
    Z80Rig rig;
    rig.R().PC = 0x1234;
    EXPECT_FALSE(rig.cpu.RequestStop());
    EXPECT_EQ(0x1234u, rig.cpu.EndSlice());
    EXPECT_EQ(0x1234, rig.R().PC);
}

TEST(Z80Slicing, TwoEndSliceRequestsInOneInstructionKeepTheSliceEnded)
{
    Z80Rig rig;
    rig.HookPort(0x30);
    static u64 seen;
    rig.onPortWrite = [](Z80Rig& r) {
        r.cpu.EndSlice();
        r.cpu.EndSlice();   // must not undo the first
        seen = r.cpu.GetCycleCount();
    };
    rig.Load(0, {0x00,          // NOP
                 0xD3, 0x30,    // OUT (30h),A    11 T
                 0x00});        // NOP
    EXPECT_EQ(15, rig.cpu.Execute(1000));
    EXPECT_EQ(4u, seen);
    EXPECT_EQ(0x0003, rig.R().PC);
    EXPECT_EQ(15u, rig.cpu.GetCycleCount());
}

TEST(Z80Slicing, LargestBudgetsLeaveRoomForEndingTheSlice)
{
    Z80Rig rig;
    rig.HookPort(0x30);
    rig.onPortWrite = [](Z80Rig& r) { r.cpu.EndSlice(); };
    rig.R().SP = 0xF000;
    rig.Load(0, {0xCD, 0x00, 0x20});   // CALL 2000h
    rig.Load(0x2000, {0xD3, 0x30});    // OUT (30h),A
    EXPECT_EQ(5, rig.cpu.Execute(5));
    EXPECT_EQ(12 + 11, rig.cpu.Execute(0x7FFFFFFF));   // resumed CALL, then the OUT ends it
    EXPECT_EQ(0x2002, rig.R().PC);
    EXPECT_EQ(28u, rig.cpu.GetCycleCount());
}

TEST(Z80Slicing, GetPCInsideAnInstructionIsItsFirstByte)
{
    Z80Rig rig;
    rig.HookPort(0x40);
    static u32 seen;
    rig.onPortWrite = [](Z80Rig& r) { seen = r.cpu.GetPC(); };
    rig.Load(0x100, {0xED, 0x79});   // OUT (C),A
    rig.R().PC = 0x100;
    rig.R().BC = 0x0040;
    EXPECT_EQ(12, rig.cpu.Execute(0));
    EXPECT_EQ(0x100u, seen);
    EXPECT_EQ(0x102u, rig.cpu.GetPC());
}

TEST(Z80Registers, RCountsEveryOpcodeFetchAndKeepsBit7)
{
    Z80Rig rig;
    rig.Load(0, {0x3E, 0xFF,    // LD A,FFh      R +1
                 0xED, 0x4F,    // LD R,A        R := FFh
                 0x00,          // NOP           R +1 -> 80h (bit 7 kept, low bits wrap)
                 0xDD, 0x23,    // INC IX        R +2
                 0xED, 0x5F});  // LD A,R        R +2, then read: 84h
    for (int i = 0; i < 5; ++i)
        rig.cpu.Execute(0);
    EXPECT_EQ(0x84, rig.R().A);
    EXPECT_EQ(0x84, rig.cpu.GetR());
}

TEST(Z80Registers, RChangesWhileAProgramWaitsForIt)
{
    Z80Rig rig;
    rig.Load(0, {0xED, 0x5F,    // loop: LD A,R
                 0xB8,          //       CP B
                 0x28, 0xFB});  //       JR Z,loop
    rig.R().BC = 0x0000;
    rig.cpu.Execute(1000);
    EXPECT_NE(0x0000, rig.R().PC) << "a program polling R for a change must get out";
}

// Read handler counting the accesses that are not peeks.
bool CountingRead(void* context, u32, i32, u8* buffer, bool peek)
{
    auto* rig = static_cast<Z80Rig*>(context);
    if (!peek)
        ++rig->portReads;
    *buffer = 0xA5;
    return true;
}

TEST(Z80Peek, DebuggerReadsNeverReachADeviceAsRealReads)
{
    Z80Rig rig;
    rig.memory.SetReadHandler(2, 1, &rig, &CountingRead, false);   // 0800h-0BFFh: fast-path handler
    rig.memory.AliasRead(3, 2, 1);                                 // 0C00h-0FFFh: through the memory space
    u8 b = 0;
    u16 w = 0;
    EXPECT_TRUE(rig.cpu.ReadMemory2(0x0810, &b));
    EXPECT_EQ(0xA5, b);
    EXPECT_TRUE(rig.cpu.ReadMemory2(0x0C10, &b));
    EXPECT_TRUE(rig.cpu.PeekWord(0x0BFF, &w));
    EXPECT_EQ(0xA5A5, w);
    EXPECT_TRUE(rig.cpu.PeekFetch(0x0900, &b));
    EXPECT_TRUE(rig.cpu.PeekFetchWord(0x0CFE, &w));
    EXPECT_EQ(0, rig.portReads);
    EXPECT_TRUE(rig.cpu.ReadMemory(0x0810, &b));   // a real read does reach it
    EXPECT_EQ(1, rig.portReads);
}

TEST(Z80Access, WordsCrossingABlockEdgeAreSplit)
{
    Z80Rig rig;
    rig.Load(0x03FE, {0x11, 0x22, 0x33});
    rig.Load(0x0000, {0x44});
    u16 w = 0;
    EXPECT_TRUE(rig.cpu.ReadWord(0x03FE, &w));
    EXPECT_EQ(0x2211, w);
    EXPECT_TRUE(rig.cpu.ReadWord(0x03FF, &w));
    EXPECT_EQ(0x3322, w);
    rig.Load(0xFFFF, {0x55});
    EXPECT_TRUE(rig.cpu.ReadWord(0xFFFF, &w));   // the high byte wraps to 0000h
    EXPECT_EQ(0x4455, w);
    EXPECT_TRUE(rig.cpu.WriteWord(0x07FF, 0xCAFE));
    EXPECT_EQ(0xFE, rig.Peek(0x07FF));
    EXPECT_EQ(0xCA, rig.Peek(0x0800));
}

// Write handler recording the address and byte of every write in the rig's port list.
bool RecordingWrite(void* context, u32 address, i32, const u8* buffer)
{
    static_cast<Z80Rig*>(context)->portWrites.emplace_back(static_cast<u16>(address), *buffer);
    return true;
}

// A device that changes the memory map from inside an instruction: the very next accesses,
// in the same slice, must follow the new map (the interpreter keeps a copy of it).
TEST(Z80Access, MapChangedInsideASliceIsFollowedAtOnce)
{
    Z80Rig rig;
    rig.HookPort(0x10);
    rig.Load(0x0000, {0xD3, 0x10,          // OUT (10h),A: remaps 0800h and 0C00h
                      0x3A, 0x10, 0x08,    // LD A,(0810h)
                      0x32, 0x10, 0x0C,    // LD (0C10h),A
                      0x2A, 0x20, 0x08,    // LD HL,(0820h)
                      0x22, 0x20, 0x0C,    // LD (0C20h),HL
                      0xC3, 0x00, 0x08});  // JP 0800h
    rig.Load(0x0800, {0x76});              // HALT, unless the new map shows
    rig.Load(0x2000, {0x3E, 0x77, 0x76});  // LD A,77h; HALT
    rig.Load(0x2010, {0x5A});
    rig.Load(0x2020, {0x34, 0x12});
    rig.onPortWrite = [](Z80Rig& r) {
        r.memory.MapBuffer(0x0800 >> 10, 1, r.memory.GetMemory() + 0x2000);
        r.memory.SetWriteHandler(0x0C00 >> 10, 1, &r, &RecordingWrite, false);
    };
    rig.cpu.Execute(100);
    EXPECT_EQ(0x77, rig.R().A) << "code fetched from the new page";
    EXPECT_EQ(0x1234, rig.R().HL) << "word read from the new page";
    const std::vector<std::pair<u16, u8>> writes = {{0x10, 0x00}, {0x0C10, 0x5A}, {0x0C20, 0x34}, {0x0C21, 0x12}};
    EXPECT_EQ(writes, rig.portWrites) << "the OUT, then byte and word writes reaching the new handler";
    EXPECT_EQ(0x00, rig.Peek(0x0C10));
}

// The address mask, changed between slices, applies to the next access.
TEST(Z80Access, AddressMaskChangeAppliesToTheNextSlice)
{
    Z80Rig rig;
    rig.Load(0x0000, {0x3A, 0x10, 0x18, 0x76});   // LD A,(1810h); HALT
    rig.Load(0x0810, {0xAB});
    rig.Load(0x1810, {0xCD});
    rig.cpu.Execute(20);
    EXPECT_EQ(0xCD, rig.R().A);
    rig.cpu.SetAddressMask(0x0FFF);
    rig.R().PC = 0x0000;
    rig.cpu.Execute(20);
    EXPECT_EQ(0xAB, rig.R().A) << "1810h seen through the mask as 0810h";
}

} // namespace
