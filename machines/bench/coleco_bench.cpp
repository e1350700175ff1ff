// The ColecoVision on our own test BIOS with two cartridges (tests/roms): the test cartridge,
// which after its set-up waits in HALT for every frame interrupt as games at their menus do,
// and the busy one, whose Z80 never halts while sprites move, a tone plays and every line
// is drawn in every frame, as in a game's action.
#include "machines/bench/machine_bench.h"
#include "machines/coleco_vision.h"

namespace {

using machine_bench::ReadRom;

Computer* MakeColeco()
{
    return new ColecoVisionMachine;
}

void ColecoVision(benchmark::State& state)
{
    machine_bench::RunMachine(state, {&MakeColeco,
                                      {{"prog/configs/coleco_v/coleco.rom", ReadRom(KUV_ROM_COLECO_BIOS), -1},
                                       {"user/game.col", ReadRom(KUV_ROM_COLECO_CART), DriveBay::kCartridge}}});
}

void ColecoVisionBusy(benchmark::State& state)
{
    machine_bench::RunMachine(state, {&MakeColeco,
                                      {{"prog/configs/coleco_v/coleco.rom", ReadRom(KUV_ROM_COLECO_BIOS), -1},
                                       {"user/game.col", ReadRom(KUV_ROM_COLECO_BUSY_CART), DriveBay::kCartridge}},
                                      true});
}

} // namespace

// 60 emulated seconds each.
BENCHMARK(ColecoVision)->Arg(60)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(ColecoVisionBusy)->Arg(60)->Unit(benchmark::kMillisecond)->UseManualTime();

BENCHMARK_MAIN();
