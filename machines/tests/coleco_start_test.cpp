// Starting the ColecoVision: BIOS and cartridge checks with their console lines, the
// fast-BIOS patch, saved states, building, and the menus.
#include <gtest/gtest.h>

#include "emu/option_item.h"
#include "machines/tests/coleco_rig.h"

using namespace coleco_test;

namespace {

const char kCartridgeError[] = "[INIT] Cartrige slot is empty or has incorrect format!";

OptionItem* FindItem(OptionItem* menu, const char* name)
{
    for (i32 i = 0; menu && i < menu->GetChildCount(); ++i) {
        if (menu->GetChild(i)->GetName().CompareNarrow(name) == 0)
            return menu->GetChild(i);
    }
    return nullptr;
}

} // namespace

TEST(ColecoStart, BiosMissingOrOfTheWrongSize)
{
    ColecoRig rig;
    ASSERT_TRUE(rig.InsertCartridge(TestCartridge()));
    EXPECT_FALSE(rig.Start());
    EXPECT_TRUE(rig.HasLine("[ERROR] File \"coleco.rom\" (ROM BIOS) not found!"));
    rig.InstallBios(std::vector<u8>(0x1FFF, 0xC9));
    EXPECT_FALSE(rig.Start());
    EXPECT_TRUE(rig.HasLine("[ERROR] File \"coleco.rom\" is too small to be loaded (<8192)!"));
    rig.InstallBios(std::vector<u8>(0x2001, 0xC9));
    EXPECT_FALSE(rig.Start());
    EXPECT_TRUE(rig.HasLine("[ERROR] File \"coleco.rom\" is too big to be loaded (>8192)!"));
    rig.InstallBios(TestBios());
    EXPECT_TRUE(rig.Start());
}

TEST(ColecoStart, CartridgeMissingOrUnusable)
{
    ColecoRig rig;
    rig.InstallBios(TestBios());
    EXPECT_FALSE(rig.Start()) << "no cartridge";
    EXPECT_TRUE(rig.HasLine(kCartridgeError));
    for (size_t size : {size_t{2}, size_t{0x8001}}) {
        rig.console.Clear();
        ASSERT_TRUE(rig.InsertCartridge(std::vector<u8>(size, 0x55), "bad" + std::to_string(size) + ".rom"));
        EXPECT_FALSE(rig.Start()) << size;
        EXPECT_TRUE(rig.HasLine(kCartridgeError)) << size;
        EXPECT_TRUE(rig.Slot()->IsExamined());
        EXPECT_FALSE(rig.Slot()->IsAccepted());
        EXPECT_FALSE(rig.Slot()->IsChanged());
    }
    ASSERT_TRUE(rig.InsertCartridge(TestCartridge()));
    rig.Slot()->SetLatch(false);  // a machine uses an image only while it is latched
    rig.console.Clear();
    EXPECT_FALSE(rig.Start());
    EXPECT_TRUE(rig.HasLine(kCartridgeError));

    // The smallest image, and one of 16 KB: what it does not cover reads 0.
    std::vector<u8> sixteen(0x4000, 0x3C);
    for (const std::vector<u8>& image : {std::vector<u8>(3, 0x3C), sixteen}) {
        ASSERT_TRUE(rig.InsertCartridge(image, "ok" + std::to_string(image.size()) + ".rom"));
        EXPECT_TRUE(rig.Start()) << image.size();
        EXPECT_TRUE(rig.Slot()->IsAccepted());
        EXPECT_EQ(rig.Peek(0x8000 + static_cast<u32>(image.size()) - 1), 0x3C);
        EXPECT_EQ(rig.Peek(0x8000 + static_cast<u32>(image.size())), 0x00);
        rig.machine->Stop();
    }
}

TEST(ColecoStart, FastBiosPatchOnlyOnTheKnownBytes)
{
    ColecoRig rig;
    ASSERT_TRUE(rig.Prepare());
    ASSERT_EQ(TestBios()[0x196A], 0x42);
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.Peek(0x196A), 0x05);
    rig.machine->Stop();
    rig.machine->FastLogo() = 0;
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.Peek(0x196A), 0x42);
    rig.machine->Stop();
    rig.machine->FastLogo() = 1;
    std::vector<u8> other = TestBios();
    other[0x196B] = 0x12;
    rig.InstallBios(other);
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.Peek(0x196A), 0x42);
}

TEST(ColecoStart, StateRoundTrip)
{
    ColecoRig rig;
    ASSERT_TRUE(rig.Prepare());
    ASSERT_TRUE(rig.Start());
    rig.RunFrames(25);
    ASSERT_TRUE(rig.machine->IsJoystickMode()) << "the program's loop ends in joystick mode";
    rig.Key(0x35, true);  // held at the moment of saving
    const u16 nmis = rig.PeekWord(kNmiCount);
    StateBuffer state;
    ASSERT_TRUE(rig.machine->SaveComponent(state.archive));

    rig.RunFrames(5);
    rig.Out(0x80, 0);
    rig.Key(0x35, false);
    state.stream.Seek(0);
    ASSERT_TRUE(rig.machine->LoadComponent(state.archive, nullptr));
    EXPECT_TRUE(rig.machine->IsJoystickMode());
    EXPECT_EQ(rig.PeekWord(kNmiCount), nmis);
    EXPECT_EQ(rig.machine->GetKeypadByte(), 0x73) << "rebuilt from the key table the state brought";
    EXPECT_EQ(rig.Peek(0x196A), 0x05) << "the BIOS is not in the state: the patched image stays";
    rig.RunFrames(3);
    EXPECT_EQ(rig.PeekWord(kNmiCount) - nmis, 3);
    EXPECT_EQ(rig.Peek(kKeypad1), 0x73);
}

TEST(ColecoStart, StateRefusedWithoutItsValuesOrTheCartridge)
{
    ColecoRig rig;
    ASSERT_TRUE(rig.Prepare());
    ASSERT_TRUE(rig.Start());
    const bool joystick = true;
    for (u8 version : {u8{1}, u8{0}}) {
        StateBuffer state;  // version 1, then version 0 without "JUSG"
        ASSERT_TRUE(rig.machine->Computer::SaveState(state.archive));
        state.archive.WriteUInt8(&version, "VER");
        if (version != 0)
            state.archive.WriteBool(&joystick, "JUSG");
        state.stream.Seek(0);
        EXPECT_FALSE(rig.machine->LoadState(state.archive, nullptr)) << int(version);
    }
    StateBuffer good;
    rig.Out(0xC0, 0);
    ASSERT_TRUE(rig.machine->SaveState(good.archive));
    rig.Out(0x80, 0);
    good.stream.Seek(0);
    ASSERT_TRUE(rig.machine->LoadState(good.archive, nullptr));
    EXPECT_TRUE(rig.machine->IsJoystickMode());
    rig.Slot()->Eject();  // the image is copied again: an empty slot refuses the state
    good.stream.Seek(0);
    EXPECT_FALSE(rig.machine->LoadState(good.archive, nullptr));
}

TEST(ColecoStart, BuildsOncePerMachineObject)
{
    ColecoVisionMachine machine;
    ASSERT_TRUE(machine.CreateDevices());
    EXPECT_EQ(machine.GetZ80()->GetNominalFrequency(), ColecoVisionMachine::kClock);
    EXPECT_FALSE(machine.CreateDevices());
    EXPECT_EQ(machine.GetCpuCount(), 1);
    machine.ClearMachine();  // what the core does when it lets the machine go
    EXPECT_EQ(machine.GetZ80(), nullptr);
    EXPECT_TRUE(machine.CreateDevices());
    EXPECT_EQ(machine.GetCpuCount(), 1);
    EXPECT_EQ(machine.GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0)->GetFileTypeCount(), 3);
}

TEST(ColecoStart, Menus)
{
    ColecoRig rig;
    DeviceOption debug;
    rig.machine->BuildMenu(&debug, Device::kMenuDebug);
    OptionItem* board = FindItem(&debug, "Motherboard");
    ASSERT_NE(board, nullptr);
    EXPECT_FALSE(board->IsChecked());
    FindItem(board, "Select All")->Execute();
    EXPECT_EQ(rig.machine->TraceReadKeypad() + rig.machine->TraceReadJoystick() +
                  rig.machine->BreakReadKeypad() + rig.machine->BreakReadJoystick(), 4);
    FindItem(board, "Clear All")->Execute();
    FindItem(board, "Trace Read Joystick")->Execute();
    EXPECT_EQ(rig.machine->TraceReadJoystick(), 1);
    EXPECT_EQ(rig.machine->BreakReadKeypad(), 0);
    EXPECT_TRUE(board->IsChecked());

    DeviceOption options;
    rig.machine->BuildMenu(&options, 1);
    OptionItem* fast = FindItem(&options, "Fast BIOS Screen");
    ASSERT_NE(fast, nullptr);
    EXPECT_TRUE(fast->IsChecked());
    ASSERT_TRUE(rig.Prepare());
    ASSERT_TRUE(rig.Start());
    EXPECT_FALSE(fast->IsEnabled()) << "it acts at the next start: only while stopped";
    rig.machine->Stop();
    EXPECT_TRUE(fast->Execute());
    EXPECT_EQ(rig.machine->FastLogo(), 0);
}
