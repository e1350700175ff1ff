// Save states of a running ColecoVision, taken by the emulation core at whatever moment
// the worker is paused: the machine goes on from a loaded state exactly as it went on
// from the saved one, and a damaged state is refused without touching the machine.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "base/memory_stream.h"
#include "core/emu_core.h"
#include "machines/tests/coleco_rig.h"

using namespace coleco_test;

namespace {

// What the machine showed, held and played over the frames after a mark.
struct Outcome {
    u64 picture = 0;
    std::vector<u8> memory;
    std::vector<std::vector<u8>> sound;  // the four PSG streams from the mark on
    u16 gameFrames = 0;                  // the cartridge's own frame counter
    i32 rate = 0;                        // samples per second
};

struct StateCore {
    ColecoVisionMachine* machine = new ColecoVisionMachine;  // the core owns these three
    BufferSurface* surface = new BufferSurface;
    std::shared_ptr<SoundCapture> sound = std::make_shared<SoundCapture>();
    ListeningRing* output = new ListeningRing(sound);
    std::unique_ptr<EmuCore> core;
    std::atomic<i32> frames{0};     // 1/50 s of emulated time, counted on the worker
    std::atomic<i32> outcomeAt{-1};
    std::atomic<bool> taken{false};
    std::vector<size_t> marks;      // stream sizes at the mark
    Outcome outcome;

    StateCore()
    {
        core = std::make_unique<EmuCore>(nullptr, machine, surface, output, nullptr);
        core->SetSyncEnabled(false);
        core->SetFrameHook(&StateCore::OnFrame, this);
        if (core->Run())
            machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0)->InsertFile(ProgramTree::PathOf("media/game.col"));
    }
    ~StateCore() { core->Shutdown(); }

    static void OnFrame(void* context)
    {
        auto* self = static_cast<StateCore*>(context);
        if (self->frames.fetch_add(1) + 1 == self->outcomeAt.load())
            self->TakeOutcome();
    }
    // On the worker between two frames, or with the worker paused.
    void TakeOutcome()
    {
        MemorySpace* memory = machine->GetMemory();
        outcome.picture = surface->Digest();
        outcome.memory.assign(memory->GetMemory(), memory->GetMemory() + memory->GetSize());
        outcome.gameFrames = static_cast<u16>(memory->Read8(kFrameCount, true) | (memory->Read8(kFrameCount + 1, true) << 8));
        outcome.rate = sound->rate;
        outcome.sound.clear();
        const size_t first = sound->streams.size() >= 4 ? sound->streams.size() - 4 : 0;
        for (size_t i = first; i < sound->streams.size(); ++i) {
            const size_t from = i < marks.size() ? marks[i] : 0;
            outcome.sound.emplace_back(sound->streams[i].begin() + static_cast<std::ptrdiff_t>(from), sound->streams[i].end());
        }
        taken = true;
    }
    // With the worker held: the outcome is taken `after` frames from now.
    void MarkHeld(i32 after)
    {
        marks.clear();
        for (const auto& stream : sound->streams)
            marks.push_back(stream.size());
        taken = false;
        outcomeAt = frames.load() + after;
    }
    bool WaitFor(const std::function<bool()>& cond)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!cond()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    bool RunFrames(i32 count)
    {
        const i32 target = frames.load() + count;
        return WaitFor([&] { return frames.load() >= target; });
    }
    std::vector<std::string> Lines()
    {
        CoreConsole& console = core->GetConsole();
        console.FlushPending();
        std::vector<std::string> lines;
        StringA text;
        u32 color = 0;
        for (i32 i = 0; console.GetLine(i, &text, &color); ++i)
            lines.push_back(text.CStr());
        return lines;
    }
    std::string LastLine()
    {
        const auto lines = Lines();
        return lines.empty() ? std::string() : lines.back();
    }
    std::vector<u8> SaveBytes()
    {
        MemoryStream stream;
        stream.Allocate(0, -1);
        if (!core->SaveStateToStream(stream, false))
            return {};
        return std::vector<u8>(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    }
};

constexpr i32 kAfterSave = 40;

void PrepareFiles()
{
    ProgramTree::WriteBytes("prog/configs/coleco_v/coleco.rom", TestBios());
    ProgramTree::WriteBytes("media/game.col", TestCartridge());
}

void ExpectSameOutcome(const Outcome& a, const Outcome& b)
{
    EXPECT_EQ(a.gameFrames, b.gameFrames);
    EXPECT_EQ(a.picture, b.picture);
    EXPECT_TRUE(a.memory == b.memory) << "memory differs";
    ASSERT_EQ(a.sound.size(), 4u);
    ASSERT_EQ(b.sound.size(), 4u);
    // The cartridge plays 440 Hz on the first tone channel all along.
    EXPECT_NEAR(SquareFrequency(a.sound[0], a.rate), 440.0, 10.0);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(a.sound[i] == b.sound[i]) << "PSG stream " << i << ": " << a.sound[i].size() << " and "
                                              << b.sound[i].size() << " bytes";
    }
}

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
        StateCore first;
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

    StateCore second;
    second.core->RequestPause();  // holds the run the load starts
    ASSERT_TRUE(second.core->LoadStateFromFile(PathString(), false));
    EXPECT_TRUE(second.core->IsStarted());
    EXPECT_FALSE(second.core->IsInBreak()) << "a load into a stopped core lets the run go on";
    EXPECT_EQ(second.LastLine(), "State loaded from file \"coleco_v.sav\"");
    second.MarkHeld(kAfterSave);
    second.core->ReleasePause();
    ASSERT_TRUE(second.WaitFor([&] { return second.taken.load(); }));
    EXPECT_GT(saved.gameFrames, 30) << "the cartridge counted the frames before and after the save";
    ExpectSameOutcome(saved, second.outcome);
}

TEST(ColecoState, TheMemoryStateTakesTheRunBackAndTwoSavesAreTheSameBytes)
{
    ProgramTree tree;
    PrepareFiles();
    StateCore run;
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
    ExpectSameOutcome(first, run.outcome);

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
    StateCore run;
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
    StateCore run;
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
