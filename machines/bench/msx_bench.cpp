// The MSX-1 on C-BIOS with two cartridges of ours (tests/roms): the test cartridge, which
// the BIOS starts and which then waits in HALT for every frame interrupt while the BIOS's
// interrupt handler scans the keyboard, as games at their menus do; and the busy one,
// whose Z80 never halts while sprites move, the PSG holds a tone on one channel and every
// line is drawn in every frame, as in a game's action.
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

void Msx1Busy(benchmark::State& state)
{
    machine_bench::RunMachine(state, {&MakeMsx1,
                                      {{"prog/configs/msx_1/msx.rom", ReadRom(KUV_CBIOS_ROM), -1},
                                       {"user/game.rom", ReadRom(KUV_ROM_MSX_BUSY_CART), DriveBay::kCartridge}},
                                      true});
}

} // namespace

// 60 emulated seconds each.
BENCHMARK(Msx1)->Arg(60)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(Msx1Busy)->Arg(60)->Unit(benchmark::kMillisecond)->UseManualTime();
