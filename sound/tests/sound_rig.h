// A started machine for the sound tests: the framework's services, an idle CPU as the
// clock that ticks the bus (time moves only while the test runs the loop) and whatever
// sound devices a test adds, with a capturing sound output whose clones record every
// converted buffer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/string_a.h"
#include "cpu/cpu_base.h"
#include "emu/command_interpreter.h"
#include "emu/computer.h"
#include "emu/event_bus.h"
#include "emu/tests/machine_run.h"
#include "sound/sound_buffer_ring.h"

// Every stream that the bus clones from one prototype appends its converted PCM here,
// in clone order (the channels' start order).
struct CaptureSink {
    std::vector<std::vector<u8>> streams;
};

// A "No Sound" ring that records each buffer it converts. Nothing is queued, so every
// conversion fills the next slot.
class CaptureRing : public SoundBufferRing {
public:
    explicit CaptureRing(CaptureSink* sink) : sink_(sink) {}

    bool Open(i32 totalSamples, i32 width, i32 count) override
    {
        if (!SoundBufferRing::Open(totalSamples, width, count))
            return false;
        stream_ = static_cast<i32>(sink_->streams.size());
        sink_->streams.emplace_back();
        return true;
    }
    void FillBuffer() override
    {
        const i32 slot = GetWriteSlot();
        SoundBufferRing::FillBuffer();
        if (stream_ < 0)
            return;
        const u8* pcm = GetBuffer(slot);
        std::vector<u8>& out = sink_->streams[static_cast<size_t>(stream_)];
        out.insert(out.end(), pcm, pcm + GetBytesPerBuffer());
    }

protected:
    SoundBufferRing* MakeEmpty() const override { return new CaptureRing(sink_); }

private:
    CaptureSink* sink_;
    i32 stream_ = -1;
};

class SoundRigMachine : public Computer {
public:
    SoundRigMachine() { SetName("SoundRig"); }
    const char* GetId() const override { return "sound_rig"; }
};

class SoundRig {
public:
    static constexpr i32 kCpuHz = 3579545;
    static constexpr i32 kBusHz = 2450;

    // clock, when given, is the CPU (owned by the machine from here).
    explicit SoundRig(machine_run::IdleCpu* clock = nullptr)
    {
        machine.CreateDevices();
        cpu = clock ? clock : new machine_run::IdleCpu(kCpuHz);
        machine.AddDevice(cpu, "CPU", nullptr);
        machine.SetHost(&console);
    }
    ~SoundRig()
    {
        if (machine.IsRunning())
            machine.Stop();
    }

    // Adds a device before Start; the machine owns it.
    template <typename T> T* Add(T* device)
    {
        machine.AddDevice(device, nullptr, nullptr);
        return device;
    }

    // With the capturing output unless told to go without one. A test that calls the
    // stream callbacks itself keeps the bus still (busByCpu false): its first tick, due
    // at once, would otherwise have called them already.
    bool Start(bool withOutput = true, bool busByCpu = true)
    {
        machine.SetSoundOutput(withOutput ? &prototype : nullptr);
        return machine_run::StartMachine(&machine, busByCpu ? cpu : nullptr, kBusHz);
    }

    // Emulated time passes in bus ticks of the CPU-clocked bus.
    void RunTicks(i32 ticks) { machine_run::RunBusTicks(cpu, machine.GetEventBus(), static_cast<u64>(ticks)); }
    // One sound period (1/50 s) is 49 ticks at 2450 Hz.
    void RunPeriods(i32 periods) { RunTicks(periods * (kBusHz / 50)); }
    void RunSeconds(double seconds) { RunTicks(static_cast<i32>(seconds * kBusHz)); }

    const std::vector<u8>& Stream(i32 index) const { return sink.streams.at(static_cast<size_t>(index)); }

    std::vector<std::string> ConsoleLines()
    {
        console.FlushPending();
        std::vector<std::string> lines;
        StringA text;
        u32 color = 0;
        for (i32 i = 0; console.GetLine(i, &text, &color); ++i)
            lines.push_back(text.GetNarrow());
        return lines;
    }

    SoundRigMachine machine;
    machine_run::IdleCpu* cpu = nullptr;
    CommandInterpreter console;
    CaptureSink sink;
    CaptureRing prototype{&sink};
};

// Lengths of the runs of equal values in pcm[from, to).
inline std::vector<i32> RunLengths(const std::vector<u8>& pcm, size_t from, size_t to)
{
    std::vector<i32> runs;
    if (from >= to || to > pcm.size())
        return runs;
    i32 run = 1;
    for (size_t i = from + 1; i < to; ++i) {
        if (pcm[i] == pcm[i - 1]) {
            ++run;
        } else {
            runs.push_back(run);
            run = 1;
        }
    }
    runs.push_back(run);
    return runs;
}
