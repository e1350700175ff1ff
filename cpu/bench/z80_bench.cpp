// Emulated speed of the Z80 on ZEXDOC's instruction mix (its first two billion T-states).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "cpu/exercisers/cpm_machine.h"

namespace {

constexpr double kRealZ80Mhz = 3.579545;

void ZexdocMix(benchmark::State& state)
{
    const u64 span = static_cast<u64>(state.range(0)) * 1'000'000;
    u64 cycles = 0;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CpmMachine machine;
        const bool loaded = machine.Load(KUV_TEST_DATA "/z80/zexdoc.com");
        state.ResumeTiming();
        if (!loaded) {
            state.SkipWithError("zexdoc.com not found");
            return;
        }
        const auto begin = std::chrono::steady_clock::now();
        cycles += machine.Run(span);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }
    const double mhz = seconds > 0 ? static_cast<double>(cycles) / seconds / 1e6 : 0;
    state.counters["emulated_MHz"] = mhz;
    state.counters["x_real_Z80"] = mhz / kRealZ80Mhz;
    char label[96];
    std::snprintf(label, sizeof(label), "%.0f emulated MHz, %.0f times a 3.579545 MHz Z80", mhz, mhz / kRealZ80Mhz);
    state.SetLabel(label);
}

} // namespace

BENCHMARK(ZexdocMix)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
