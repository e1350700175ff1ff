// Save states of a running ColecoVision, taken wherever the worker happens to be when
// it pauses: the machine goes on from a loaded state exactly as from the saved one, and
// a damaged state is refused without touching the machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

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
// length, the text; then the value's type byte), the first one at or after `from`.
size_t ValueOffset(const std::vector<u8>& state, const char* key, size_t from = 0)
{
    const size_t length = std::strlen(key);
    for (size_t i = std::max<size_t>(from, 4); i + length + 1 < state.size(); ++i) {
        if (state[i - 2] == length && state[i - 1] == 0 && std::memcmp(&state[i], key, length) == 0)
            return i + length + 1;
    }
    return 0;
}

// Offset just past the first occurrence of text.
size_t After(const std::vector<u8>& state, const std::string& text, size_t from = 0)
{
    const auto at = std::search(state.begin() + static_cast<std::ptrdiff_t>(from), state.end(), text.begin(), text.end());
    return at == state.end() ? 0 : static_cast<size_t>(at - state.begin()) + text.size();
}

// The open marker of a component record named name (narrow string record).
std::string OpenRecord(const std::string& name)
{
    const u8 length = static_cast<u8>(name.size());
    return std::string{'\xF0', '\x81', static_cast<char>(0x81 ^ length), static_cast<char>(length), '\0'} + name;
}

// Patches that add delta to the little-endian u64 at offset.
std::vector<std::pair<size_t, u8>> AddToU64(const std::vector<u8>& state, size_t offset, i64 delta)
{
    u64 value = 0;
    for (int i = 0; i < 8; ++i)
        value |= static_cast<u64>(state[offset + i]) << (8 * i);
    value += static_cast<u64>(delta);
    std::vector<std::pair<size_t, u8>> patches;
    for (int i = 0; i < 8; ++i)
        patches.push_back({offset + i, static_cast<u8>(value >> (8 * i))});
    return patches;
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
    // A memory of another size or limit would be made anew without the map that only
    // the start makes (the BIOS and cartridge read-only, the RAM mirrored).
    const size_t size = ValueOffset(good, "MSZ"), limit = ValueOffset(good, "MLM");
    ASSERT_EQ(good[size], 0x00);
    cases.push_back({"memory one block larger", AddToU64(good, size, 1024), bad});
    cases.push_back({"memory limit one lower", AddToU64(good, limit, -1), bad});
    // The settings decide which parts run; a record's flag cannot switch one off.
    for (const std::string name : {"CPU Z80", "_BUS", "_MEM", "_PORT", "_INTR"}) {
        const size_t flag = ValueOffset(good, "_ENBL", After(good, OpenRecord(name)));
        ASSERT_EQ(good[flag], 1) << name;
        cases.push_back({name + " switched off", {{flag, 0}}, bad});
    }
    // A render generation the video's frame event does not carry: that event would drop
    // itself at its next firing and the video would never run again.
    const size_t generation = ValueOffset(good, "RNDT");
    cases.push_back({"render generation changed", {{generation, static_cast<u8>(good[generation] ^ 1)}}, bad});
    size_t record = After(good, "DTEVT", After(good, "_FrRenderEvent0"));  // "DTEVT<n>", type, u32 length
    while (std::isdigit(good[record]))
        ++record;
    ASSERT_EQ(good[record], Archive::kTypeBlob);
    const size_t userWord = record + 1 + 4 + 32;
    cases.push_back({"frame event's user word changed", {{userWord, static_cast<u8>(good[userWord] ^ 1)}}, bad});
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
