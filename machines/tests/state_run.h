// Test rig of the save-state tests: a machine run flat out by the emulation core, whose
// outcome (picture, memory, the sound of every PSG stream and a counter of the
// cartridge) is taken on the worker a given number of frames after a mark.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "base/memory_stream.h"
#include "core/emu_core.h"
#include "machines/tests/coleco_rig.h"

namespace state_test {

struct Outcome {
    u64 picture = 0;
    std::vector<u8> memory;
    std::vector<std::vector<u8>> sound;  // each PSG stream from the mark on
    u16 counter = 0;
    i32 rate = 0;                        // samples per second
};

template <typename Machine>
struct StateCore {
    Machine* machine = new Machine;  // the core owns these three
    BufferSurface* surface = new BufferSurface;
    std::shared_ptr<coleco_test::SoundCapture> sound = std::make_shared<coleco_test::SoundCapture>();
    coleco_test::ListeningRing* output = new coleco_test::ListeningRing(sound);
    std::unique_ptr<EmuCore> core;
    std::atomic<i32> frames{0};
    std::atomic<i32> outcomeAt{-1};
    std::atomic<bool> taken{false};
    std::vector<size_t> marks;  // stream sizes at the mark
    Outcome outcome;
    u32 counterAddress;
    size_t streamCount;

    using Files = std::vector<std::pair<std::string, std::vector<u8>>>;

    // counter: a 16-bit counter of the cartridge in RAM; streams: the PSG's stream count;
    // files: written into the program tree first (BIOS, cartridge).
    StateCore(u32 counter, size_t streams, const std::string& cartridge, const Files& files)
        : counterAddress(counter), streamCount(streams)
    {
        for (const auto& [path, bytes] : files)
            ProgramTree::WriteBytes(path, bytes);
        core = std::make_unique<EmuCore>(nullptr, machine, surface, output, nullptr);
        core->SetSyncEnabled(false);
        core->SetFrameHook(&StateCore::OnFrame, this);
        if (core->Run())
            machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0)->InsertFile(ProgramTree::PathOf(cartridge));
    }
    ~StateCore() { core->Shutdown(); }

    static void OnFrame(void* context)
    {
        auto* self = static_cast<StateCore*>(context);
        if (self->frames.fetch_add(1) + 1 == self->outcomeAt.load())
            self->TakeOutcome();
    }
    void TakeOutcome()
    {
        MemorySpace* memory = machine->GetMemory();
        outcome.picture = surface->Digest();
        outcome.memory.assign(memory->GetMemory(), memory->GetMemory() + memory->GetSize());
        outcome.counter = static_cast<u16>(memory->Read8(counterAddress, true) | memory->Read8(counterAddress + 1, true) << 8);
        outcome.rate = sound->rate;
        // A restarted run made its streams anew: the last ones are the live ones.
        outcome.sound.clear();
        for (size_t i = sound->streams.size() - std::min(streamCount, sound->streams.size()); i < sound->streams.size(); ++i)
            outcome.sound.emplace_back(sound->streams[i].begin() + static_cast<std::ptrdiff_t>(i < marks.size() ? marks[i] : 0),
                                       sound->streams[i].end());
        taken = true;
    }
    // With the worker held: the action (a save or a load), then the outcome `after`
    // frames later. False when the action failed or no outcome came.
    bool ThenOutcome(const std::function<bool()>& action, i32 after, Outcome* out)
    {
        core->RequestPause();
        const bool done = action();
        marks.clear();
        for (const auto& stream : sound->streams)
            marks.push_back(stream.size());
        taken = false;
        outcomeAt = frames.load() + after;
        core->ReleasePause();
        if (!done || !WaitFor([&] { return taken.load(); }))
            return false;
        *out = outcome;
        return true;
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
    // The console's line `back` places before the newest.
    std::string LastLine(i32 back = 0)
    {
        core->GetConsole().FlushPending();
        StringA text;
        u32 color = 0;
        return core->GetConsole().GetLine(core->GetConsole().GetLineCount() - 1 - back, &text, &color) ? text.CStr() : "";
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

// The same outcome twice, the first stream playing the cartridge's 440 Hz tone.
inline void ExpectSameOutcome(const Outcome& a, const Outcome& b, size_t streams)
{
    EXPECT_EQ(a.counter, b.counter);
    EXPECT_EQ(a.picture, b.picture);
    EXPECT_TRUE(a.memory == b.memory) << "memory differs";
    ASSERT_EQ(a.sound.size(), streams);
    ASSERT_EQ(b.sound.size(), streams);
    EXPECT_NEAR(coleco_test::SquareFrequency(a.sound[0], a.rate), 440.0, 10.0);
    for (size_t i = 0; i < streams; ++i)
        EXPECT_TRUE(a.sound[i] == b.sound[i]) << "stream " << i << ": " << a.sound[i].size() << " and " << b.sound[i].size();
}

} // namespace state_test
