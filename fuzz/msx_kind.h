// The MSX-1 with C-BIOS (an open MSX BIOS) and our own test cartridge
// (machines/tests/roms/msx_cart.asm).
#pragma once

#include "fuzz/machine_fixture.h"
#include "machines/msx_machine.h"
#include "machines/msx_mapper.h"

namespace fuzz {

inline Computer* MakeMsx1()
{
    return new Msx1Machine;
}

inline const MachineKind kMsx1 = {
    &MakeMsx1,
    {{"prog/configs/msx_1/msx.rom", KUV_CBIOS_ROM, -1},
     {nullptr, KUV_ROM_MSX_CART, DriveBay::kCartridge}},
};

// The same without the cartridge, for the target that brings its own.
inline const MachineKind kMsx1BiosOnly = {
    &MakeMsx1,
    {{"prog/configs/msx_1/msx.rom", KUV_CBIOS_ROM, -1}},
};

inline MsxMapper* MapperOf(FuzzMachine& m)
{
    return static_cast<MsxMachine&>(m.Machine()).GetMapper();
}

} // namespace fuzz
