// The frame interrupt reaches the Z80 as an NMI, which takes edges: a cartridge that never
// reads the VDP status sees one NMI, not one per frame.
#include <gtest/gtest.h>

#include "machines/tests/coleco_rig.h"

using namespace coleco_test;

namespace {

// Counts NMIs at 0x6000 and never reads the VDP status.
std::vector<u8> SilentHandlerCartridge()
{
    std::vector<u8> c(0x60, 0x00);
    c[0] = 0x55;   // 8000 start at once
    c[1] = 0xAA;
    c[0x0A] = 0x30;  // 800A start address 8030h
    c[0x0B] = 0x80;
    const u8 nmiJump[] = {0xC3, 0x50, 0x80};  // 8021 JP 8050h
    std::copy(std::begin(nmiJump), std::end(nmiJump), c.begin() + 0x21);
    const u8 main[] = {
        0x31, 0x00, 0x64,  // 8030 LD SP,6400h
        0x21, 0x00, 0x00,  // 8033 LD HL,0
        0x22, 0x00, 0x60,  // 8036 LD (6000h),HL
        0x3E, 0xE0,        // 8039 LD A,E0h       display on, frame interrupt on
        0xD3, 0xBF,        // 803B OUT (BFh),A
        0x3E, 0x81,        // 803D LD A,81h       register 1
        0xD3, 0xBF,        // 803F OUT (BFh),A
        0x76,              // 8041 HALT
        0x18, 0xFD,        // 8042 JR 8041h
    };
    std::copy(std::begin(main), std::end(main), c.begin() + 0x30);
    const u8 nmi[] = {
        0xE5,              // 8050 PUSH HL
        0x2A, 0x00, 0x60,  // 8051 LD HL,(6000h)
        0x23,              // 8054 INC HL
        0x22, 0x00, 0x60,  // 8055 LD (6000h),HL
        0xE1,              // 8058 POP HL
        0xED, 0x45,        // 8059 RETN
    };
    std::copy(std::begin(nmi), std::end(nmi), c.begin() + 0x50);
    return c;
}

class ColecoNmi : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.InstallBios(TestBios());
        ASSERT_TRUE(rig.InsertCartridge(SilentHandlerCartridge()));
        ASSERT_TRUE(rig.Start());
    }
    Tms9918Vdp& Vdp() { return *rig.machine->GetVdp(); }

    ColecoRig rig;
};

} // namespace

TEST_F(ColecoNmi, AnUnreadStatusGivesASingleNmi)
{
    rig.RunFrames(30);
    EXPECT_EQ(rig.PeekWord(kNmiCount), 1) << "the VDP's output stays up: no second edge";
    EXPECT_TRUE(Vdp().IsInterruptAsserted());
    rig.In(0xBF, true);
    rig.RunFrames(3);
    EXPECT_EQ(rig.PeekWord(kNmiCount), 1) << "a peek acknowledges nothing";

    // The status read drops the output; the next frame raises it again.
    rig.In(0xBF);
    EXPECT_FALSE(Vdp().IsInterruptAsserted());
    rig.RunFrames(10);
    EXPECT_EQ(rig.PeekWord(kNmiCount), 2);

    // The interrupt turned off and on again while the frame flag is up: a new edge.
    rig.Out(0xBF, 0xC0);
    rig.Out(0xBF, 0x81);
    EXPECT_FALSE(rig.Cpu()->IsNmiPending());
    rig.Out(0xBF, 0xE0);
    rig.Out(0xBF, 0x81);
    EXPECT_TRUE(rig.Cpu()->IsNmiPending());
    rig.RunFrames(1);
    EXPECT_EQ(rig.PeekWord(kNmiCount), 3);
}

TEST_F(ColecoNmi, ALoadedStateBringsTheLevelTheNmiInputSaw)
{
    // Saved before the cartridge turns the interrupt on: the output is down.
    StateBuffer state;
    ASSERT_TRUE(rig.machine->SaveComponent(state.archive));
    rig.RunFrames(30);
    ASSERT_EQ(rig.PeekWord(kNmiCount), 1);
    ASSERT_TRUE(Vdp().IsInterruptAsserted());

    state.stream.Seek(0);
    ASSERT_TRUE(rig.machine->LoadComponent(state.archive, nullptr));
    EXPECT_FALSE(Vdp().IsInterruptAsserted());
    // The program runs again from the start, and its first frame interrupt is an edge.
    rig.RunFrames(30);
    EXPECT_EQ(rig.PeekWord(kNmiCount), 1);
}

TEST_F(ColecoNmi, TheNmiInputTakesRisingEdgesOnly)
{
    // Whatever the source repeats, a level that stays up is one edge.
    ClockInterface* cpu = rig.Cpu();
    cpu->SetNmiPending(false);
    ColecoVisionMachine::OnInterruptSet(rig.machine.get(), 0, 1);
    EXPECT_TRUE(cpu->IsNmiPending());
    cpu->SetNmiPending(false);
    ColecoVisionMachine::OnInterruptSet(rig.machine.get(), 0, 1);
    EXPECT_FALSE(cpu->IsNmiPending());
    ColecoVisionMachine::OnInterruptSet(rig.machine.get(), 0, 0);
    EXPECT_FALSE(cpu->IsNmiPending());
    ColecoVisionMachine::OnInterruptSet(rig.machine.get(), 0, 1);
    EXPECT_TRUE(cpu->IsNmiPending());
}
