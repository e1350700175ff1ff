// Test rig of the ColecoVision tests: the machine driven the way the emulation core
// drives it, in a throw-away program folder that holds the BIOS, drawing into a surface
// that keeps its pixels and playing into a "No Sound" output that lets the tests hear it.
#pragma once

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/types.h"
#include "cpu/z80_cpu.h"
#include "emu/drive_bay.h"
#include "emu/drive_image.h"
#include "emu/event_bus.h"
#include "emu/memory_space.h"
#include "emu/port_space.h"
#include "emu/tests/machine_run.h"
#include "emu/tests/program_tree.h"
#include "machines/coleco_vision.h"
#include "sound/sound_buffer_ring.h"
#include "video/tests/video_rig.h"

namespace coleco_test {

inline std::vector<u8> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Our own BIOS and cartridge, assembled at build time (tests/roms).
inline std::vector<u8> TestBios()
{
    return ReadFile(KUV_ROM_COLECO_BIOS);
}
inline std::vector<u8> TestCartridge()
{
    return ReadFile(KUV_ROM_COLECO_CART);
}

// What the "No Sound" outputs were given: one stream of PCM bytes per output clone, in
// the order the sound timers were made (the PSG's channels 0 to 3).
struct SoundCapture {
    std::vector<std::vector<u8>> streams;
    i32 rate = 0;  // samples per second
};

// The bare ring ("No Sound": its Submit refuses), keeping a copy of every buffer it
// converted.
class ListeningRing : public SoundBufferRing {
public:
    explicit ListeningRing(std::shared_ptr<SoundCapture> capture, size_t index = ~size_t{0})
        : capture_(std::move(capture)), index_(index)
    {
    }
    bool Submit(i32 index) override
    {
        if (const u8* buffer = GetBuffer(index); buffer && index_ < capture_->streams.size()) {
            capture_->streams[index_].insert(capture_->streams[index_].end(), buffer, buffer + GetBytesPerBuffer());
            capture_->rate = GetTotalSamples();
        }
        return SoundBufferRing::Submit(index);
    }

protected:
    SoundBufferRing* MakeEmpty() const override
    {
        capture_->streams.emplace_back();
        return new ListeningRing(capture_, capture_->streams.size() - 1);
    }

private:
    std::shared_ptr<SoundCapture> capture_;
    size_t index_;
};

// The machine's bus rate; a frame of the TMS9918 lasts kTicksPerFrame ticks of it.
inline constexpr i32 kBusRate = 2450;

// RAM variables of the test cartridge (tests/roms/coleco_cart.asm).
inline constexpr u32 kNmiCount = 0x6000;
inline constexpr u32 kFrameCount = 0x6002;
inline constexpr u32 kKeypad1 = 0x6004;
inline constexpr u32 kJoystick1 = 0x6005;
inline constexpr u32 kPad2 = 0x6006;
inline constexpr u32 kVdpStatus = 0x6007;
inline constexpr u32 kMirrorProbe = 0x6011;

// Frequency of a square wave: rising crossings of the middle level, counted from the
// first to the last one. 0 for fewer than two.
inline double SquareFrequency(const std::vector<u8>& samples, i32 rate)
{
    const auto [lo, hi] = std::minmax_element(samples.begin(), samples.end());
    const i32 middle = samples.empty() ? 0 : (*lo + *hi) / 2;
    std::vector<size_t> rises;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] <= middle && samples[i] > middle)
            rises.push_back(i);
    }
    if (rises.size() < 2)
        return 0.0;
    return static_cast<double>(rises.size() - 1) * rate / static_cast<double>(rises.back() - rises.front());
}

class ColecoRig {
public:
    ProgramTree folder;
    CommandInterpreter console;
    BufferSurface surface;
    std::shared_ptr<SoundCapture> sound = std::make_shared<SoundCapture>();
    ListeningRing output{sound};
    std::unique_ptr<ColecoVisionMachine> machine = std::make_unique<ColecoVisionMachine>();

    ColecoRig()
    {
        machine->CreateDevices();
        machine->SetHost(&console);
        machine->SetDisplay(&surface, &surface);
        machine->SetSoundOutput(&output);
    }
    ~ColecoRig()
    {
        if (machine->IsRunning())
            machine->Stop();
        machine.reset();
    }

    void InstallBios(const std::vector<u8>& bytes) { ProgramTree::WriteBytes("prog/configs/coleco_v/coleco.rom", bytes); }
    DriveImage* Slot() const { return machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0); }
    bool InsertCartridge(const std::vector<u8>& bytes, const std::string& name = "game.col")
    {
        Slot()->Eject();
        ProgramTree::WriteBytes("media/" + name, bytes);
        return Slot()->InsertFile(ProgramTree::PathOf("media/" + name));
    }
    // Our BIOS and cartridge in place.
    bool Prepare()
    {
        InstallBios(TestBios());
        return InsertCartridge(TestCartridge());
    }

    // As the emulation core starts a run: the bus's registration window open around the
    // start, then the bus at 2450 Hz ticked by the Z80.
    bool Start() { return machine_run::StartMachine(machine.get(), Cpu(), kBusRate); }

    Z80Cpu* Cpu() const { return machine->GetZ80(); }

    // Runs the Z80 the way the core's loop does, until the VDP has had frames more frames.
    void RunFrames(u32 frames) { machine_run::RunFrames(Cpu(), machine->GetEventBus(), frames); }

    u8 Peek(u32 address) const { return machine->GetMemory()->Read8(address, true); }
    u16 PeekWord(u32 address) const { return static_cast<u16>(Peek(address) | (Peek(address + 1) << 8)); }
    void Out(u32 port, u8 value) { machine->GetPorts()->Write8(port, value); }
    u8 In(u32 port, bool peek = false) { return machine->GetPorts()->Read8(port, peek, nullptr); }
    // A negative key going up releases every key.
    void Key(i32 key, bool down) { machine->ApplyKeyEvent(key, down); }

    bool HasLine(const std::string& line)
    {
        console.FlushPending();
        StringA text;
        u32 color = 0;
        for (i32 i = 0; console.GetLine(i, &text, &color); ++i) {
            if (line == text.CStr())
                return true;
        }
        return false;
    }
    i32 LineCount()
    {
        console.FlushPending();
        return console.GetLineCount();
    }
};

} // namespace coleco_test
