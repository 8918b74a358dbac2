// Per-pair cost over the pair corpus (in the coordinator's order, four times over) of the
// client's scorer (0), of the literal field simulation (1), and of the expression library
// calls alone that the scorer makes (2): its compiles and variable counts, and its evaluations
// with the values recorded from a scorer run. BM_SearchPairs: the scorer (0) and the literal
// simulation (1) on the search's own workload, the generator's first M formulas each with its
// first 2500 formulas as V.
#include <benchmark/benchmark.h>
#include <matheval.h>

#include "cycle.h"
#include "field.h"
#include "literal.h"

extern "C" double __real_evaluator_evaluate(void *, int, char **, double *);

namespace {

const auto corpus = loadCorpus();
[[maybe_unused]] const int ready = setupClientState();  // the scorer's state for the whole run
// The "Passed" lines of the scored pairs go nowhere; the reports go to std::cout, which keeps
// the original stream.
[[maybe_unused]] FILE *const quiet = stdout = std::fopen("/dev/null", "w");
std::vector<std::vector<double>> recorded(corpus.size());  // per pair: m, M, v, V of each call
std::size_t recording = 0;  // the pair whose evaluations are being recorded, while below size

void BM_PerPair(benchmark::State &state) {
    for (; recording < corpus.size(); ++recording)
        evaluateFunction(corpus[recording].first.c_str(), corpus[recording].second.c_str());
    void *evalM = nullptr;
    int countM, countV;
    char **names;
    for (std::size_t scored = 0; auto _ : state) {
        std::size_t i = scored++ % corpus.size();
        const char *m = corpus[i].first.c_str(), *v = corpus[i].second.c_str();
        if (state.range(0) == 0) evaluateFunction(m, v);
        if (state.range(0) == 1) literalEvaluate(m, v);
        if (state.range(0) < 2) continue;
        if (i == 0 || corpus[i - 1].first != m) {  // the scorer keeps M while it stays
            if (evalM) evaluator_destroy(evalM);
            evalM = evaluator_create(const_cast<char *>(m));
            if (evalM) evaluator_get_variables(evalM, &names, &countM);
        }
        void *evalV = evalM && countM == 4 ? evaluator_create(const_cast<char *>(v)) : nullptr;
        if (!evalV) continue;
        evaluator_get_variables(evalV, &names, &countV);
        for (std::size_t k = 0; k < recorded[i].size(); k += 4)  // M and V take turns
            benchmark::DoNotOptimize(__real_evaluator_evaluate(k % 8 ? evalV : evalM, 4,
                                                               fixedNamesPtrs, &recorded[i][k]));
        evaluator_destroy(evalV);
    }
    if (evalM) evaluator_destroy(evalM);
}
BENCHMARK(BM_PerPair)
    ->DenseRange(0, 2)
    ->Iterations(4 * corpus.size())
    ->Unit(benchmark::kMicrosecond);

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

// Every evaluation of the program's code passes through here (the benchmark links with
// --wrap=evaluator_evaluate); the values of the scorer's first run are recorded.
extern "C" double __wrap_evaluator_evaluate(void *e, int n, char **names, double *values) {
    if (recording < corpus.size())
        recorded[recording].insert(recorded[recording].end(), values, values + 4);
    return __real_evaluator_evaluate(e, n, names, values);
}

BENCHMARK_MAIN();
