// The maximum-speed run loop: the CPU runs as fast as the host allows while the bus, and
// with it every device timer, keeps host time. The loop ticks the bus itself once per
// bus period of host time and runs the CPU in between in chunks sized from the rate of
// the last one; every ten frames it tells the CPU how many cycles a host second now
// holds, so events the CPU schedules in cycles keep real time too.
#include <algorithm>
#include <climits>
#include <cmath>

#include "core/emu_core.h"
#include "cpu/cpu_base.h"
#include "emu/computer.h"

namespace {

// Below this many cycles a chunk measure says too little; the chunk shrinks instead.
constexpr i64 kSmallestSizedChunk = 20;
constexpr i64 kLargestChunk = 1 << 24;
constexpr i32 kFramesPerMeasure = 10;

} // namespace

void EmuCore::RunLoopMaxSpeed()
{
    RunLoopState& s = loop_;
    try {
        // What the machine throws while it starts ends the run as an error later would.
        if (!StartLoop(true))
            return;
        while (RunBudget()) {
            const u64 now = clock_->Now();
            NextChunk(now);
            SplitAtEvent(s.budget);
            if (static_cast<i64>(now - s.frameDeadline) >= 0)
                FrameBoundaryMax(now);
        }
    } catch (...) {
        EndRun();
        throw;
    }
}

void EmuCore::NextChunk(u64 now)
{
    RunLoopState& s = loop_;
    const i32 carried = s.budget;  // the overrun of the last chunk, 0 or less
    if (static_cast<i64>(now - s.tickStart) >= static_cast<i64>(s.tickPeriod)) {
        machine_->BusStep();
        s.tickStart += s.tickPeriod;
        // Far behind: the bus does not race to catch up.
        if (static_cast<i64>(now - s.tickStart) >= static_cast<i64>(s.framePeriod))
            s.tickStart = now;
    } else {
        const u64 took = now - s.chunkStart;
        const u64 left = s.tickStart + s.tickPeriod - now;
        i64 next = 0;
        if (took > 0)
            next = static_cast<i64>(std::floor(0.75 * (static_cast<double>(s.chunk) / static_cast<double>(took)) *
                                                   static_cast<double>(left) +
                                               0.5));
        if (next <= kSmallestSizedChunk)
            next = (s.chunk + 2) / 4;
        s.chunk = static_cast<i32>(std::clamp<i64>(next, 1, kLargestChunk));
    }
    s.chunkStart = now;
    s.budget = s.chunk + carried;
}

// Frames are counted in host time here.
void EmuCore::FrameBoundaryMax(u64 now)
{
    RunLoopState& s = loop_;
    EndEmulatedFrame();
    if (liveCores_.load() > 1)
        SleepMs(0);
    s.frameDeadline += s.framePeriod;
    if (static_cast<i64>(now - s.frameDeadline) >= 0)
        s.frameDeadline = now + s.framePeriod;

    if (s.frameIndex % kFramesPerMeasure == 0) {
        const u64 cycles = cpu_->GetCycleCount();
        const u64 host = now - s.measureStart;
        i64 hz = 1;
        if (host > 0)
            hz = std::llround(static_cast<double>(cycles - s.measureCycles) *
                              static_cast<double>(s.counterFrequency) / static_cast<double>(host));
        cpu_->ChangeFrequency(static_cast<i32>(std::clamp<i64>(hz, 1, INT_MAX)));
        s.measureStart = now;
        s.measureCycles = cpu_->GetCycleCount();
    }
    SpeedCheck(now, true);
}
