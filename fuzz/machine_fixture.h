// A machine as the emulation core holds it, for the targets that read a machine's files:
// made fresh for every input, given its BIOS and media in the process's program tree,
// started as the core starts a run (the bus's registration window open around the start,
// the bus ticked by the CPU at 2450 Hz) and run by the core's slice loop.
//
// A machine kind is its factory and its files; the state and settings helpers below
// take it, so that a machine's targets are a few lines.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>

#include "base/archive.h"
#include "cpu/cpu_base.h"
#include "emu/command_interpreter.h"
#include "emu/computer.h"
#include "emu/drive_bay.h"
#include "emu/drive_image.h"
#include "emu/event_bus.h"
#include "fuzz/fuzz_support.h"
#include "machines/tests/state_check.h"
#include "sound/sound_buffer_ring.h"
#include "video/tests/video_rig.h"

namespace fuzz {

struct MachineFile {
    // "prog/..." or "user/..." (FuzzTree paths) to copy the image to, or null to use it
    // where it lies: saved states name their media by path, so the seeds written by one
    // process load in another only when the media stay in place.
    const char* where;
    const char* source;     // the image
    i32 driveKind = -1;     // DriveBay kind to insert it into, -1 for none
};

struct MachineKind {
    Computer* (*make)();
    std::vector<MachineFile> files;
};

class FuzzMachine {
public:
    static constexpr i32 kBusRate = 2450;

    explicit FuzzMachine(const MachineKind& kind) : kind_(kind), machine_(kind.make())
    {
        PlaceFiles(kind);
        machine_->CreateDevices();
        machine_->SetHost(&console_);
        machine_->SetDisplay(&surface_, &surface_);
        machine_->SetSoundOutput(&output_);
    }
    ~FuzzMachine()
    {
        if (machine_->IsRunning())
            machine_->Stop();
    }

    Computer& Machine() { return *machine_; }

    bool InsertMedia()
    {
        for (const MachineFile& file : kind_.files) {
            if (file.driveKind < 0)
                continue;
            DriveImage* drive = machine_->GetDriveBay()->GetKindDrive(file.driveKind, 0);
            const PathString path = file.where ? FuzzTree::PathOf(file.where) : PathString(file.source);
            if (!drive || !drive->InsertFile(path))
                return false;
        }
        return true;
    }

    bool Start()
    {
        EventBus* bus = machine_->GetEventBus();
        if (!bus)
            return false;
        bus->SetRegistrationOpen(true);
        i32 rate = 0;
        const bool started = machine_->Start(&rate);
        bus->SetRegistrationOpen(false);
        CpuBase* cpu = machine_->GetCpu(0);
        if (!started || !cpu || cpu->GetNominalFrequency() <= 0)
            return false;
        machine_->SetBusFrequency(kBusRate, cpu);
        cpu->FindNextEvent();
        return true;
    }
    // The core's slice loop: slices up to the CPU's next event (the bus tick among them).
    // A stopped slice (a break) ends the run.
    void RunCycles(u64 cycles)
    {
        CpuBase* cpu = machine_->GetCpu(0);
        for (u64 done = 0; done < cycles;) {
            const i32 slice = static_cast<i32>(std::min<u64>(static_cast<u64>(std::max(0, cpu->CyclesToNextEvent())), cycles - done));
            const i32 spent = cpu->Execute(slice);
            if (spent <= 0)
                return;
            done += static_cast<u64>(spent);
            cpu->CyclesToNextEvent() -= spent;
            if (cpu->CyclesToNextEvent() <= 0)
                cpu->RunDueEvents();
        }
    }

private:
    // The BIOS and media, written once for the process.
    static void PlaceFiles(const MachineKind& kind)
    {
        for (const MachineFile& file : kind.files) {
            if (!file.where || FuzzTree::Exists(file.where))
                continue;
            FuzzTree::WriteBytes(file.where, ReadFile(file.source));
        }
    }

    const MachineKind& kind_;
    std::unique_ptr<Computer> machine_;
    CommandInterpreter console_;
    BufferSurface surface_;
    SoundBufferRing output_;
};

// --- saved states: the configuration snapshot, then the component records ---

inline constexpr u64 kCyclesAfterLoad = 10000;

// 1/50 s of the machine's CPU.
inline u64 FrameCycles(FuzzMachine& m)
{
    return static_cast<u64>(m.Machine().GetCpu(0)->GetNominalFrequency() / 50);
}

// A state file's content as the project writes it: the configuration, then the components.
inline void WriteStateSeed(FuzzMachine& m, const std::filesystem::path& folder, const std::string& name)
{
    MemoryStream stream;
    stream.Allocate(0, -1);
    Archive archive(&stream);
    if (m.Machine().SaveInitState(archive) && m.Machine().SaveComponent(archive))
        WriteSeed(folder, name, ContentOf(stream));
}

// Seeds: the machine saved after a few frames of its start and later on.
inline void WriteStateSeeds(const MachineKind& kind, const std::filesystem::path& folder,
                            std::initializer_list<u64> frameCounts = {2, 30})
{
    for (u64 frames : frameCounts) {
        FuzzMachine m(kind);
        if (!m.InsertMedia() || !m.Start())
            continue;
        m.RunCycles(frames * FrameCycles(m));
        WriteStateSeed(m, folder, "frame" + std::to_string(frames));
    }
}

// As the core loads a state into a started machine; what the load leaves must hold
// (machines/tests/state_check.h), else the input is reported as a finding.
inline int LoadMachineState(const MachineKind& kind, const u8* data, size_t size)
{
    FuzzMachine m(kind);
    if (!m.InsertMedia() || !m.Start())
        return 0;
    const std::string fault = state_check::CheckStateLoad(m.Machine(), data, size, [&kind](const state_check::Bytes& state) {
        FuzzMachine fresh(kind);
        return fresh.InsertMedia() && fresh.Start() && state_check::Load(fresh.Machine(), state.data(), state.size());
    });
    if (!fault.empty()) {
        std::fprintf(stderr, "saved state: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}

// --- machine settings files ---

// The settings file the machine reads, in the per-user settings folder.
inline std::string SettingsFileOf(Computer& machine)
{
    return std::string("user/settings/") + machine.GetSettingsName() + ".ini";
}

inline void WriteSettingsSeeds(const MachineKind& kind, const std::filesystem::path& folder)
{
    FuzzMachine m(kind);
    if (!m.Machine().SaveMachineSettings())
        return;
    WriteSeed(folder, "settings", FuzzTree::Read(SettingsFileOf(m.Machine())));
    FuzzTree::Remove(SettingsFileOf(m.Machine()));
    FuzzTree::Remove(std::string("user/settings/") + m.Machine().GetFamilyId() + ".drv");
}

// As the core prepares a machine: its settings read, then a run started.
inline int LoadMachineSettings(const MachineKind& kind, const u8* data, size_t size)
{
    FuzzMachine m(kind);
    const std::string file = SettingsFileOf(m.Machine());
    FuzzTree::WriteBytes(file, Bytes(data, data + size));
    m.Machine().LoadMachineSettings();
    FuzzTree::Remove(file);
    if (m.InsertMedia() && m.Start())
        m.RunCycles(kCyclesAfterLoad);
    return 0;
}

} // namespace fuzz
