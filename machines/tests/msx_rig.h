// Test rig of the MSX tests: the shared machine rig on an MSX-1, its program folder
// holding the BIOS. The frequency measure is the ColecoVision rig's.
#pragma once

#include <string>
#include <vector>

#include "base/types.h"
#include "emu/memory_space.h"
#include "emu/tests/machine_run.h"
#include "machines/msx_machine.h"
#include "machines/msx_mapper.h"
#include "machines/tests/coleco_rig.h"

namespace msx_test {

using machine_test::ListeningRing;
using machine_test::ReadFile;
using machine_test::SoundCapture;

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

class MsxRig : public machine_test::MachineRig<Msx1Machine> {
public:
    MsxRig() : MachineRig("game.rom") {}

    static void InstallBios(const std::vector<u8>& bytes) { ProgramTree::WriteBytes("prog/configs/msx_1/msx.rom", bytes); }
    // The stub BIOS (unless one is installed already) and a start as the core makes it.
    bool Start()
    {
        if (!ProgramTree::Exists("prog/configs/msx_1/msx.rom"))
            InstallBios(StubBios());
        return machine_run::StartMachine(machine.get(), Cpu());
    }

    MsxMapper* Mapper() const { return machine->GetMapper(); }

    void Poke(u32 address, u8 value) { machine->GetMemory()->Write8(address, value); }
};

} // namespace msx_test
