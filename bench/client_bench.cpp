// Per-pair cost of the client's scorer (argument 0), of the literal field simulation (1) and of
// the library-based scorer (2) on the search's own workload: the generator's first 4 M
// formulas, each with its first 2500 formulas as V, as the coordinator pairs them.
#include <benchmark/benchmark.h>

#include "client/field.h"
#include "client/test/literal.h"
#include "generator/cycle.h"

namespace {

[[maybe_unused]] const int ready = setupClientState();  // the scorer's state for the whole run
// The "Passed" lines go nowhere; the reports go to std::cout, which keeps the original stream.
[[maybe_unused]] FILE *const quiet = stdout = std::fopen("/dev/null", "w");

void BM_SearchPairs(benchmark::State &state) {
    static std::vector<std::string> formulas;
    for (zindel(1, nullptr); formulas.size() < 2500;) formulas.push_back(zindel(0, nullptr));
    for (std::size_t pair = 0; auto _ : state) {
        const char *m = formulas[pair / formulas.size()].c_str();
        const char *v = formulas[pair++ % formulas.size()].c_str();
        int (*const scorers[])(const char *, const char *) = {evaluateFunction, literalEvaluate,
                                                              libraryEvaluate};
        benchmark::DoNotOptimize(scorers[state.range(0)](m, v));
    }
}
BENCHMARK(BM_SearchPairs)->DenseRange(0, 2)->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
