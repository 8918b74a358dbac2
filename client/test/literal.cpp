// The literal field simulation and the library-based scorer used as oracles in tests and
// benchmarks, and the corpus.
#include "client/test/literal.h"

#include <matheval.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>

#include "client/failed_texts.h"
#include "client/field.h"
#include "common/formula_class.h"

const Cell *literalLastT;
int literalCycles;

namespace {

Cell fields[2][1000];

// The exchange of cell a with its neighbour n: face m and face v.
void face(const Cell &a, const Cell &n, double out[2], void *evalM, void *evalV) {
    double values[4] = {a.m, n.m, a.v, n.v};
    bool equal = a.m == n.m && a.v == n.v, zero = a.m == 0.0 && n.m == 0.0;
    out[0] = equal ? a.m : zero ? 0.0 : evaluator_evaluate(evalM, 4, fixedNamesPtrs, values);
    out[1] = equal ? a.v : zero ? 0.0 : evaluator_evaluate(evalV, 4, fixedNamesPtrs, values);
}

// The library's evaluator of text through the table of failed texts: 1 when usable, -1 when
// it does not compile, 0 when it has other than four variables.
int libraryCompile(const char *text, void **evaluator) {
    char **names;
    int count = 0;
    if ((*evaluator = compileFormula(text))) evaluator_get_variables(*evaluator, &names, &count);
    return !*evaluator ? -1 : count == 4 ? 1 : 0;
}

}  // namespace

int literalEvaluate(const char *textM, const char *textV) {
    for (int k = 0; k < 1000; ++k)
        fields[0][k] = fields[1][k] = {k == 500 ? SPIKE_VALUE : BACKGROUND_VALUE, 0.0};
    literalLastT = fields[0];
    literalCycles = 0;
    char **unused;
    int countM = 0, countV = 0;
    void *evalM = evaluator_create(const_cast<char *>(textM)), *evalV = nullptr;
    if (evalM) evaluator_get_variables(evalM, &unused, &countM);
    if (countM == 4) evalV = evaluator_create(const_cast<char *>(textV));
    if (evalV) evaluator_get_variables(evalV, &unused, &countV);
    int result = !evalM || (countM == 4 && !evalV) ? -1 : 0;
    float minimum = static_cast<float>(SPIKE_VALUE);
    for (int cycle = 0; countV == 4 && result == 0 && cycle < 100; ++cycle) {
        const Cell *src = fields[cycle % 2];
        Cell *dst = fields[1 - cycle % 2];
        for (int k = 1; k <= 998; ++k) {
            const Cell &p = src[k], &l = src[k - 1], &r = src[k + 1];
            dst[k] = p;
            if (p.m == l.m && p.v == l.v && p.m == r.m && p.v == r.v) continue;
            double fR[2], fL[2];
            face(p, r, fR, evalM, evalV);
            face(p, l, fL, evalM, evalV);
            double m = (p.m + fR[0]) + fL[0];
            dst[k] = {m < 0.0 ? 0.0 : m, (p.v - fL[1]) + fR[1]};
        }
        literalLastT = dst;
        literalCycles = cycle + 1;
        double centre = dst[500].m, left = dst[499].m, right = dst[501].m;
        if (cycle == 5) {
            result = (centre < SPIKE_VALUE) + (left > BACKGROUND_VALUE && right > BACKGROUND_VALUE);
            if (centre - right != centre - left) result = 0;
            if (result <= 1) break;
            result = 0;  // spread as required: the pair goes on
        }
        if (centre < minimum) minimum = static_cast<float>(centre);
        if (cycle >= 16 && left > centre && right > centre && centre > minimum) result = 4;
    }
    if (result == 4) std::printf("*** Passed !!!!! ***\n");
    if (evalV) evaluator_destroy(evalV);
    if (evalM) evaluator_destroy(evalM);
    return result;
}

int libraryEvaluate(const char *textM, const char *textV) {
    static std::string keptM;  // the M text evalM came from, once verdictM is set
    static void *evalM;
    static int verdictM = 2;  // 1 usable, else M's result; 2 before the first M
    restoreFields();
    if (verdictM == 2 || keptM != textM) {
        if (evalM) evaluator_destroy(evalM);
        verdictM = libraryCompile(textM, &evalM);
        keptM = textM;
    }
    void *evalV = nullptr;
    int result = verdictM == 1 ? libraryCompile(textV, &evalV) : verdictM;
    if (verdictM == 1 && result == 1) result = runField({nullptr, evalM}, {nullptr, evalV});
    if (evalV) evaluator_destroy(evalV);
    return result;
}

namespace {

std::vector<std::uint64_t> steps[2];  // the zones of every step of each scorer, NaNs as one NaN
int scorer;                           // 0 the library-based scorer, 1 the client's

void record(int, const Cell *field, int reach) {
    for (int k = SPIKE_CELL - reach; k <= SPIKE_CELL + reach; ++k)
        for (double x : {field[k].m, field[k].v})
            steps[scorer].push_back(std::bit_cast<std::uint64_t>(std::isnan(x) ? NAN : x));
}

}  // namespace

// Scores (firstM, firstV) with `first`, then (textM, textV) with the client's scorer, recording
// both; 1 when they give the same result and field at every step.
int sameFields(int (*first)(const char *, const char *), const char *firstM, const char *firstV,
               const char *textM, const char *textV, int *result) {
    for (std::vector<std::uint64_t> &zones : steps) zones.clear();
    fieldRecorder = record;
    scorer = 0;
    int expected = first(firstM, firstV);
    scorer = 1;
    *result = evaluateFunction(textM, textV);
    fieldRecorder = nullptr;
    return *result == expected && steps[0] == steps[1];
}

int sameAsLibrary(const char *textM, const char *textV, int *result) {
    return sameFields(libraryEvaluate, textM, textV, textM, textV, result);
}

int sameAsClassPair(const char *textM, const char *textV, const char *classM, const char *classV,
                    int *result) {
    return sameFields(evaluateFunction, classM, classV, textM, textV, result);
}

std::vector<std::vector<int>> formulaClasses(const std::vector<std::string> &texts,
                                             std::vector<int> *classOf) {
    FormulaClassTable table;
    std::vector<std::vector<int>> members;
    for (int i = 0, use; i < static_cast<int>(texts.size()); ++i) {
        classOf->push_back(classOfFormula(&table, texts[i].c_str(), 0, members.size(), &use));
        if (classOf->back() == static_cast<int>(members.size())) members.emplace_back();
        if (classOf->back() >= 0) members[classOf->back()].push_back(i);
    }
    return members;
}

std::vector<std::pair<std::string, std::string>> loadCorpus() {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::ifstream in(QUARN_CORPUS_PATH);
    for (std::string line; std::getline(in, line);) {
        std::size_t blank = line.find(' ');  // V may be empty
        pairs.emplace_back(line.substr(0, blank), line.substr(blank + 1));
    }
    return pairs;
}
