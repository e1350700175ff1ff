// Emulated speed of the Z80 on ZEXDOC's instruction mix (its first two billion T-states).
#include <benchmark/benchmark.h>

#include "cpu/exercisers/cpm_machine.h"

namespace {

constexpr double kRealZ80Mhz = 3.579545;

void ZexdocMix(benchmark::State& state)
{
    const u64 span = static_cast<u64>(state.range(0)) * 1'000'000;
    u64 cycles = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CpmMachine machine;
        const bool loaded = machine.Load(KUV_TEST_DATA "/z80/zexdoc.com");
        state.ResumeTiming();
        if (!loaded) {
            state.SkipWithError("zexdoc.com not found");
            return;
        }
        cycles += machine.Run(span);
    }
    state.counters["emulated_MHz"] = benchmark::Counter(static_cast<double>(cycles) / 1e6, benchmark::Counter::kIsRate);
    state.counters["x_real_Z80"] =
        benchmark::Counter(static_cast<double>(cycles) / 1e6 / kRealZ80Mhz, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(ZexdocMix)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
