// Per-pair cost of the client's scorer (argument 0) and of the literal field simulation (1)
// on the search's own workload: the generator's first 4 M formulas, each with its first 2500
// formulas as V, as the coordinator pairs them.
#include <benchmark/benchmark.h>

#include "cycle.h"
#include "field.h"
#include "literal.h"

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
        benchmark::DoNotOptimize(state.range(0) ? literalEvaluate(m, v) : evaluateFunction(m, v));
    }
}
BENCHMARK(BM_SearchPairs)->DenseRange(0, 1)->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
