// Per-pair cost of the client's scorer (second argument 0) and of the literal field simulation
// (1), over the pair corpus in the coordinator's order, four times over (first argument 0),
// and over the search's own workload (1): the generator's first M formulas, each with its
// first 2500 formulas as V.
#include <benchmark/benchmark.h>

#include "cycle.h"
#include "field.h"
#include "literal.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
[[maybe_unused]] const int ready = setupClientState();  // the scorer's state for the whole run
// The "Passed" lines go nowhere; the reports go to std::cout, which keeps the original stream.
[[maybe_unused]] FILE *const quiet = stdout = std::fopen("/dev/null", "w");

// The pair corpus, or the search's workload: the generator's first 4 M formulas, each with
// its first 2500 formulas as V.
const Pairs &workload(bool search) {
    static const Pairs corpus = loadCorpus(), searched = [] {
        std::vector<std::string> formulas;
        for (zindel(1, nullptr); formulas.size() < 2500;) formulas.push_back(zindel(0, nullptr));
        Pairs pairs;
        for (std::size_t i = 0; i < 4 * formulas.size(); i++)
            pairs.emplace_back(formulas[i / formulas.size()], formulas[i % formulas.size()]);
        return pairs;
    }();
    return search ? searched : corpus;
}

void BM_PerPair(benchmark::State &state) {
    const Pairs &pairs = workload(state.range(0));
    for (std::size_t i = 0; auto _ : state) {
        const char *m = pairs[i % pairs.size()].first.c_str();
        const char *v = pairs[i++ % pairs.size()].second.c_str();
        benchmark::DoNotOptimize(state.range(1) ? literalEvaluate(m, v) : evaluateFunction(m, v));
    }
}
BENCHMARK(BM_PerPair)
    ->ArgsProduct({{0}, {0, 1}})
    ->Iterations(4 * 1591)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PerPair)->ArgsProduct({{1}, {0, 1}})->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
