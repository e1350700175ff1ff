// Test rig of the save-state tests: a machine run by the emulation core, whose outcome
// (picture, memory, the sound of every PSG stream from a mark on, and a counter of the
// cartridge) is taken on the worker a given number of frames after the mark.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/memory_stream.h"
#include "core/emu_core.h"
#include "machines/tests/coleco_rig.h"

namespace state_test {

using coleco_test::ListeningRing;
using coleco_test::SoundCapture;

// What the machine showed, held and played over the frames after a mark.
struct Outcome {
    u64 picture = 0;
    std::vector<u8> memory;
    std::vector<std::vector<u8>> sound;  // the PSG's streams from the mark on
    u16 counter = 0;                     // the cartridge's own counter
    i32 rate = 0;                        // samples per second
};

template <typename Machine>
struct StateCore {
    Machine* machine = new Machine;  // the core owns these three
    BufferSurface* surface = new BufferSurface;
    std::shared_ptr<SoundCapture> sound = std::make_shared<SoundCapture>();
    ListeningRing* output = new ListeningRing(sound);
    std::unique_ptr<EmuCore> core;
    std::atomic<i32> frames{0};     // 1/50 s of emulated time, counted on the worker
    std::atomic<i32> outcomeAt{-1};
    std::atomic<bool> taken{false};
    std::vector<size_t> marks;      // stream sizes at the mark
    Outcome outcome;
    u32 counterAddress;
    size_t streamCount;

    // counter: address of a 16-bit counter the cartridge keeps in RAM; streams: how many
    // sound streams the machine's PSG plays; cartridge: the image's program-tree path.
    StateCore(u32 counter, size_t streams, const std::string& cartridge)
        : counterAddress(counter), streamCount(streams)
    {
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
    // On the worker between two frames, or with the worker paused.
    void TakeOutcome()
    {
        MemorySpace* memory = machine->GetMemory();
        outcome.picture = surface->Digest();
        outcome.memory.assign(memory->GetMemory(), memory->GetMemory() + memory->GetSize());
        outcome.counter = static_cast<u16>(memory->Read8(counterAddress, true) | (memory->Read8(counterAddress + 1, true) << 8));
        outcome.rate = sound->rate;
        outcome.sound.clear();
        const size_t first = sound->streams.size() >= streamCount ? sound->streams.size() - streamCount : 0;
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

// Two outcomes are the same, and the first stream plays the cartridge's 440 Hz tone.
inline void ExpectSameOutcome(const Outcome& a, const Outcome& b, size_t streams)
{
    EXPECT_EQ(a.counter, b.counter);
    EXPECT_EQ(a.picture, b.picture);
    EXPECT_TRUE(a.memory == b.memory) << "memory differs";
    ASSERT_EQ(a.sound.size(), streams);
    ASSERT_EQ(b.sound.size(), streams);
    EXPECT_NEAR(coleco_test::SquareFrequency(a.sound[0], a.rate), 440.0, 10.0);
    for (size_t i = 0; i < streams; ++i) {
        EXPECT_TRUE(a.sound[i] == b.sound[i]) << "PSG stream " << i << ": " << a.sound[i].size() << " and "
                                              << b.sound[i].size() << " bytes";
    }
}

} // namespace state_test
