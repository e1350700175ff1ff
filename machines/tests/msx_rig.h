// Test rig of the MSX tests: an MSX-1 driven the way the emulation core drives it, in a
// throw-away program folder that holds its BIOS. The sound capture, the frame surface
// and the frequency measure are the ColecoVision rig's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/types.h"
#include "cpu/z80_cpu.h"
#include "emu/drive_bay.h"
#include "emu/drive_image.h"
#include "emu/memory_space.h"
#include "emu/port_space.h"
#include "emu/tests/machine_run.h"
#include "machines/msx_machine.h"
#include "machines/msx_mapper.h"
#include "machines/tests/coleco_rig.h"

namespace msx_test {

using coleco_test::ListeningRing;
using coleco_test::ReadFile;
using coleco_test::SoundCapture;

// C-BIOS, an open MSX BIOS of 32 KB, and our cartridge (tests/roms/msx_cart.asm).
inline std::vector<u8> CBios()
{
    return ReadFile(KUV_CBIOS_ROM);
}
inline std::vector<u8> TestCartridge()
{
    return ReadFile(KUV_ROM_MSX_CART);
}
// A BIOS for tests that do not run it: DI, HALT, then the byte's own offset KB.
inline std::vector<u8> StubBios(size_t size = 0x8000)
{
    std::vector<u8> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<u8>(i >> 10);
    bytes[0] = 0xF3;
    bytes[1] = 0x76;
    return bytes;
}

// RAM results of the test cartridge.
inline constexpr u32 kStarted = 0xE000;
inline constexpr u32 kRow8 = 0xE001;
inline constexpr u32 kFrames = 0xE002;
inline constexpr u32 kSlotsFound = 0xE004;
inline constexpr u32 kJoystick = 0xE005;

class MsxRig {
public:
    ProgramTree folder;
    CommandInterpreter console;
    BufferSurface surface;
    std::shared_ptr<SoundCapture> sound = std::make_shared<SoundCapture>();
    ListeningRing output{sound};
    std::unique_ptr<Msx1Machine> machine = std::make_unique<Msx1Machine>();

    MsxRig()
    {
        machine->CreateDevices();
        machine->SetHost(&console);
        machine->SetDisplay(&surface, &surface);
        machine->SetSoundOutput(&output);
    }
    ~MsxRig()
    {
        if (machine->IsRunning())
            machine->Stop();
        machine.reset();
    }

    static void InstallBios(const std::vector<u8>& bytes) { ProgramTree::WriteBytes("prog/configs/msx_1/msx.rom", bytes); }
    DriveImage* Slot() const { return machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0); }
    bool InsertCartridge(const std::vector<u8>& bytes, const std::string& name = "game.rom")
    {
        Slot()->Eject();
        ProgramTree::WriteBytes("media/" + name, bytes);
        return Slot()->InsertFile(ProgramTree::PathOf("media/" + name));
    }
    // The stub BIOS (unless one is installed already) and a start as the core makes it.
    bool Start()
    {
        if (!ProgramTree::Exists("prog/configs/msx_1/msx.rom"))
            InstallBios(StubBios());
        return machine_run::StartMachine(machine.get(), Cpu());
    }

    Z80Cpu* Cpu() const { return machine->GetZ80(); }
    MsxMapper* Mapper() const { return machine->GetMapper(); }

    u8 Peek(u32 address) const { return machine->GetMemory()->Read8(address, true); }
    void Poke(u32 address, u8 value) { machine->GetMemory()->Write8(address, value); }
    void Out(u32 port, u8 value) { machine->GetPorts()->Write8(port, value); }
    u8 In(u32 port, bool peek = false) { return machine->GetPorts()->Read8(port, peek, nullptr); }
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

} // namespace msx_test
