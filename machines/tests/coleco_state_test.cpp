// Save states of a running ColecoVision, taken wherever the worker happens to be when
// it pauses: the machine goes on from a loaded state exactly as from the saved one, and
// a damaged state is refused without touching the machine.
#include <gtest/gtest.h>

#include <cstring>

#include "machines/tests/state_run.h"

using namespace coleco_test;
using namespace state_test;

namespace {

constexpr i32 kAfterSave = 40;
const char* const kFile = "user/states/coleco_v.sav";

struct ColecoCore : StateCore<ColecoVisionMachine> {
    ColecoCore()
        : StateCore(kFrameCount, 4, "media/game.col",
                    {{"prog/configs/coleco_v/coleco.rom", TestBios()}, {"media/game.col", TestCartridge()}})
    {
    }
};

// Offset of the value byte of keyed value `key` (a key record: type, check, 16-bit
// length, the text; then the value's type byte).
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

TEST(ColecoState, GoesOnFromAFileLoadedIntoAFreshCoreAndFromTheMemoryState)
{
    ProgramTree tree;
    Outcome saved, loaded;
    {
        ColecoCore first;
        ASSERT_TRUE(first.core->Start(false, false));
        ASSERT_TRUE(first.RunFrames(30));
        ASSERT_TRUE(first.ThenOutcome([&] { return first.core->SaveStateToFile(PathString(), false); }, kAfterSave, &saved));
        EXPECT_EQ(first.LastLine(1), "State saved to memory");
        EXPECT_EQ(first.LastLine(), "State saved to file \"coleco_v.sav\"");
    }
    ColecoCore second;
    ASSERT_TRUE(second.ThenOutcome([&] { return second.core->LoadStateFromFile(PathString(), false); }, kAfterSave, &loaded));
    EXPECT_FALSE(second.core->IsInBreak()) << "a load into a stopped core lets the run go on";
    EXPECT_EQ(second.LastLine(), "State loaded from file \"coleco_v.sav\"");
    EXPECT_GT(saved.counter, 30) << "the cartridge counted the frames before and after the save";
    ExpectSameOutcome(saved, loaded, 4);

    MemoryStream& memory = second.core->GetMemoryState();
    ASSERT_TRUE(memory.Allocate(0, -1));
    ASSERT_TRUE(second.ThenOutcome([&] { return second.core->SaveStateToStream(memory, false); }, kAfterSave, &saved));
    ASSERT_TRUE(second.ThenOutcome([&] { return second.core->LoadStateFromStream(memory, false); }, kAfterSave, &loaded));
    EXPECT_EQ(second.LastLine(), "State loaded from file memory");
    ExpectSameOutcome(saved, loaded, 4);

    second.core->Break(false);
    const std::vector<u8> a = second.SaveBytes();
    ASSERT_GT(a.size(), 13u);
    EXPECT_TRUE(a == second.SaveBytes()) << "two saves of a machine in break";
    EXPECT_EQ(a[a.size() - 13], 0xFF) << "the state ends with FF and the \"KUVSTATE\" record";
}

// The state saved after a refused load is byte for byte the one saved before it.
TEST(ColecoState, DamagedStatesAreRefusedAndTheRunningMachineIsKept)
{
    ProgramTree tree;
    ColecoCore run;
    ASSERT_TRUE(run.core->Start(false, false));
    ASSERT_TRUE(run.RunFrames(20));
    run.core->Break(false);
    ASSERT_TRUE(run.core->SaveStateToFile(PathString(), false));
    const std::vector<u8> good = ProgramTree::Read(kFile);
    const std::vector<u8> before = run.SaveBytes();
    const size_t revision = ValueOffset(good, "VERR"), maxCpu = ValueOffset(good, "_MAXCPU_");
    const size_t maxs = ValueOffset(good, "MAXS");
    ASSERT_NE(revision * maxCpu * maxs, 0u);

    const std::string bad = "incorrect version or format";
    struct Case {
        std::string what;
        std::vector<std::pair<size_t, u8>> patches;
        std::string reason;
        size_t length = 0;  // 0: whole
    };
    std::vector<Case> cases = {
        {"another first byte", {{0, 0x00}}, bad},
        {"a newer run-loop record", {{revision, 2}}, bad},
        {"saved at maximum speed", {{maxCpu, 1}, {maxs, 1}}, "Enable \"Max CPU Speed\"!"},
        {"a speed mode that does not exist", {{maxCpu, 5}}, bad},
        {"another machine", {}, bad},
    };
    for (size_t i = 0; i + 12 <= good.size(); ++i) {
        if (std::memcmp(&good[i], "ColecoVision", 12) == 0)
            cases[4].patches.push_back({i + 11, 'M'});  // the machine's record under another name
    }
    // Cut short anywhere: every length up to 64, then a spread over the rest.
    for (size_t length = 1; length < good.size(); length += length < 64 ? 1 : good.size() / 40 + 1)
        cases.push_back({"cut to " + std::to_string(length), {}, bad, length});
    cases.push_back({"last byte missing", {}, bad, good.size() - 1});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<u8> bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(c.length ? c.length : good.size()));
        for (const auto& [at, value] : c.patches)
            bytes[at] = value;
        ProgramTree::WriteBytes(kFile, bytes);
        EXPECT_FALSE(run.core->LoadStateFromFile(PathString(), false));
        EXPECT_EQ(run.LastLine(), "[ERROR] Error while loading state from file \"coleco_v.sav\" (" + c.reason + ")");
        EXPECT_TRUE(run.core->IsStarted() && run.core->IsInBreak());
        ASSERT_TRUE(run.SaveBytes() == before) << "the machine changed";
    }
    ProgramTree::WriteBytes(kFile, good);
    EXPECT_TRUE(run.core->LoadStateFromFile(PathString(), false));
    EXPECT_TRUE(run.SaveBytes() == before);
}

TEST(ColecoState, StoppedCoresSaveNothingAndMissingFilesAreNotLoaded)
{
    ProgramTree tree;
    ColecoCore run;
    EXPECT_FALSE(run.core->SaveStateToFile(PathString(), false));
    EXPECT_FALSE(run.core->LoadStateFromFile(PathString(), false));
    EXPECT_FALSE(run.core->IsStarted());
    EXPECT_EQ(run.LastLine(), "State not loaded, because file \"coleco_v.sav\" did not exists (no state was saved?)");
    EXPECT_EQ(run.core->GetConsole().GetLineCount(), 1) << "the console is cleared first";
    // A state shipped beside the program is found there; a damaged one leaves the core
    // stopped.
    ASSERT_TRUE(run.core->Start(false, false));
    ASSERT_TRUE(run.core->SaveStateToFile(PathString(), false));
    std::vector<u8> state = ProgramTree::Read(kFile);
    ProgramTree::Remove(kFile);
    run.core->Stop();
    ProgramTree::WriteBytes("prog/states/coleco_v.sav", std::vector<u8>(state.begin(), state.end() - 20));
    EXPECT_FALSE(run.core->LoadStateFromFile(PathString(), false));
    EXPECT_FALSE(run.core->IsStarted());
    ProgramTree::WriteBytes("prog/states/coleco_v.sav", state);
    EXPECT_TRUE(run.core->LoadStateFromFile(PathString(), false));
    EXPECT_TRUE(run.core->IsStarted());
}
