// Save states of a running MSX-1 on C-BIOS with our banked cartridge: saved in the middle
// of its bank switching and loaded into a fresh core, the cartridge is mapped and
// switched as it was, and the machine goes on exactly as it went on from the save.
#include <gtest/gtest.h>

#include "machines/msx_machine.h"
#include "machines/msx_mapper.h"
#include "machines/tests/msx_rig.h"
#include "machines/tests/state_run.h"

using namespace state_test;

namespace {

constexpr u32 kRounds = 0xE012;  // tests/roms/msx_banked_cart.asm
constexpr i32 kAfterSave = 40;

struct MsxCore : StateCore<Msx1Machine> {
    MsxCore() : StateCore(kRounds, 3, "media/banked.rom")
    {
        // Banked images are known by their fingerprint; ours joins the table.
        const std::vector<u8> image = coleco_test::ReadFile(KUV_ROM_MSX_BANKED_CART);
        machine->GetMapper()->AddKnownRom(
            {MsxMapper::Fingerprint(image.data(), static_cast<u32>(image.size())), MsxMapper::kTypeAscii8, false});
    }
    // What the CPU sees of the cartridge now: the switched windows and their registers.
    std::vector<u32> Mapping()
    {
        MemorySpace* memory = machine->GetMemory();
        const MsxMapper* mapper = machine->GetMapper();
        return {memory->Read8(0x8000, true), memory->Read8(0xA001, true), mapper->GetBankRegister(2),
                mapper->GetBankRegister(3), mapper->GetCartridgeType(0), mapper->GetPrimarySlot()};
    }
};

} // namespace

TEST(MsxState, ABankedCartridgeGoesOnFromAStateLoadedIntoAFreshCore)
{
    ProgramTree tree;
    ProgramTree::WriteBytes("prog/configs/msx_1/msx.rom", msx_test::CBios());
    ProgramTree::WriteBytes("media/banked.rom", coleco_test::ReadFile(KUV_ROM_MSX_BANKED_CART));
    Outcome saved;
    std::vector<u32> mapping;
    {
        MsxCore first;
        ASSERT_TRUE(first.core->Start(false, false));
        // C-BIOS starts the cartridge within a few seconds of emulated time; the memory is
        // looked at only while the worker is held.
        for (i32 tries = 0;; ++tries) {
            ASSERT_LT(tries, 100) << "the cartridge did not start";
            ASSERT_TRUE(first.RunFrames(10));
            first.core->RequestPause();
            if (first.machine->GetMemory()->Read8(kRounds + 1, true) != 0)
                break;
            first.core->ReleasePause();
        }
        ASSERT_TRUE(first.core->SaveStateToFile(PathString(), false));
        mapping = first.Mapping();
        first.MarkHeld(kAfterSave);
        first.core->ReleasePause();
        ASSERT_TRUE(first.WaitFor([&] { return first.taken.load(); }));
        saved = first.outcome;
    }
    EXPECT_EQ(mapping[4], MsxMapper::kTypeAscii8);
    // Bank n begins n, n * 16; bank 0 with "AB".
    EXPECT_EQ(mapping[0], mapping[2] == 0 ? u32{'A'} : mapping[2]) << "the window at 0x8000 shows the bank its register names";
    EXPECT_EQ(mapping[1], mapping[3] == 0 ? u32{'B'} : mapping[3] * 16) << "the window at 0xA000 likewise";

    MsxCore second;
    second.core->RequestPause();
    ASSERT_TRUE(second.core->LoadStateFromFile(PathString(), false));
    EXPECT_EQ(second.Mapping(), mapping) << "mapped and switched as at the save";
    second.MarkHeld(kAfterSave);
    second.core->ReleasePause();
    ASSERT_TRUE(second.WaitFor([&] { return second.taken.load(); }));
    ExpectSameOutcome(saved, second.outcome, 3);

    // The same through the memory state, into the core that is running on.
    MemoryStream& memory = second.core->GetMemoryState();
    second.core->RequestPause();
    ASSERT_TRUE(memory.Allocate(0, -1));
    ASSERT_TRUE(second.core->SaveStateToStream(memory, false));
    second.MarkHeld(kAfterSave);
    second.core->ReleasePause();
    ASSERT_TRUE(second.WaitFor([&] { return second.taken.load(); }));
    const Outcome fromMemory = second.outcome;
    second.core->RequestPause();
    ASSERT_TRUE(second.core->LoadStateFromStream(memory, false));
    second.MarkHeld(kAfterSave);
    second.core->ReleasePause();
    ASSERT_TRUE(second.WaitFor([&] { return second.taken.load(); }));
    ExpectSameOutcome(fromMemory, second.outcome, 3);
}
