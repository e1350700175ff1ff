// The ColecoVision's I/O map, controller bytes and memory map, reached the way the Z80
// reaches them (port and memory spaces) on a started machine.
#include <gtest/gtest.h>

#include "machines/tests/coleco_rig.h"
#include "sound/sn76489.h"

using namespace coleco_test;

namespace {

class ColecoIo : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.Prepare());
        ASSERT_TRUE(rig.Start());
    }

    ColecoRig rig;
};

bool Breaks(void*, bool*, bool*)
{
    return true;
}

} // namespace

TEST_F(ColecoIo, ModePortsSelectWhatTheControllerPortReads)
{
    rig.Key(0x35, true);  // digit 5: keypad 0x73
    rig.Key(0x26, true);  // Up: joystick 0x7E
    EXPECT_EQ(rig.In(0xFC), 0x73);
    rig.Out(0xC0, 0x00);
    EXPECT_EQ(rig.In(0xFC), 0x7E);
    rig.Out(0x9E, 0xFF);  // any value, any port of the range
    EXPECT_EQ(rig.In(0xE1), 0x73);
    // Only A5-A7 are decoded: odd ports and both ends of each block count as well.
    for (u32 port : {0xC1u, 0xDFu}) {
        rig.Out(0x81, 0);
        EXPECT_FALSE(rig.machine->IsJoystickMode());
        rig.Out(port, 0);
        EXPECT_TRUE(rig.machine->IsJoystickMode()) << std::hex << port;
        EXPECT_EQ(rig.In(0xFC), 0x7E);
        rig.Out(0x9F, 0);
        EXPECT_FALSE(rig.machine->IsJoystickMode());
        EXPECT_EQ(rig.In(0xFD), 0x73);
    }
    for (u32 port : {0x7Fu, 0xA0u, 0xBFu, 0xE0u})  // nothing else selects a mode
        rig.Out(port, 0);
    EXPECT_FALSE(rig.machine->IsJoystickMode());
    rig.Out(0x1C0, 0);    // only the low eight bits of a port count
    EXPECT_TRUE(rig.machine->IsJoystickMode());

    for (u32 port : {0xFEu, 0xFFu, 0xE2u, 0xE3u})  // port bit 1: controller 2
        EXPECT_EQ(rig.In(port), 0x7F) << std::hex << port;
    for (u32 port : {0x00u, 0x7Fu, 0x80u, 0x81u, 0xC0u, 0xDFu})  // nothing answers there
        EXPECT_EQ(rig.In(port), 0xFF) << std::hex << port;
}

TEST_F(ColecoIo, ControllerBytesCombineTheKeysHeld)
{
    rig.Key(0x31, true);  // 1 and 2 together: 0xD AND 0x7 = 0x5, the code of 7
    rig.Key(0x32, true);
    EXPECT_EQ(rig.machine->GetKeypadByte(), 0x75);
    rig.Key(0xE7, true);  // "=" for "#"
    EXPECT_EQ(rig.machine->GetKeypadByte(), 0x74);
    EXPECT_EQ(rig.machine->GetJoystickByte(), 0x7F) << "keypad keys leave the stick alone";
    rig.Key(-1, false);

    rig.Key(0x28, true);  // Down, Right, A (left button), right Shift (bit 5)
    rig.Key(0x27, true);
    rig.Key(0x41, true);
    rig.Key(0xE1, true);
    EXPECT_EQ(rig.machine->GetJoystickByte(), 0x19);
    EXPECT_EQ(rig.machine->GetKeypadByte(), 0x7F);
    rig.Key(-1, false);
    rig.Key(0x68, true);  // the numeric pad's Up with Num Lock off is a digit code
    EXPECT_EQ(rig.machine->GetJoystickByte(), 0x7F);
}

TEST_F(ColecoIo, ControllerReadsAreTracedUnlessPeeked)
{
    rig.machine->TraceReadKeypad() = 1;
    rig.Key(0x35, true);
    EXPECT_EQ(rig.In(0xFC, true), 0x73);
    EXPECT_FALSE(rig.HasLine("[PC] <=KEYPAD = 73h")) << "a debugger peek prints nothing";
    EXPECT_EQ(rig.In(0xFC), 0x73);
    EXPECT_TRUE(rig.HasLine("[PC] <=KEYPAD = 73h"));
    const i32 lines = rig.LineCount();
    rig.In(0xFE);
    EXPECT_EQ(rig.LineCount(), lines) << "controller 2 is not traced";

    // A break on the read still delivers the byte.
    rig.machine->SetBreakHandler(Breaks, nullptr);
    rig.machine->BreakReadJoystick() = 1;
    rig.Out(0xC0, 0);
    EXPECT_EQ(rig.In(0xFC), 0x7F);
    EXPECT_TRUE(rig.HasLine("[PC BREAK] <=JOYSTICK = 7Fh"));
}

TEST_F(ColecoIo, VdpAndPsgThroughTheirPortRanges)
{
    Tms9918Vdp* vdp = rig.machine->GetVdp();
    rig.Out(0xA1, 0x0C);  // any odd port of 0xA0-0xBF is the control side
    rig.Out(0xB3, 0x87);
    EXPECT_EQ(vdp->GetRegister(7), 0x0C);
    rig.Out(0xBF, 0x00);
    rig.Out(0xBF, 0x50);  // write address 0x1000
    rig.Out(0xA0, 0x12);  // any even port the data side
    EXPECT_EQ(vdp->GetVideoMemory()[0x1000], 0x12);

    rig.RunFrames(1);
    ASSERT_NE(vdp->GetStatus() & Tms9918Vdp::kStatusVBlank, 0);
    EXPECT_NE(rig.In(0xBF, true) & Tms9918Vdp::kStatusVBlank, 0);
    EXPECT_NE(vdp->GetStatus() & Tms9918Vdp::kStatusVBlank, 0) << "a peek leaves the status";
    EXPECT_NE(rig.In(0xA1) & Tms9918Vdp::kStatusVBlank, 0);
    EXPECT_EQ(vdp->GetStatus() & Tms9918Vdp::kStatusVBlank, 0);

    Sn76489Psg* psg = rig.machine->GetPsg();
    EXPECT_EQ(psg->GetToneClock(), 223722) << "3579545 Hz / 16";
    rig.Out(0xE0, 0x8E);
    EXPECT_EQ(psg->GetLatch(), 0x8Eu);
    rig.Out(0x1F5, 0x9F);
    EXPECT_EQ(psg->GetLatch(), 0x9Fu);
}

TEST_F(ColecoIo, OnlyTheRamIsWritable)
{
    MemorySpace* memory = rig.machine->GetMemory();
    memory->Write8(0x6000, 0x77);
    memory->Write8(0x7FFF, 0x66);
    for (u32 mirror = 0x6000; mirror < 0x8000; mirror += 0x400) {
        EXPECT_EQ(memory->Read8(mirror, false), 0x77) << std::hex << mirror;
        EXPECT_EQ(memory->Read8(mirror + 0x3FF, false), 0x66) << std::hex << mirror;
    }
    // The cartridge's last KB is as read only as the rest of it.
    for (u32 address : {0x0000u, 0x1FFFu, 0x2000u, 0x5FFFu, 0x8000u, 0xFBFFu, 0xFC00u, 0xFFFFu}) {
        const u8 before = memory->Read8(address, false);
        memory->Write8(address, static_cast<u8>(~before));
        EXPECT_EQ(memory->Read8(address, false), before) << std::hex << address;
    }
}
