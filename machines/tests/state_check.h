// What a load of saved-state bytes must leave, checked on a started machine:
//
//   refused   the machine is exactly as it was: once the copy kept before the attempt is
//             read back (as the emulation core does), its next save is byte for byte the
//             one taken before;
//   accepted  the machine runs: its CPU executes, the bus ticks at its own rate (once its
//             first tick has come where the CPU's window for saved events allows), the video
//             chip's render event keeps firing (every frame brings the vertical blank and,
//             when enabled, its interrupt: the chip's output follows status and enable),
//             and the machine's own next save loads into a fresh machine.
//
// CheckStateLoad answers "" when that holds, else what broke. It uses no test framework,
// so that the fuzz targets of the machines' states and the unit tests share it.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/archive.h"
#include "base/memory_stream.h"
#include "cpu/cpu_base.h"
#include "emu/computer.h"
#include "emu/event_bus.h"
#include "emu/memory_space.h"
#include "emu/tests/machine_run.h"
#include "video/tms9918.h"

namespace state_check {

using Bytes = std::vector<u8>;
// Answers whether a state loads into a fresh, started machine of the same kind.
using FreshLoad = std::function<bool(const Bytes&)>;

// How long an accepted state runs: two frames of the TMS9918. In the first the bus's tick
// event may first fire anywhere the CPU's due window for saved events lets it
// (CpuBase::EarliestDue, LatestDue); the second shows the rate it settled at.
inline constexpr i32 kFramesRun = 2;

// A state file's content as the machine writes it: the configuration, then the components.
inline Bytes Save(Computer& machine)
{
    MemoryStream stream;
    if (!stream.Allocate(0, 1 << 17))  // one step holds a machine's state
        return {};
    Archive archive(&stream);
    if (!machine.SaveInitState(archive) || !machine.SaveComponent(archive))
        return {};
    return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

// As the core starts a run: see machine_run::StartMachine; the CPU must have a clock.
inline bool Start(Computer& machine)
{
    CpuBase* cpu = machine.GetCpu(0);
    return cpu && machine_run::StartMachine(&machine, cpu) && cpu->GetNominalFrequency() > 0;
}

// As the core reads a state into a started machine: a changed configuration restarts it
// before the components are read.
inline bool Load(Computer& machine, const u8* data, size_t size)
{
    static u8 empty = 0;
    MemoryStream stream;
    stream.Attach(size ? const_cast<u8*>(data) : &empty, size);
    Archive archive(&stream);
    bool changed = false;
    if (!machine.LoadInitState(archive, &changed))
        return false;
    if (changed) {
        machine.Stop();
        if (!Start(machine))
            return false;
    }
    return machine.LoadComponent(archive, nullptr);
}

// The machine's first TMS9918, null when it has none.
inline Tms9918Vdp* FindVdp(Component* node)
{
    if (auto* vdp = dynamic_cast<Tms9918Vdp*>(node))
        return vdp;
    if (auto* group = dynamic_cast<ComponentGroup*>(node)) {
        for (Component* child : group->GetChildren()) {
            if (Tms9918Vdp* vdp = FindVdp(child))
                return vdp;
        }
    }
    return nullptr;
}

// Firings so far of the chip's render events that carry its generation in force.
inline u64 RenderFirings(const EventBus& bus, const VideoProcessor& vdp)
{
    u64 firings = 0;
    for (const BusTimer* t = bus.GetFirstTimer(); t; t = t->next) {
        const u64 identity = t->userWords[0] | (static_cast<u64>(t->userWords[1]) << 32);
        if (t->kind == BusTimer::kTimer && t->user == &vdp && t->callback == VideoProcessor::OnFrRenderEvent &&
            identity == vdp.GetRenderGeneration())
            firings += t->fireCount;
    }
    return firings;
}

// Ticks of the bus in a frame of frameCycles whose first tick the load's due window puts
// anywhere from EarliestDue to LatestDue of the tick period: the dues before the frame's
// end, one either way for the period's rounding and the last instruction's overrun.
inline std::pair<i64, i64> FirstFrameTicks(i64 frameCycles, i64 period)
{
    const auto dues = [&](i64 first) { return first >= frameCycles ? 0 : (frameCycles - first + period - 1) / period; };
    return {dues(CpuBase::LatestDue(period)) - 1, dues(CpuBase::EarliestDue(period)) + 1};
}

// Runs an accepted state for kFramesRun frames; "" when the machine ran as it should.
inline std::string CheckRuns(Computer& machine)
{
    CpuBase* cpu = machine.GetCpu(0);
    EventBus* bus = machine.GetEventBus();
    Tms9918Vdp* vdp = FindVdp(&machine);
    if (!cpu || !bus || !vdp)
        return "the machine lost a part";
    if (!cpu->IsEnabled() || !bus->IsEnabled() || !machine.GetMemory()->IsEnabled())
        return "a part of the machine was switched off";
    const i32 busHz = bus->GetBusFrequency();
    const u64 frameCycles = static_cast<u64>(cpu->GetNominalFrequency() / Tms9918Vdp::kFramesPerSecond);
    const i64 tickPeriod = std::max<i64>(1, cpu->GetNominalFrequency() / std::max(busHz, 1));
    const i64 expectedTicks = static_cast<i64>(busHz) / Tms9918Vdp::kFramesPerSecond;
    for (i32 frame = 0; frame < kFramesRun; ++frame) {
        const u64 startCycles = cpu->GetCycleCount();
        const u32 startTicks = bus->GetTickCount();
        const u64 startFirings = RenderFirings(*bus, *vdp);
        // The core's slice loop, ending when the CPU stops answering cycles.
        for (u64 done = 0; done < frameCycles;) {
            i32& toEvent = cpu->CyclesToNextEvent();
            const i32 budget = static_cast<i32>(std::min<u64>(machine_run::kSliceCycles, frameCycles - done));
            const i32 spent = cpu->Execute(std::max(1, std::min(budget, toEvent)));
            if (spent <= 0)
                return "the CPU does not run";
            done += static_cast<u64>(spent);
            cpu->CyclesToNextEvent() -= spent;
            if (cpu->CyclesToNextEvent() <= 0)
                cpu->RunDueEvents();
        }
        if (cpu->GetCycleCount() - startCycles < frameCycles)
            return "the CPU's cycle count stood still";
        // The bus tick is a CPU event: a second one, or none, shows in the count, whose
        // distances are taken modulo 2^32 as it wraps.
        const i64 ticks = static_cast<u32>(bus->GetTickCount() - startTicks);
        const auto [least, most] = frame == 0 ? FirstFrameTicks(static_cast<i64>(frameCycles), tickPeriod)
                                              : std::pair<i64, i64>{expectedTicks - 2, expectedTicks + 2};
        if (ticks < least || ticks > most)
            return "the bus ticked " + std::to_string(ticks) + " times in frame " + std::to_string(frame + 1) +
                   ", not " + std::to_string(least) + " to " + std::to_string(most);
        // The frame event fires four times a frame; each fourth firing ends a frame.
        const i64 firings = static_cast<i64>(RenderFirings(*bus, *vdp) - startFirings);
        if (firings < 3 || firings > 5)
            return "the video's frame event fired " + std::to_string(firings) + " times in frame " +
                   std::to_string(frame + 1);
    }
    const bool level = (vdp->GetStatus() & Tms9918Vdp::kStatusVBlank) != 0 &&
                       (vdp->GetRegister(1) & Tms9918Vdp::kInterruptEnable) != 0;
    if (vdp->IsInterruptAsserted() != level)
        return "the video's interrupt output does not follow its status and enable";
    return "";
}

inline std::string FirstDifference(const Bytes& a, const Bytes& b)
{
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return "its save of " + std::to_string(b.size()) + " bytes differs from the " + std::to_string(a.size()) +
           " before at byte " + std::to_string(i);
}

// Loads bytes into machine, a started machine of the kind fresh makes, and checks what it
// leaves (see the top of the file).
inline std::string CheckStateLoad(Computer& machine, const u8* data, size_t size, const FreshLoad& fresh)
{
    const Bytes kept = Save(machine);
    if (kept.empty())
        return "the machine could not be saved before the load";
    if (!Load(machine, data, size)) {
        if (!Load(machine, kept.data(), kept.size()))
            return "the kept copy was refused after a refused state";
        const Bytes after = Save(machine);
        if (after != kept)
            return "a refused state changed the machine: " + FirstDifference(kept, after);
        return "";
    }
    std::string fault = CheckRuns(machine);
    if (!fault.empty())
        return "accepted, but " + fault;
    const Bytes after = Save(machine);
    if (after.empty())
        return "accepted, but the machine could not be saved after";
    if (!fresh(after))
        return "accepted, but the machine's next save does not load into a fresh machine";
    return "";
}

} // namespace state_check
