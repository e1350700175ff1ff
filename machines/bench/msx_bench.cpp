// The MSX-1 on C-BIOS with our test cartridge (tests/roms/msx_cart.asm): the BIOS starts
// the cartridge, which then waits in HALT for every frame interrupt while the BIOS's
// interrupt handler scans the keyboard, as games at their menus do.
#include "machines/bench/machine_bench.h"
#include "machines/msx_machine.h"

namespace {

using machine_bench::ReadRom;

Computer* MakeMsx1()
{
    return new Msx1Machine;
}

void Msx1(benchmark::State& state)
{
    machine_bench::RunMachine(state, {&MakeMsx1,
                                      {{"prog/configs/msx_1/msx.rom", ReadRom(KUV_CBIOS_ROM), -1},
                                       {"user/game.rom", ReadRom(KUV_ROM_MSX_CART), DriveBay::kCartridge}}});
}

} // namespace

// 60 emulated seconds, every frame drawn.
BENCHMARK(Msx1)->Arg(60)->Unit(benchmark::kMillisecond)->UseManualTime();
