// Test rig of the emulation core: a clock that passes only when the loop sleeps, a small
// machine (the framework's services, a Z80 on 64 KB of RAM and a TMS9918 at ports 0x98
// and 0x99), and a log of the loop's frame boundaries taken on the worker.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/object_list.h"
#include "core/emu_core.h"
#include "cpu/z80_cpu.h"
#include "emu/computer.h"
#include "emu/event_bus.h"
#include "emu/memory_space.h"
#include "emu/port_space.h"
#include "video/tms9918.h"

// Host time moves only when the loop sleeps (sleepCost ticks per ms) and, when a CPU is
// given, with its cycles as if the host ran them at exactly 3.5 MHz. Only the worker reads
// it while a run goes on.
class FakeClock : public HostClock {
public:
    static constexpr u64 kStart = 5000000;

    u64 Frequency() override { return frequency; }
    u64 Now() override
    {
        u64 t = now.load();
        if (const ClockInterface* cpu = timedCpu.load())
            t += cpu->GetCycleCount() * frequency / Z80Cpu::kDefaultFrequency;
        return t;
    }
    void Sleep(u32 milliseconds) override
    {
        sleeps.fetch_add(1);
        now.fetch_add(sleepCost.load() * milliseconds);
    }

    u64 frequency = 1000000;
    std::atomic<u64> now{kStart};
    std::atomic<u64> sleepCost{1000};
    std::atomic<const ClockInterface*> timedCpu{nullptr};
    std::atomic<i64> sleeps{0};
};

class TestMachine : public Computer {
public:
    explicit TestMachine(std::vector<u8> program = {}, i32 cpuCount = 1)
        : program_(std::move(program)), cpuCount_(cpuCount)
    {
        SetName("TestPC");
    }

    bool CreateDevices() override
    {
        cpu = nullptr;
        vdp = nullptr;
        if (!Computer::CreateDevices())
            return false;
        for (i32 i = 0; i < cpuCount_; ++i) {
            auto* z80 = new Z80Cpu;
            z80->SetFrequency(Z80Cpu::kDefaultFrequency);
            if (!AddDevice(z80, i == 0 ? "Z80" : "Z80B", nullptr)) {
                delete z80;
                return false;
            }
            if (!cpu)
                cpu = z80;
        }
        vdp = new Tms9918Vdp;
        if (!AddDevice(vdp, "VDP", nullptr)) {
            delete vdp;
            vdp = nullptr;
            return false;
        }
        return vdp->AttachPorts(0x98, 0x99, 0x99);
    }

    bool Start(i32* rate) override
    {
        if (!Computer::Start(rate))
            return false;
        GetPorts()->addressMask = 0xFF;
        if (!GetMemory()->Allocate(0x10000, 0))
            return false;
        std::copy(program_.begin(), program_.end(), GetMemory()->GetMemory());
        if (onStart)
            onStart(*this);
        return true;
    }

    const char* GetId() const override { return id; }

    Z80Cpu* cpu = nullptr;
    Tms9918Vdp* vdp = nullptr;
    const char* id = nullptr;  // names the machine's state file
    // Called at the end of every start (the ports are wired anew at each).
    std::function<void(TestMachine&)> onStart;

private:
    std::vector<u8> program_;
    i32 cpuCount_;
};

// What the worker saw at each frame boundary.
struct FrameLog {
    static constexpr i32 kCapacity = 512;

    std::atomic<i32> count{0};
    u64 cycles[kCapacity] = {};
    u64 time[kCapacity] = {};
    i32 speed[kCapacity] = {};
    i32 busTicks[kCapacity] = {};
};

// A loop of plain instructions with a subroutine call.
inline const std::vector<u8> kStepProgram = [] {
    std::vector<u8> p(0x20, 0x00);
    const u8 code[] = {
        0x3E, 0x12,        // 0000 LD A,12h
        0x06, 0x34,        // 0002 LD B,34h
        0xCD, 0x10, 0x00,  // 0004 CALL 0010h
        0x18, 0xF7,        // 0007 JR 0000h
    };
    std::copy(std::begin(code), std::end(code), p.begin());
    p[0x10] = 0x00;        // 0010 NOP
    p[0x11] = 0xC9;        // 0011 RET
    return p;
}();

struct CoreRig {
    explicit CoreRig(std::vector<u8> program = {}, i32 cpuCount = 1)
    {
        machine = new TestMachine(std::move(program), cpuCount);
        core = std::make_unique<EmuCore>(&settings, machine, nullptr, nullptr, nullptr, &clock);
        core->SetFrameHook(&CoreRig::OnFrame, this);
        alive = core->Run();
    }
    ~CoreRig() { core->Shutdown(); }

    static void OnFrame(void* context)
    {
        auto* rig = static_cast<CoreRig*>(context);
        FrameLog& log = rig->frames;
        const i32 n = log.count.load();
        if (n < FrameLog::kCapacity) {
            log.cycles[n] = rig->machine->cpu ? rig->machine->cpu->GetCycleCount() : 0;
            log.time[n] = rig->clock.Now();
            log.speed[n] = rig->core->GetSpeedPercent();
            const EventBus* bus = rig->machine->GetEventBus();
            log.busTicks[n] = bus ? bus->GetTickCount() : 0;
        }
        if (rig->onFrame)
            rig->onFrame(n + 1);
        log.count.store(n + 1);
    }

    i32 Frames() const { return frames.count.load(); }

    std::vector<std::string> ConsoleLines()
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

    FakeClock clock;
    EmuCoreSettings settings;
    TestMachine* machine = nullptr;  // owned by the core
    std::unique_ptr<EmuCore> core;
    FrameLog frames;
    // Called on the worker with the frame's number (1 = first).
    std::function<void(i32)> onFrame;
    bool alive = false;
};

// Polls in 1 ms steps; false when the condition did not hold within limitMs.
template <typename Pred>
bool WaitFor(Pred cond, i32 limitMs = 20000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
