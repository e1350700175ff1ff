// MSX slots: what each 16 KB page shows for the primary slot register at port 0xA8, the
// debugger's look at the interface ports, the PSG and timer ports, and saved states.
#include <gtest/gtest.h>

#include "machines/msx_keyboard.h"
#include "machines/tests/msx_rig.h"

using namespace msx_test;

namespace {

// The stub BIOS's bytes are their own KB number; RAM page k is marked 0xA0 + k.
constexpr u8 kRomPage0 = 0x01;  // at 0x0400
constexpr u8 kRomPage1 = 0x11;  // at 0x4400

struct SlotCase {
    u32 port;
    u8 value;
    u8 shown[4];  // bytes read at 0x0400, 0x4400, 0x8400 and 0xC400
};

const SlotCase kSlotCases[] = {
    {0xA8, 0x00, {kRomPage0, kRomPage1, 0, 0}},        // start: ROM, then the empty page
    {0xA8, 0xF0, {kRomPage0, kRomPage1, 0xA2, 0xA3}},  // RAM above, the BIOS stays
    {0xA8, 0xFF, {0xA0, 0xA1, 0xA2, 0xA3}},
    {0xA8, 0xFC, {kRomPage0, 0xA1, 0xA2, 0xA3}},
    {0xA8, 0x55, {0, 0, 0, 0}},                        // slot 1 with no cartridge
    {0xA8, 0xAA, {0, 0, 0, 0}},                        // slot 2: cartridge B never exists
    {0x1A8, 0xC3, {0xA0, kRomPage1, 0, 0xA3}},         // the high address byte is not decoded
};

} // namespace

TEST(MsxSlots, PagesFollowThePrimarySlotRegister)
{
    MsxRig rig;
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.In(0xA8), 0x00);
    rig.Out(0xA8, 0xFF);
    for (u32 k = 0; k < 4; ++k)
        rig.Poke(k * 0x4000 + 0x400, static_cast<u8>(0xA0 + k));
    rig.Out(0xA8, 0x00);
    for (const SlotCase& c : kSlotCases) {
        rig.Out(c.port, c.value);
        EXPECT_EQ(rig.In(0xA8), c.value);
        for (u32 k = 0; k < 4; ++k)
            EXPECT_EQ(rig.Peek(k * 0x4000 + 0x400), c.shown[k]) << "PSLOT " << std::hex << u32{c.value} << " page " << k;
    }
    // Writes into ROM and into the empty page are dropped.
    rig.Out(0xA8, 0x00);
    rig.Poke(0x0400, 0x77);
    rig.Poke(0x8400, 0x77);
    EXPECT_EQ(rig.Peek(0x0400), kRomPage0);
    EXPECT_EQ(rig.Peek(0x8400), 0);
    // No secondary slot register on the MSX-1: 0xFFFF is RAM.
    rig.Out(0xA8, 0xFF);
    rig.Poke(0xFFFF, 0x55);
    EXPECT_EQ(rig.Peek(0xFFFF), 0x55);
}

TEST(MsxSlots, TraceLinesAndDebuggerPeeks)
{
    MsxRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Mapper()->TraceWritePslot() = 1;
    rig.Mapper()->TraceReadPslot() = 1;
    rig.Mapper()->BreakReadPslot() = 1;
    rig.Out(0xA8, 0xF4);
    EXPECT_TRUE(rig.HasLine("[MAPPER] >PSLOT=F4h ( 0x0000=romBios  0x4000=cartA     0x8000=ram     0xC000=ram   )"));
    const i32 lines = rig.LineCount();
    for (u32 port : {0xA8u, 0xA9u, 0xAAu})
        rig.In(port, true);
    EXPECT_EQ(rig.LineCount(), lines) << "a debugger look is neither traced nor broken on";
    EXPECT_EQ(rig.In(0xA8), 0xF4);
    EXPECT_TRUE(rig.HasLine("[MAPPER] <PSLOT=F4h"));
}

TEST(MsxSlots, StateRestoresSlotsRamAndPortC)
{
    MsxRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Out(0xA8, 0xF0);
    rig.Poke(0x8123, 0x42);
    rig.Out(0xAA, 0x38);
    MsxMachine::OnInterruptSet(rig.machine.get(), 0, 1);
    StateBuffer state;
    ASSERT_TRUE(rig.machine->SaveComponent(state.archive));

    rig.Out(0xA8, 0x00);
    rig.Out(0xAA, 0x00);
    MsxMachine::OnInterruptSet(rig.machine.get(), 0, 0);
    state.stream.Seek(0);
    ASSERT_TRUE(rig.machine->LoadComponent(state.archive, nullptr));
    EXPECT_EQ(rig.In(0xA8), 0xF0);
    EXPECT_EQ(rig.Peek(0x8123), 0x42) << "RAM at 0x8000 at once";
    EXPECT_EQ(rig.Peek(0x0400), kRomPage0);
    EXPECT_EQ(rig.In(0xAA), 0x38);
    EXPECT_EQ(rig.machine->GetKeyboardMatrix()->GetSelectedRow(), 8);
    EXPECT_TRUE(rig.machine->IsInterruptPending());
}

TEST(MsxSlots, StartFailsWithoutAUsableBios)
{
    MsxRig rig;
    ProgramTree::MakeFolder("prog/configs");
    EXPECT_FALSE(machine_run::StartMachine(rig.machine.get(), rig.Cpu()));
    EXPECT_TRUE(rig.HasLine("[ERROR] File \"msx.rom\" (System BIOS (w/BASIC)) not found!"));
    MsxRig::InstallBios(StubBios(0x8001));
    EXPECT_FALSE(rig.Start());
    EXPECT_TRUE(rig.HasLine("[ERROR] File \"msx.rom\" is too big to be loaded (>32768)!"));
    MsxRig::InstallBios(StubBios(0x4000));
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.Peek(0x3C00), 15);
    EXPECT_EQ(rig.Peek(0x4400), 0) << "a 16 KB BIOS leaves the rest of the ROM zero";
}

TEST(MsxSlots, PsgRegistersReadAtA2)
{
    MsxRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Out(0xA0, 0);
    rig.Out(0xA1, 0x5A);
    EXPECT_EQ(rig.In(0xA2), 0x5A) << "where MSX software reads the registers";
    EXPECT_EQ(rig.In(0xA1), 0x5A);
    // Port A in input mode with nothing in the joystick port: no direction, no button,
    // whatever was written to register 14 before.
    rig.Out(0xA0, 7);
    rig.Out(0xA1, 0x80);
    rig.Out(0xA0, 14);
    rig.Out(0xA1, 0x00);
    EXPECT_EQ(rig.In(0xA2) & 0x3F, 0x3F);
}

TEST(MsxSlots, StateWithADamagedLayoutIsRefused)
{
    MsxRig rig;
    ASSERT_TRUE(rig.InsertCartridge(std::vector<u8>(0x4000, 0xC9)));
    ASSERT_TRUE(rig.Start());
    StateBuffer state;
    ASSERT_TRUE(rig.machine->SaveComponent(state.archive));
    // The empty page, block 160 (0xA0) with the MSX-1 sizes, moved onto the cartridge.
    std::vector<u8> bytes = state.Bytes();
    const std::string text(bytes.begin(), bytes.end());
    const size_t key = text.find("NAMO");
    ASSERT_NE(key, std::string::npos);
    const size_t value = text.find(std::string("\xA0\x00", 2), key);
    ASSERT_LT(value - key, 8u);
    bytes[value] = 0xA1;
    MemoryStream damaged;
    damaged.Allocate(0, -1);
    damaged.Write(bytes.data(), bytes.size());
    damaged.Seek(0);
    Archive archive(&damaged);
    EXPECT_FALSE(rig.machine->LoadComponent(archive, nullptr));
    state.stream.Seek(0);
    EXPECT_TRUE(rig.machine->LoadComponent(state.archive, nullptr)) << "the undamaged state loads";
}

TEST(MsxSlots, TimerAnswersItsPorts)
{
    MsxRig rig;
    ASSERT_TRUE(rig.Start());
    // Counter 2, low then high byte, mode 0, binary: the count reads back latched.
    rig.Out(0x87, 0xB0);
    rig.Out(0x86, 0x34);
    rig.Out(0x86, 0x12);
    rig.Out(0x87, 0x80);  // latch counter 2
    const u8 low = rig.In(0x86);
    const u16 count = static_cast<u16>(low | rig.In(0x86) << 8);
    EXPECT_LE(count, 0x1234);
    EXPECT_GT(count, 0x1000) << "a few cycles of 2 MHz at most";
}
