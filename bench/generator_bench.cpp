// Generator benchmark: formulas per second over the first 50,000 formulas from a start, drawn
// the fast way (argument 1) and by literal stepping (0).
#include <benchmark/benchmark.h>

#include "generator/cycle.h"

constexpr int FIRST_FORMULAS = 50000;

static void BM_FirstFormulas(benchmark::State &state) {
    for (auto _ : state) {
        resetCycle(static_cast<int>(state.range(0)));
        for (int n = 0; n < FIRST_FORMULAS; n++) benchmark::DoNotOptimize(zindel(0, nullptr));
    }
    state.SetItemsProcessed(state.iterations() * FIRST_FORMULAS);
}
BENCHMARK(BM_FirstFormulas)->Arg(1)->Unit(benchmark::kMillisecond);
// Literally the walk passes every string up to length 8 and part of length 9: run it once.
BENCHMARK(BM_FirstFormulas)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
