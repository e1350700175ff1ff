// What the machine test rigs share: a machine driven the way the emulation core drives
// it, in a throw-away program folder, drawing into a surface that keeps its pixels and
// playing into a "No Sound" output that lets the tests hear it.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/types.h"
#include "cpu/z80_cpu.h"
#include "emu/drive_bay.h"
#include "emu/drive_image.h"
#include "emu/memory_space.h"
#include "emu/port_space.h"
#include "emu/tests/program_tree.h"
#include "sound/sound_buffer_ring.h"
#include "video/tests/video_rig.h"

namespace machine_test {

inline std::vector<u8> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

// Machine: the machine class under test; its cartridges go into media/ under the name
// the rig gives.
template <typename Machine>
class MachineRig {
public:
    ProgramTree folder;
    CommandInterpreter console;
    BufferSurface surface;
    std::shared_ptr<SoundCapture> sound = std::make_shared<SoundCapture>();
    ListeningRing output{sound};
    std::unique_ptr<Machine> machine = std::make_unique<Machine>();

    explicit MachineRig(std::string cartridgeName) : cartridgeName_(std::move(cartridgeName))
    {
        machine->CreateDevices();
        machine->SetHost(&console);
        machine->SetDisplay(&surface, &surface);
        machine->SetSoundOutput(&output);
    }
    ~MachineRig()
    {
        if (machine->IsRunning())
            machine->Stop();
        machine.reset();
    }

    DriveImage* Slot() const { return machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0); }
    bool InsertCartridge(const std::vector<u8>& bytes) { return InsertCartridge(bytes, cartridgeName_); }
    bool InsertCartridge(const std::vector<u8>& bytes, const std::string& name)
    {
        Slot()->Eject();
        ProgramTree::WriteBytes("media/" + name, bytes);
        return Slot()->InsertFile(ProgramTree::PathOf("media/" + name));
    }

    Z80Cpu* Cpu() const { return machine->GetZ80(); }

    u8 Peek(u32 address) const { return machine->GetMemory()->Read8(address, true); }
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

private:
    std::string cartridgeName_;
};

} // namespace machine_test
