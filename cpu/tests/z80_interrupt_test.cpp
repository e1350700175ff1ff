// Z80 interrupts: the EI delay, modes 0, 1 and 2, NMI with RETN, leaving HALT, the
// interrupt service's questions and a line handler that takes the acceptance over.
#include <gtest/gtest.h>

#include "cpu/tests/z80_test_rig.h"

namespace {

// Rig in interrupt mode im with SP at F000h and the given program at 0000h.
void Prepare(Z80Rig& rig, u8 im, std::initializer_list<u8> program)
{
    rig.Load(0, program);
    rig.R().SP = 0xF000;
    rig.R().IM = im;
}

u16 StackWord(Z80Rig& rig)
{
    return static_cast<u16>(rig.Peek(rig.R().SP) | (rig.Peek(static_cast<u16>(rig.R().SP + 1)) << 8));
}

TEST(Z80Interrupts, EiLetsTheNextInstructionRunFirst)
{
    Z80Rig rig;
    Prepare(rig, 1, {0xFB,      // EI
                     0x00,      // NOP
                     0x00});    // NOP (not reached before the interrupt)
    rig.RaiseIrq();
    EXPECT_EQ(4, rig.cpu.Execute(0));   // EI
    EXPECT_EQ(4, rig.cpu.Execute(0));   // NOP: the boundary after EI takes nothing
    EXPECT_EQ(0x0002, rig.R().PC);
    EXPECT_EQ(13, rig.cpu.Execute(0));  // mode 1 entry
    EXPECT_EQ(0x0038, rig.R().PC);
    EXPECT_EQ(0x0002, StackWord(rig));
    EXPECT_FALSE(rig.cpu.AreInterruptsEnabled());
    EXPECT_FALSE(rig.R().IFF2);
    EXPECT_EQ(1, rig.irqAcknowledges);
}

TEST(Z80Interrupts, EiHaltReturnsPastTheHalt)
{
    Z80Rig rig;
    Prepare(rig, 1, {0xFB,      // EI
                     0x76});    // HALT
    rig.RaiseIrq();
    EXPECT_EQ(4, rig.cpu.Execute(0));   // EI
    EXPECT_EQ(4, rig.cpu.Execute(0));   // HALT runs once
    EXPECT_EQ(0x0001, rig.R().PC);
    EXPECT_EQ(13, rig.cpu.Execute(0));
    EXPECT_EQ(0x0038, rig.R().PC);
    EXPECT_EQ(0x0002, StackWord(rig));
}

TEST(Z80Interrupts, HaltWaitsUntilAnInterruptComes)
{
    Z80Rig rig;
    Prepare(rig, 1, {0xFB,      // EI
                     0x76});    // HALT
    EXPECT_EQ(400, rig.cpu.Execute(400));
    EXPECT_EQ(0x0001, rig.R().PC);
    rig.RaiseIrq();
    rig.cpu.Execute(13);
    EXPECT_EQ(0x0038, rig.R().PC);
    EXPECT_EQ(0x0002, StackWord(rig));
}

TEST(Z80Interrupts, Mode2ReadsTheVectorAtIAndTheDataByte)
{
    Z80Rig rig;
    Prepare(rig, 2, {0x00});    // NOP
    rig.R().IR = 0x8000;
    rig.Load(0x80FF, {0x34, 0x12});   // vector 1234h across 80FFh and 8100h
    rig.cpu.SetIff1(true);
    rig.RaiseIrq(0xFF);
    EXPECT_EQ(19, rig.cpu.Execute(0));
    EXPECT_EQ(0x1234, rig.R().PC);
    EXPECT_EQ(0x0000, StackWord(rig));
}

TEST(Z80Interrupts, Mode0WithTheIdleBusIsRst38)
{
    Z80Rig rig;
    Prepare(rig, 0, {0x00, 0x00});   // NOP, NOP
    rig.cpu.SetIff1(true);
    EXPECT_EQ(4, rig.cpu.Execute(0));
    rig.RaiseIrq(0xFF);
    EXPECT_EQ(19, rig.cpu.Execute(0));
    EXPECT_EQ(0x0038, rig.R().PC);
    EXPECT_EQ(0x0001, StackWord(rig));
    EXPECT_FALSE(rig.cpu.AreInterruptsEnabled());
}

TEST(Z80Interrupts, NmiKeepsIff2AndRetnRestoresIff1)
{
    Z80Rig rig;
    Prepare(rig, 1, {0xFB,      // EI
                     0x00});    // NOP
    rig.Load(0x0066, {0xED, 0x45});   // RETN
    rig.cpu.Execute(0);
    rig.cpu.SetNmiPending(true);
    EXPECT_EQ(11, rig.cpu.Execute(0));
    EXPECT_EQ(0x0066, rig.R().PC);
    EXPECT_FALSE(rig.cpu.AreInterruptsEnabled());
    EXPECT_TRUE(rig.R().IFF2);
    EXPECT_FALSE(rig.cpu.IsNmiPending());
    EXPECT_EQ(14, rig.cpu.Execute(0));   // RETN
    EXPECT_EQ(0x0001, rig.R().PC);
    EXPECT_TRUE(rig.cpu.AreInterruptsEnabled());
}

TEST(Z80Interrupts, NmiOnAHaltReturnsPastIt)
{
    Z80Rig rig;
    Prepare(rig, 1, {0x76});    // HALT (interrupts disabled)
    rig.cpu.Execute(40);
    rig.cpu.SetNmiPending(true);
    rig.cpu.Execute(0);
    EXPECT_EQ(0x0066, rig.R().PC);
    EXPECT_EQ(0x0001, StackWord(rig));
}

TEST(Z80Interrupts, ServiceIsAskedOnceUntilALineIsRaised)
{
    Z80Rig rig;
    Prepare(rig, 1, {0xFB});    // EI, then NOPs
    rig.cpu.Execute(400);
    EXPECT_EQ(1, rig.irqQueries);
    EXPECT_FALSE(rig.cpu.IsInterruptCheckPending());
    rig.RaiseIrq();
    rig.cpu.Execute(0);
    EXPECT_EQ(0x0038, rig.R().PC);
    EXPECT_EQ(3, rig.irqQueries);   // look, then acknowledge
}

// Acknowledge handler of line 0 that takes every interrupt and adds 2 T-states.
bool TakeOver(void* context, u32, u32, u32, ClockInterface*, u64* out)
{
    ++static_cast<Z80Rig*>(context)->portReads;
    *out = 2;
    return true;
}

TEST(Z80Interrupts, LineHandlerTakingOverLeavesInterruptsOnForThreeBoundaries)
{
    Z80Rig rig;
    Prepare(rig, 1, {0x00});    // NOPs
    rig.interrupts.SetAcknowledgeHandler(0, &rig, &TakeOver);
    rig.cpu.SetIff1(true);
    rig.RaiseIrq();
    EXPECT_EQ(15, rig.cpu.Execute(0));   // 13 + the handler's 2, nothing pushed
    EXPECT_EQ(0x0000, rig.R().PC);
    EXPECT_EQ(0xF000, rig.R().SP);
    EXPECT_TRUE(rig.cpu.AreInterruptsEnabled());
    rig.RaiseIrq();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(4, rig.cpu.Execute(0)) << "boundary " << i;
    EXPECT_EQ(15, rig.cpu.Execute(0));
    EXPECT_EQ(2, rig.portReads);
}

TEST(Z80Interrupts, BlockInstructionContinuesAfterAnInterrupt)
{
    Z80Rig rig;
    Prepare(rig, 1, {0xED, 0xB0,    // LDIR
                     0x00});        // NOP
    rig.Load(0x0038, {0xFB,          // EI
                      0xC9});        // RET
    rig.Load(0x1000, {1, 2, 3});
    rig.R().HL = 0x1000;
    rig.R().DE = 0x2000;
    rig.R().BC = 3;
    rig.cpu.SetIff1(true);
    EXPECT_EQ(21, rig.cpu.Execute(0));   // first pass
    rig.RaiseIrq();
    rig.cpu.Execute(0);                  // accepted between passes
    EXPECT_EQ(0x0038, rig.R().PC);
    EXPECT_EQ(0x0000, StackWord(rig));   // returns to the LDIR itself
    rig.cpu.Execute(200);
    EXPECT_EQ(0, rig.R().BC);
    EXPECT_EQ(3, rig.Peek(0x2002));
    EXPECT_GE(rig.R().PC, 0x0003);
}

} // namespace
