// The V formula stream, asked for one formula per pair by the dispatch loop: formulas per
// second over one file laid out as the generator writes it (10000 lines of 7 formulas of 10 to
// 30 bytes, each written with "%s, ", then an empty line), its self-rewind included.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "streams.h"

namespace {

void BM_VStreamNextFormula(benchmark::State &state) {
    const auto oldCwd = std::filesystem::current_path();
    char dir[] = "/tmp/quarn_bench_XXXXXX";
    std::filesystem::current_path(mkdtemp(dir));
    FILE *out = std::fopen("formulas_001.txt", "w");
    for (unsigned i = 0; i < 70000; i++) {
        std::string f = "M*m";
        for (unsigned k = i; f.size() < 10 + i % 21; k /= 4) f += std::string("+-*/"[k % 4] + std::string("sin(V)"));
        std::fprintf(out, i % 7 == 6 ? "%s, \n" : "%s, ", f.substr(0, 30).c_str());
    }
    std::fputs("\n", out);
    std::fclose(out);
    std::snprintf(filenames[0], FILENAME_SIZE, "formulas_001.txt");
    numFiles = 1;
    resetStream(streamV);
    for (auto _ : state) benchmark::DoNotOptimize(getNextFormulaV(STREAM_NEXT));
    state.SetItemsProcessed(state.iterations());
    resetStream(streamV);
    std::filesystem::current_path(oldCwd);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_VStreamNextFormula);

}  // namespace

BENCHMARK_MAIN();
