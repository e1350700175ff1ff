// Save states of a running ColecoVision, taken by the emulation core at whatever moment
// the worker is paused: the machine goes on from a loaded state exactly as it went on
// from the saved one, and a damaged state is refused without touching the machine.
#include <gtest/gtest.h>

#include <cstring>

#include "machines/tests/state_run.h"

using namespace coleco_test;
using namespace state_test;

namespace {

constexpr i32 kAfterSave = 40;

void PrepareFiles()
{
    ProgramTree::WriteBytes("prog/configs/coleco_v/coleco.rom", TestBios());
    ProgramTree::WriteBytes("media/game.col", TestCartridge());
}

struct ColecoCore : StateCore<ColecoVisionMachine> {
    ColecoCore() : StateCore(kFrameCount, 4, "media/game.col") {}
};

// Offset of the value byte of keyed value `key` (key record: a head of type, check and
// 16-bit length, the text; then the type byte).
size_t ValueOffset(const std::vector<u8>& state, const char* key)
{
    const size_t length = std::strlen(key);
    for (size_t i = 4; i + length + 1 < state.size(); ++i) {
        if (state[i - 2] == length && state[i - 1] == 0 && std::memcmp(&state[i], key, length) == 0)
            return i + length + 1;
    }
    return 0;
}

} // namespace

TEST(ColecoState, LoadedIntoAFreshCoreTheMachineGoesOnAsFromTheSave)
{
    ProgramTree tree;
    PrepareFiles();
    Outcome saved;
    {
        ColecoCore first;
        ASSERT_TRUE(first.core->Start(false, false));
        ASSERT_TRUE(first.RunFrames(30));
        first.core->RequestPause();  // the save lands wherever the worker happens to be
        ASSERT_TRUE(first.core->SaveStateToFile(PathString(), false));
        first.MarkHeld(kAfterSave);
        first.core->ReleasePause();
        ASSERT_TRUE(first.WaitFor([&] { return first.taken.load(); }));
        saved = first.outcome;
        const auto lines = first.Lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], "State saved to memory");
        EXPECT_EQ(lines.back(), "State saved to file \"coleco_v.sav\"");
    }
    ASSERT_TRUE(ProgramTree::Exists("user/states/coleco_v.sav"));

    ColecoCore second;
    second.core->RequestPause();  // holds the run the load starts
    ASSERT_TRUE(second.core->LoadStateFromFile(PathString(), false));
    EXPECT_TRUE(second.core->IsStarted());
    EXPECT_FALSE(second.core->IsInBreak()) << "a load into a stopped core lets the run go on";
    EXPECT_EQ(second.LastLine(), "State loaded from file \"coleco_v.sav\"");
    second.MarkHeld(kAfterSave);
    second.core->ReleasePause();
    ASSERT_TRUE(second.WaitFor([&] { return second.taken.load(); }));
    EXPECT_GT(saved.counter, 30) << "the cartridge counted the frames before and after the save";
    ExpectSameOutcome(saved, second.outcome, 4);
}

TEST(ColecoState, TheMemoryStateTakesTheRunBackAndTwoSavesAreTheSameBytes)
{
    ProgramTree tree;
    PrepareFiles();
    ColecoCore run;
    ASSERT_TRUE(run.core->Start(false, false));
    ASSERT_TRUE(run.RunFrames(25));

    MemoryStream& memory = run.core->GetMemoryState();
    run.core->RequestPause();
    ASSERT_TRUE(memory.Allocate(0, -1));
    ASSERT_TRUE(run.core->SaveStateToStream(memory, false));
    run.MarkHeld(kAfterSave);
    run.core->ReleasePause();
    ASSERT_TRUE(run.WaitFor([&] { return run.taken.load(); }));
    const Outcome first = run.outcome;
    ASSERT_TRUE(run.RunFrames(10));

    run.core->RequestPause();
    ASSERT_TRUE(run.core->LoadStateFromStream(memory, false));
    EXPECT_EQ(run.LastLine(), "State loaded from file memory");
    run.MarkHeld(kAfterSave);
    run.core->ReleasePause();
    ASSERT_TRUE(run.WaitFor([&] { return run.taken.load(); }));
    ExpectSameOutcome(first, run.outcome, 4);

    run.core->Break(false);
    const std::vector<u8> a = run.SaveBytes();
    const std::vector<u8> b = run.SaveBytes();
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == b) << "two saves of a machine in break";
    EXPECT_EQ(a[0], 0xF0);
    EXPECT_EQ(a[a.size() - 13], 0xFF) << "the state ends with FF and the \"KUVSTATE\" record";
}

// Every refusal leaves the running machine as it was: the state saved after the refused
// load is byte for byte the one saved before it, and the run is still on.
TEST(ColecoState, DamagedStatesAreRefusedAndTheRunningMachineIsKept)
{
    ProgramTree tree;
    PrepareFiles();
    ColecoCore run;
    ASSERT_TRUE(run.core->Start(false, false));
    ASSERT_TRUE(run.RunFrames(20));
    run.core->Break(false);
    ASSERT_TRUE(run.core->SaveStateToFile(PathString(), false));
    const std::vector<u8> good = ProgramTree::Read("user/states/coleco_v.sav");
    ASSERT_GT(good.size(), 1000u);
    const std::vector<u8> before = run.SaveBytes();

    const std::string fileError = "[ERROR] Error while loading state from file \"coleco_v.sav\" (";
    struct Case {
        std::string what;
        std::vector<u8> bytes;
        std::string reason;
    };
    std::vector<Case> cases;
    std::vector<u8> bytes = good;
    bytes[0] = 0x00;
    cases.push_back({"another first byte", bytes, "incorrect version or format"});
    bytes = good;
    const size_t revision = ValueOffset(bytes, "VERR");
    ASSERT_NE(revision, 0u);
    bytes[revision] = 2;
    cases.push_back({"a newer run-loop record", bytes, "incorrect version or format"});
    bytes = good;
    const size_t maxCpu = ValueOffset(bytes, "_MAXCPU_");
    const size_t maxs = ValueOffset(bytes, "MAXS");
    ASSERT_NE(maxCpu * maxs, 0u);
    bytes[maxCpu] = 1;
    bytes[maxs] = 1;
    cases.push_back({"saved at maximum speed", bytes, "Enable \"Max CPU Speed\"!"});
    bytes = good;
    bytes[maxCpu] = 5;
    cases.push_back({"a speed mode that does not exist", bytes, "incorrect version or format"});
    bytes = good;
    const char other[] = "ColecoVisioM";  // the machine's record under another name
    for (size_t i = 0; i + 12 <= bytes.size(); ++i) {
        if (std::memcmp(&bytes[i], "ColecoVision", 12) == 0)
            std::memcpy(&bytes[i], other, 12);
    }
    cases.push_back({"another machine", bytes, "incorrect version or format"});
    // Cut short anywhere: every length up to 64, then a spread over the rest.
    for (size_t length = 0; length < good.size(); length += length < 64 ? 1 : good.size() / 40 + 1)
        cases.push_back({"cut to " + std::to_string(length), std::vector<u8>(good.begin(), good.begin() + length),
                         "incorrect version or format"});
    cases.push_back({"last byte missing", std::vector<u8>(good.begin(), good.end() - 1), "incorrect version or format"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramTree::WriteBytes("user/states/coleco_v.sav", c.bytes);
        EXPECT_FALSE(run.core->LoadStateFromFile(PathString(), false));
        EXPECT_EQ(run.LastLine(), fileError + c.reason + ")");
        EXPECT_TRUE(run.core->IsStarted() && run.core->IsInBreak());
        EXPECT_TRUE(run.SaveBytes() == before) << "the machine changed";
        if (::testing::Test::HasFailure())
            break;
    }

    // The good state loads, and the run goes on from it.
    ProgramTree::WriteBytes("user/states/coleco_v.sav", good);
    EXPECT_TRUE(run.core->LoadStateFromFile(PathString(), false));
    EXPECT_TRUE(run.SaveBytes() == before);
    run.core->Continue();
    EXPECT_TRUE(run.RunFrames(3));
}

TEST(ColecoState, StoppedCoresSaveNothingAndAMissingFileIsNotLoaded)
{
    ProgramTree tree;
    PrepareFiles();
    ColecoCore run;
    MemoryStream stream;
    ASSERT_TRUE(stream.Allocate(0, -1));
    EXPECT_FALSE(run.core->SaveStateToStream(stream, false));
    EXPECT_FALSE(run.core->SaveStateToFile(PathString(), false));
    EXPECT_FALSE(ProgramTree::Exists("user/states/coleco_v.sav"));

    EXPECT_FALSE(run.core->LoadStateFromFile(PathString(), false));
    EXPECT_FALSE(run.core->IsStarted());
    const auto lines = run.Lines();
    ASSERT_EQ(lines.size(), 1u) << "the console was cleared first";
    EXPECT_EQ(lines[0], "State not loaded, because file \"coleco_v.sav\" did not exists (no state was saved?)");

    // A state shipped beside the program is found there.
    ASSERT_TRUE(run.core->Start(false, false));
    ASSERT_TRUE(run.RunFrames(5));
    ASSERT_TRUE(run.core->SaveStateToFile(PathString(), false));
    const std::vector<u8> state = ProgramTree::Read("user/states/coleco_v.sav");
    ProgramTree::Remove("user/states/coleco_v.sav");
    ProgramTree::WriteBytes("prog/states/coleco_v.sav", state);
    run.core->Stop();
    EXPECT_TRUE(run.core->LoadStateFromFile(PathString(), false));
    EXPECT_TRUE(run.core->IsStarted());
}
