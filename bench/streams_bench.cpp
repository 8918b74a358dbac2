// The V formula stream, which the dispatch loop asks for a formula once per pair: formulas per
// second over one file laid out as the generator writes it (10000 lines of 7 formulas written
// with "%s, ", then an empty line), formulas of 10 to 30 bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "state.h"
#include "streams.h"

namespace {

constexpr int BENCH_LINES = 10000;
constexpr int BENCH_PER_LINE = 7;
constexpr int BENCH_FORMULAS = BENCH_LINES * BENCH_PER_LINE;

// A deterministic formula of 10 to 30 bytes over m, M, v, V, operators, functions, constants.
std::string makeFormula(unsigned &seed) {
    static const char *const operands[] = {"m", "M", "v", "V", "2", "0.5", "3.14159",
                                           "sin(m)", "exp(V)", "log(M)", "sqrt(v)", "(m-V)"};
    static const char *const ops[] = {"+", "-", "*", "/"};
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const std::size_t target = 10 + next() % 21;
    std::string f = operands[next() % 12];
    while (f.size() < target) {
        f += ops[next() % 4];
        f += operands[next() % 12];
    }
    return f.substr(0, 30);
}

// Writes the file into a fresh directory, enters it and makes it the whole catalogue.
struct BenchDir {
    char dir[32] = "/tmp/quarn_bench_XXXXXX";
    char oldCwd[PATH_MAX] = {};
    bool ok = false;
    BenchDir() {
        if (mkdtemp(dir) == nullptr || getcwd(oldCwd, sizeof oldCwd) == nullptr ||
            chdir(dir) != 0)
            return;
        FILE *out = std::fopen("formulas_001.txt", "w");
        if (out == nullptr) return;
        unsigned seed = 1;
        for (int line = 0; line < BENCH_LINES; line++) {
            for (int k = 0; k < BENCH_PER_LINE; k++)
                std::fprintf(out, "%s, ", makeFormula(seed).c_str());
            std::fputc('\n', out);
        }
        std::fputc('\n', out);
        std::fclose(out);
        std::strcpy(filenames[0], "formulas_001.txt");
        numFiles = 1;
        resetStream(streamV);
        ok = true;
    }
    ~BenchDir() {
        resetStream(streamV);
        std::remove("formulas_001.txt");
        if (chdir(oldCwd) != 0) std::perror("chdir");
        rmdir(dir);
    }
};

// One call per iteration, as the dispatch loop makes them; the end of the file (one null per
// 70,000 formulas, with the stream's self-rewind) is part of the cost.
void BM_VStreamNextFormula(benchmark::State &state) {
    BenchDir bench;
    if (!bench.ok) {
        state.SkipWithError("cannot write the formula file");
        return;
    }
    long checksum = 0;
    for (auto _ : state) {
        const char *f = getNextFormulaV(STREAM_NEXT);
        benchmark::DoNotOptimize(f);
        if (f != nullptr) checksum += f[0];
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["checksum"] = static_cast<double>(checksum);
}
BENCHMARK(BM_VStreamNextFormula);

// One whole walk of the V stream per iteration (rewind, then every formula up to the null),
// as the dispatch loop does it for every M formula.
void BM_VStreamWholeWalk(benchmark::State &state) {
    BenchDir bench;
    if (!bench.ok) {
        state.SkipWithError("cannot write the formula file");
        return;
    }
    for (auto _ : state) {
        getNextFormulaV(STREAM_REWIND);
        int count = 0;
        while (getNextFormulaV(STREAM_NEXT) != nullptr) count++;
        if (count != BENCH_FORMULAS) state.SkipWithError("wrong formula count");
    }
    state.SetItemsProcessed(state.iterations() * BENCH_FORMULAS);
}
BENCHMARK(BM_VStreamWholeWalk)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
