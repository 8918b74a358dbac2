// Generator benchmarks: formulas per second over the first 50,000 formulas from a start,
// drawn the fast way (argument 1) and by literal stepping (0), and the whole program's time
// for the 20 files of a first run, in a temporary directory it removes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "cycle.h"
#include "state.h"

constexpr int FIRST_FORMULAS = 50000;

static void BM_FirstFormulas(benchmark::State &state) {
    drawFast = (int)state.range(0);
    for (auto _ : state) {
        zindel(1, nullptr);
        for (int n = 0; n < FIRST_FORMULAS; n++) benchmark::DoNotOptimize(zindel(0, nullptr));
    }
    state.SetItemsProcessed(state.iterations() * FIRST_FORMULAS);
}
BENCHMARK(BM_FirstFormulas)->Arg(1)->Unit(benchmark::kMillisecond);
// Literally the walk passes every string up to length 8 and part of length 9: run it once.
BENCHMARK(BM_FirstFormulas)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

static void BM_DriverFirstRun(benchmark::State &state) {
    for (auto _ : state) {
        char dir[] = "/tmp/zindel_bench_XXXXXX";
        int status =
            system((std::string("cd ") + mkdtemp(dir) + " && " ZINDEL_PATH " > /dev/null").c_str());
        std::filesystem::remove_all(dir);  // a few milliseconds
        if (status != 0) return state.SkipWithError("zindel failed");
    }
    state.SetItemsProcessed(state.iterations() * 1400000);  // formulas of one run
}
BENCHMARK(BM_DriverFirstRun)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

BENCHMARK_MAIN();
