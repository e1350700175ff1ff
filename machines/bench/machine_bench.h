// Whole-machine speed: a machine run headless by the emulation core, as the program runs
// it, flat out (no pacing against the host clock), its display processor drawing into a
// surface that keeps its pixels, every frame ended there as the window would end it, and
// the sound produced into a ring that plays nothing.
//
// A machine's benchmark names its factory and the files it needs: the BIOS under the
// program folder ("prog/...") where the data-file search finds it, and media ("user/...")
// inserted into a drive of the given kind before the start. The benchmark runs a number
// of emulated seconds (1/50 s frames of the core's loop) and reports how many times real
// time the host ran them, and the main CPU's cycles run per host second in MHz.
//
// The display processor draws a line again only after video memory changed; a machine
// whose setup asks for every line draws all of them in every frame, as a program that
// scrolls or animates the whole screen makes it.
#pragma once

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "core/emu_core.h"
#include "cpu/clock_interface.h"
#include "emu/computer.h"
#include "emu/drive_bay.h"
#include "emu/drive_image.h"
#include "emu/tests/program_tree.h"
#include "sound/sound_buffer_ring.h"
#include "video/tests/video_rig.h"

namespace machine_bench {

// A ROM the build assembled or fetched, whole.
inline std::vector<u8> ReadRom(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct MachineFile {
    std::string where;     // "prog/..." or "user/..." (ProgramTree paths)
    std::vector<u8> bytes;
    i32 driveKind = -1;    // DriveBay kind to insert it into, -1 for none
};

struct MachineSetup {
    Computer* (*make)();   // a new machine; the core takes it over
    std::vector<MachineFile> files;
    bool everyLine = false;   // every line drawn in every frame
};

namespace detail {

constexpr i32 kFramesPerSecond = 50;

// Every line counts as undrawn again once a frame is handed over (on the worker, between
// frames), so the next frame draws them all.
class RedrawingSurface : public BufferSurface {
public:
    bool BeginFrame(u8 hint, float aspect) override
    {
        const bool answer = BufferSurface::BeginFrame(hint, aspect);
        InvalidateDrawnLines();
        return answer;
    }
};

// On the worker at every 1/50 s: the frame is ended on the surface as the window's display
// update ends it, and the time is taken at the target frame.
struct FrameClock {
    LockedDisplaySurface* surface = nullptr;
    Computer* machine = nullptr;
    std::atomic<i32> frames{0};
    std::atomic<i32> target{0};
    std::chrono::steady_clock::time_point start;
    std::atomic<double> seconds{0};   // host time to the target frame, once reached
    std::atomic<u64> cycles{0};       // main CPU cycles run by then

    static void OnFrame(void* context)
    {
        auto* self = static_cast<FrameClock*>(context);
        self->surface->EndFrame(false);
        if (self->frames.fetch_add(1) + 1 != self->target.load())
            return;
        if (ClockInterface* cpu = self->machine->GetMainCpu())
            self->cycles = cpu->GetCycleCount();
        self->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - self->start).count();
    }
};

struct RunResult {
    double seconds = -1;   // host seconds, negative when the run failed
    i32 frames = 0;        // frames ended meanwhile
    u64 cycles = 0;        // main CPU cycles run
};

// One run of the given emulated seconds; on a failure the reason is in error.
inline RunResult RunOnce(const MachineSetup& setup, i32 emulatedSeconds, std::string& error)
{
    ProgramTree tree;
    Computer* machine = setup.make();
    BufferSurface* surface = setup.everyLine ? new RedrawingSurface : new BufferSurface;
    auto core = std::make_unique<EmuCore>(nullptr, machine, surface, new SoundBufferRing, nullptr);
    FrameClock clock;
    clock.surface = surface;
    clock.machine = machine;
    RunResult result;
    clock.target = emulatedSeconds * kFramesPerSecond;
    core->SetSyncEnabled(false);
    core->SetFrameHook(&FrameClock::OnFrame, &clock);
    if (!core->Run()) {
        error = "the worker did not start";
        return result;
    }
    for (const MachineFile& file : setup.files) {
        ProgramTree::WriteBytes(file.where, file.bytes);
        if (file.driveKind < 0)
            continue;
        DriveImage* drive = machine->GetDriveBay()->GetKindDrive(file.driveKind, 0);
        if (!drive || !drive->InsertFile(ProgramTree::PathOf(file.where))) {
            error = "cannot insert " + file.where;
            return result;
        }
    }
    clock.start = std::chrono::steady_clock::now();
    if (!core->Start(false, false)) {
        error = "the machine did not start";
        return result;
    }
    while (clock.seconds.load() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    core->Stop();
    result.frames = clock.frames.load();
    core->Shutdown();
    result.seconds = clock.seconds.load();
    result.cycles = clock.cycles.load();
    return result;
}

} // namespace detail

// Registered with ->Arg(emulated seconds)->UseManualTime(); reports "x_real_time" and
// "Z80_MHz". A run in which the machine did not draw a frame per 1/50 s fails.
inline void RunMachine(benchmark::State& state, const MachineSetup& setup)
{
    const i32 emulated = static_cast<i32>(state.range(0));
    double host = 0;
    double cycles = 0;
    i64 runs = 0;
    for (auto _ : state) {
        std::string error;
        const detail::RunResult run = detail::RunOnce(setup, emulated, error);
        // The run goes on a little past the emulated seconds before it is stopped.
        if (run.seconds >= 0 && run.frames < emulated * detail::kFramesPerSecond)
            error = "only " + std::to_string(run.frames) + " frames ended";
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        host += run.seconds;
        cycles += static_cast<double>(run.cycles);
        ++runs;
        state.SetIterationTime(run.seconds);
    }
    const double times = host > 0 ? emulated * static_cast<double>(runs) / host : 0;
    const double mhz = host > 0 ? cycles / host / 1e6 : 0;
    state.counters["x_real_time"] = times;
    state.counters["Z80_MHz"] = mhz;
    char label[64];
    std::snprintf(label, sizeof(label), "%.0f times real time, Z80 at %.0f MHz", times, mhz);
    state.SetLabel(label);
}

} // namespace machine_bench
