// Generator benchmarks: formulas per second from a start over the first 50,000 formulas,
// drawing candidates the fast way and by literal stepping, and the whole program's time for
// the 20 files of a first run (in a temporary directory it removes).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "cycle.h"
#include "state.h"

namespace {

constexpr int FIRST_FORMULAS = 50000;

void firstFormulas(benchmark::State &state, int fast) {
    char none[] = "";
    drawFast = fast;
    for (auto _ : state) {
        zindel(1, none);
        for (int n = 0; n < FIRST_FORMULAS; n++) benchmark::DoNotOptimize(zindel(0, nullptr));
    }
    drawFast = 1;
    state.SetItemsProcessed(state.iterations() * FIRST_FORMULAS);
}

void BM_FirstFormulasFast(benchmark::State &state) { firstFormulas(state, 1); }
BENCHMARK(BM_FirstFormulasFast)->Unit(benchmark::kMillisecond);

// Walks every string up to length 8 and part of length 9: tens of seconds, so once.
void BM_FirstFormulasLiteral(benchmark::State &state) { firstFormulas(state, 0); }
BENCHMARK(BM_FirstFormulasLiteral)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_DriverFirstRun(benchmark::State &state) {
    for (auto _ : state) {
        char tmpl[] = "/tmp/zindel_bench_XXXXXX";
        if (mkdtemp(tmpl) == nullptr) {
            state.SkipWithError("mkdtemp failed");
            return;
        }
        std::string cmd = std::string("cd ") + tmpl + " && " + ZINDEL_PATH + " > /dev/null";
        int status = system(cmd.c_str());
        state.PauseTiming();
        std::filesystem::remove_all(tmpl);
        state.ResumeTiming();
        if (status != 0) state.SkipWithError("zindel failed");
    }
    state.SetItemsProcessed(state.iterations() * 1400000);
}
BENCHMARK(BM_DriverFirstRun)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
