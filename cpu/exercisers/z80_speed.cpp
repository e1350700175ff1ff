// Emulated speed of the Z80 on ZEXDOC's instruction mix, without a benchmark library so
// that it also runs as the 32-bit Windows program.
//   z80_speed [path to zexdoc.com] [billions of T-states, default 2]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "cpu/exercisers/cpm_machine.h"

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : KUV_TEST_DATA "/z80/zexdoc.com";
    const double billions = argc > 2 ? std::atof(argv[2]) : 2.0;
    CpmMachine machine;
    if (!machine.Load(path)) {
        std::fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }
    const u64 target = static_cast<u64>(billions * 1e9);
    const auto begin = std::chrono::steady_clock::now();
    const u64 cycles = machine.Run(target);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const double mhz = cycles / seconds / 1e6;
    std::printf("%.3f billion T-states in %.2f s: %.0f emulated MHz, %.0f times a 3.579545 MHz Z80\n",
                cycles / 1e9, seconds, mhz, mhz / 3.579545);
    return 0;
}
