// The V formula stream, asked for one formula per pair by the dispatch loop: formulas per
// second over one file laid out as the generator writes it (10000 lines of 7 formulas, each
// written with "%s, ", then an empty line), formulas of 10 to 30 bytes. One null per 70,000
// formulas, with the stream's self-rewind, is part of the cost.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "streams.h"

namespace {

// Formula i of the file: operands and operators picked by a fixed rule, 10 to 30 bytes.
std::string makeFormula(unsigned i) {
    static const char *const operands[] = {"m",      "M",       "v",      "V",
                                           "2",      "0.5",     "sin(m)", "exp(V)",
                                           "log(M)", "sqrt(v)", "(m-V)",  "3.14159"};
    unsigned seed = i * 2654435761u;
    std::string f = operands[seed % 12];
    while (f.size() < 10 + i % 21) {
        seed = seed * 1103515245u + 12345u;
        f += "+-*/"[(seed >> 8) % 4];
        f += operands[(seed >> 16) % 12];
    }
    return f.substr(0, 30);
}

void BM_VStreamNextFormula(benchmark::State &state) {
    char dir[] = "/tmp/quarn_bench_XXXXXX", oldCwd[PATH_MAX];
    if (mkdtemp(dir) == nullptr || getcwd(oldCwd, sizeof oldCwd) == nullptr || chdir(dir) != 0)
        return state.SkipWithError("cannot enter a temporary directory");
    FILE *out = std::fopen("formulas_001.txt", "w");
    for (unsigned i = 0; out != nullptr && i < 70000; i++)
        std::fprintf(out, i % 7 == 6 ? "%s, \n" : "%s, ", makeFormula(i).c_str());
    if (out != nullptr) std::fputs("\n", out), std::fclose(out);
    std::snprintf(filenames[0], FILENAME_SIZE, "formulas_001.txt");
    numFiles = 1;
    resetStream(streamV);
    long checksum = 0;
    for (auto _ : state) {
        const char *f = getNextFormulaV(STREAM_NEXT);
        benchmark::DoNotOptimize(f);
        if (f != nullptr) checksum += f[0];
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["checksum"] = static_cast<double>(checksum);
    resetStream(streamV);
    std::remove("formulas_001.txt");
    if (chdir(oldCwd) != 0 || rmdir(dir) != 0) std::perror("cleaning up the benchmark directory");
}
BENCHMARK(BM_VStreamNextFormula);

}  // namespace

BENCHMARK_MAIN();
