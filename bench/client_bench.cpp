// Per-pair cost over the pair corpus (in the coordinator's order, four times over) of the
// client's scorer (0), of the literal field simulation (1), and of the expression library
// calls alone that the scorer makes (2): its compiles and variable counts, and its evaluations
// with the values recorded from a scorer run.
#include <benchmark/benchmark.h>
#include <matheval.h>

#include <cstdio>

#include "field.h"
#include "literal.h"

extern "C" double __real_evaluator_evaluate(void *, int, char **, double *);

namespace {

const auto corpus = loadCorpus();
[[maybe_unused]] const int ready = setupClientState();  // the scorer's state for the whole run
// The "Passed" lines of the scored pairs go nowhere; the reports go to std::cout, which keeps
// the original stream.
[[maybe_unused]] FILE *const quiet = stdout = std::fopen("/dev/null", "w");
std::vector<double> *recording;  // where the scorer's evaluations are recorded, or null

void BM_PerPair(benchmark::State &state) {
    std::vector<std::vector<double>> values(corpus.size());  // per pair: m, M, v, V per call
    for (std::size_t i = 0; state.range(0) == 2 && i < corpus.size(); ++i) {
        recording = &values[i];
        evaluateFunction(corpus[i].first.c_str(), corpus[i].second.c_str());
        recording = nullptr;
    }
    void *evalM = nullptr;
    int countM, countV;
    char **names;
    std::size_t scored = 0;
    for (auto _ : state) {
        std::size_t i = scored++ % corpus.size();
        const char *m = corpus[i].first.c_str(), *v = corpus[i].second.c_str();
        if (state.range(0) < 2) {
            benchmark::DoNotOptimize(state.range(0) ? literalEvaluate(m, v)
                                                    : evaluateFunction(m, v));
            continue;
        }
        if (i == 0 || corpus[i - 1].first != m) {  // the scorer keeps M while it stays
            if (evalM) evaluator_destroy(evalM);
            evalM = evaluator_create(const_cast<char *>(m));
            if (evalM) evaluator_get_variables(evalM, &names, &countM);
        }
        void *evalV = evalM && countM == 4 ? evaluator_create(const_cast<char *>(v)) : nullptr;
        if (!evalV) continue;
        evaluator_get_variables(evalV, &names, &countV);
        for (std::size_t k = 0; k < values[i].size(); k += 4)  // M and V alternate
            benchmark::DoNotOptimize(
                __real_evaluator_evaluate(k % 8 ? evalV : evalM, 4, fixedNamesPtrs, &values[i][k]));
        evaluator_destroy(evalV);
    }
    if (evalM) evaluator_destroy(evalM);
}
BENCHMARK(BM_PerPair)
    ->DenseRange(0, 2)
    ->Iterations(4 * corpus.size())
    ->Unit(benchmark::kMicrosecond);

}  // namespace

// Every evaluation of the program's code passes through here (the benchmark links with
// --wrap=evaluator_evaluate); its values are recorded while `recording` is set.
extern "C" double __wrap_evaluator_evaluate(void *e, int n, char **names, double *values) {
    if (recording) recording->insert(recording->end(), values, values + 4);
    return __real_evaluator_evaluate(e, n, names, values);
}

BENCHMARK_MAIN();
