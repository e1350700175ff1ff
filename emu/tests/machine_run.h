// The one way the tests run emulated time: the emulation core's slice loop, written once.
//
// The core drives the main CPU through the run-loop contract of ClockInterface: slices
// bounded by the cycles to the next CPU event, the due events fired between slices (the
// event bus's tick is one of them once the bus is clocked by the CPU). Every test that
// runs a machine, a bare CPU or a CPU-less chip goes through the functions below, so
// that a test cannot drift from what the program does.
//
//   StartMachine(machine, clock)    starts a machine as the core does: the bus's
//                                   registration window open around Start, then the bus
//                                   at 2450 Hz ticked by clock (or by the caller: null)
//   RunCycles(clock, n)             at least n T-states (the last instruction may overrun)
//   RunBusTicks(clock, bus, n)      until the CPU-clocked bus has ticked n more times
//   RunFrames(clock, bus, n)        n 1/50 s frames of that bus (bus Hz / 50 ticks each)
//   StepBus(machine, n)             n bus ticks for a machine without a CPU clock, as the
//                                   maximum-speed loop ticks the bus itself
//   IdleCpu                         a CPU whose instructions do nothing: a slice uses its
//                                   whole budget, so time moves only when the loop runs
//
// Include as "emu/tests/machine_run.h" from any folder's tests.
#pragma once

#include <algorithm>

#include "base/types.h"
#include "cpu/clock_interface.h"
#include "cpu/cpu_base.h"
#include "emu/computer.h"
#include "emu/event_bus.h"

namespace machine_run {

// The core's slice at 2450 Hz is one bus tick of Z80 cycles (3579545 / 2450, about 1461).
inline constexpr i32 kSliceCycles = 1461;
inline constexpr i32 kBusHz = 2450;
inline constexpr i32 kFramesPerSecond = 50;

// One slice: up to budget cycles, never past the next event; the events that fell due
// run after it. Answers the cycles the CPU used.
inline i32 RunSlice(ClockInterface* clock, i32 budget)
{
    i32& toEvent = clock->CyclesToNextEvent();
    if (toEvent <= 0) {
        clock->RunDueEvents();
        return 0;
    }
    const i32 used = clock->Execute(std::min(budget, toEvent));
    clock->CyclesToNextEvent() -= used;
    if (clock->CyclesToNextEvent() <= 0)
        clock->RunDueEvents();
    return used;
}

// Runs at least cycles T-states in slices of at most slice cycles; answers those run.
inline u64 RunCycles(ClockInterface* clock, u64 cycles, i32 slice = kSliceCycles)
{
    u64 done = 0;
    while (done < cycles) {
        const i32 budget = static_cast<i32>(std::min<u64>(static_cast<u64>(std::max(slice, 1)), cycles - done));
        done += static_cast<u64>(RunSlice(clock, budget));
    }
    return done;
}

// Runs the CPU until the bus it ticks has counted ticks more ticks (its count wraps
// modulo 2^32; no slice holds 2^32 ticks).
inline void RunBusTicks(ClockInterface* clock, const EventBusBase* bus, u64 ticks)
{
    u32 last = bus->GetTickCount();
    for (u64 done = 0; done < ticks;) {
        RunSlice(clock, kSliceCycles);
        const u32 now = bus->GetTickCount();
        done += static_cast<u32>(now - last);
        last = now;
    }
}

inline void RunFrames(ClockInterface* clock, const EventBusBase* bus, u32 frames)
{
    RunBusTicks(clock, bus, static_cast<u64>(frames) * static_cast<u64>(bus->GetBusFrequency() / kFramesPerSecond));
}

// Bus ticks for a machine whose bus no CPU clocks.
inline void StepBus(Computer* machine, i32 ticks)
{
    for (i32 i = 0; i < ticks; ++i)
        machine->BusStep();
}

// Starts machine as the emulation core starts a run. With a clock the bus is ticked by
// it and its first event is found; without one the caller ticks the bus (StepBus).
inline bool StartMachine(Computer* machine, ClockInterface* clock, i32 busHz = kBusHz)
{
    EventBus* bus = machine->GetEventBus();
    bus->SetRegistrationOpen(true);
    i32 rate = 0;
    const bool started = machine->Start(&rate);
    bus->SetRegistrationOpen(false);
    if (!started)
        return false;
    machine->SetBusFrequency(busHz, clock);
    if (clock)
        clock->FindNextEvent();
    return true;
}

class IdleCpu : public CpuBase {
public:
    explicit IdleCpu(i32 hz = 3579545) { SetFrequency(hz); }
    i32 Execute(i32 cycles) override
    {
        const i32 used = cycles > 0 ? cycles : 1;
        cycles_ += static_cast<u64>(used);
        return used;
    }
};

} // namespace machine_run
