// Save states of a running MSX-1 on C-BIOS with our banked cartridge: saved in the middle
// of its bank switching and loaded into a fresh core, the cartridge is mapped and
// switched as it was, and the machine goes on exactly as from the save.
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
    MsxCore()
        : StateCore(kRounds, 3, "media/banked.rom",
                    {{"prog/configs/msx_1/msx.rom", msx_test::CBios()},
                     {"media/banked.rom", coleco_test::ReadFile(KUV_ROM_MSX_BANKED_CART)}})
    {
        const std::vector<u8> image = coleco_test::ReadFile(KUV_ROM_MSX_BANKED_CART);
        // Banked images are known by their fingerprint; ours joins the table.
        machine->GetMapper()->AddKnownRom(
            {MsxMapper::Fingerprint(image.data(), static_cast<u32>(image.size())), MsxMapper::kTypeAscii8, false});
    }
    // Starts the run and waits until C-BIOS has started the cartridge (within seconds of
    // emulated time); the memory is looked at only while the worker is held.
    void StartCartridge()
    {
        ASSERT_TRUE(core->Start(false, false));
        for (i32 tries = 0;; ++tries) {
            ASSERT_LT(tries, 100) << "the cartridge did not start";
            ASSERT_TRUE(RunFrames(10));
            core->RequestPause();
            const bool running = machine->GetMemory()->Read8(kRounds + 1, true) != 0;
            core->ReleasePause();
            if (running)
                return;
        }
    }
    // What the CPU sees of the cartridge: the two switched windows and their registers.
    std::vector<u32> Mapping()
    {
        const MsxMapper* mapper = machine->GetMapper();
        return {machine->GetMemory()->Read8(0x8000, true), machine->GetMemory()->Read8(0xA001, true),
                mapper->GetBankRegister(2), mapper->GetBankRegister(3), mapper->GetCartridgeType(0)};
    }
};

} // namespace

TEST(MsxState, ABankedCartridgeGoesOnFromAStateLoadedIntoAFreshCore)
{
    ProgramTree tree;
    Outcome saved, loaded;
    std::vector<u32> mapping;
    {
        MsxCore first;
        ASSERT_NO_FATAL_FAILURE(first.StartCartridge());
        ASSERT_TRUE(first.ThenOutcome(
            [&] { return first.core->SaveStateToFile(PathString(), false) && (mapping = first.Mapping(), true); },
            kAfterSave, &saved));
    }
    ASSERT_EQ(mapping[4], MsxMapper::kTypeAscii8);
    // Bank n begins n, n * 16; bank 0 with "AB".
    EXPECT_EQ(mapping[0], mapping[2] == 0 ? u32{'A'} : mapping[2]) << "the window at 0x8000 shows its bank";
    EXPECT_EQ(mapping[1], mapping[3] == 0 ? u32{'B'} : mapping[3] * 16) << "the window at 0xA000 likewise";

    MsxCore second;
    std::vector<u32> reloaded;
    ASSERT_TRUE(second.ThenOutcome(
        [&] { return second.core->LoadStateFromFile(PathString(), false) && (reloaded = second.Mapping(), true); },
        kAfterSave, &loaded));
    EXPECT_EQ(reloaded, mapping) << "mapped and switched as at the save";
    ExpectSameOutcome(saved, loaded, 3);

    MemoryStream& memory = second.core->GetMemoryState();
    ASSERT_TRUE(memory.Allocate(0, -1));
    ASSERT_TRUE(second.ThenOutcome([&] { return second.core->SaveStateToStream(memory, false); }, kAfterSave, &saved));
    ASSERT_TRUE(second.ThenOutcome([&] { return second.core->LoadStateFromStream(memory, false); }, kAfterSave, &loaded));
    ExpectSameOutcome(saved, loaded, 3);
}

// A state loaded into a fresh core and saved again at once is the same state, byte for
// byte: here with the AY playing, its envelope never restarted by a program.
TEST(MsxState, AStateLoadedAndSavedAgainIsTheSameBytes)
{
    ProgramTree tree;
    std::vector<u8> first;
    {
        MsxCore run;
        ASSERT_NO_FATAL_FAILURE(run.StartCartridge());
        run.core->RequestPause();
        first = run.SaveBytes();
        run.core->ReleasePause();
    }
    ASSERT_FALSE(first.empty());
    // Each of the AY's three channels saves "ENSH" 16: no envelope program yet.
    const u8 key[] = {'E', 'N', 'S', 'H', Archive::kTypeInt32};
    i32 channels = 0;
    for (auto at = first.begin(); (at = std::search(at, first.end(), std::begin(key), std::end(key))) != first.end();
         ++at, ++channels)
        EXPECT_EQ(at[sizeof key], 16);
    EXPECT_EQ(channels, 3);

    MsxCore second;
    MemoryStream& memory = second.core->GetMemoryState();
    ASSERT_TRUE(memory.Allocate(0, -1));
    ASSERT_EQ(memory.Write(first.data(), first.size()), first.size());
    ASSERT_TRUE(memory.Seek(0));
    std::vector<u8> again;
    second.core->RequestPause();
    const bool loaded = second.core->LoadStateFromStream(memory, false);
    if (loaded)
        again = second.SaveBytes();
    second.core->ReleasePause();
    ASSERT_TRUE(loaded);
    ASSERT_EQ(first.size(), again.size());
    const auto differs = std::mismatch(first.begin(), first.end(), again.begin());
    EXPECT_TRUE(differs.first == first.end()) << "first difference at byte " << (differs.first - first.begin());
}
