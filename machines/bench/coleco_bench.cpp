// The ColecoVision on our own test BIOS and cartridge (tests/roms): after its set-up the
// cartridge waits in HALT for every frame interrupt, as games at their menus do.
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

} // namespace

// 60 emulated seconds, every frame drawn.
BENCHMARK(ColecoVision)->Arg(60)->Unit(benchmark::kMillisecond)->UseManualTime();

BENCHMARK_MAIN();
