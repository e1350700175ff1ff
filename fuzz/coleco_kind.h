// The ColecoVision with our own test BIOS and cartridge (machines/tests/roms).
#pragma once

#include "fuzz/machine_fixture.h"
#include "machines/coleco_vision.h"

namespace fuzz {

inline Computer* MakeColeco()
{
    return new ColecoVisionMachine;
}

inline const MachineKind kColeco = {
    &MakeColeco,
    {{"prog/configs/coleco_v/coleco.rom", KUV_ROM_COLECO_BIOS, -1},
     {nullptr, KUV_ROM_COLECO_CART, DriveBay::kCartridge}},
};

// The same without the cartridge, for the target that brings its own.
inline const MachineKind kColecoBiosOnly = {
    &MakeColeco,
    {{"prog/configs/coleco_v/coleco.rom", KUV_ROM_COLECO_BIOS, -1}},
};

} // namespace fuzz
