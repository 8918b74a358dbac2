// The literal field simulation used as the oracle in tests and benchmarks, and the corpus.
#include "literal.h"

#include <matheval.h>

#include <cstdio>
#include <fstream>

const Cell *literalLastT;
int literalCycles;

namespace {

Cell fields[2][1000];
char *names[4] = {const_cast<char *>("m"), const_cast<char *>("M"), const_cast<char *>("v"),
                  const_cast<char *>("V")};

void face(const Cell &a, const Cell &n, double out[2], void *evalM, void *evalV) {
    double values[4] = {a.m, n.m, a.v, n.v};
    bool equal = a.m == n.m && a.v == n.v, zero = a.m == 0.0 && n.m == 0.0;
    out[0] = equal ? a.m : zero ? 0.0 : evaluator_evaluate(evalM, 4, names, values);
    out[1] = equal ? a.v : zero ? 0.0 : evaluator_evaluate(evalV, 4, names, values);
}

// Steps all inner cells, then makes the checks of the cycle: 2 while the pair is open.
int runCycle(int cycle, float &minimum, void *evalM, void *evalV) {
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
        int result = (centre < SPIKE_VALUE) + (left > BACKGROUND_VALUE && right > BACKGROUND_VALUE);
        if (centre - right != centre - left) result = 0;
        if (result <= 1) return result;
    }
    if (centre < minimum) minimum = static_cast<float>(centre);
    return cycle >= 16 && left > centre && right > centre && centre > minimum ? 4 : 2;
}

// Compiles a formula: null when it does not compile, else the evaluator; *count its variables.
void *compile(const char *text, int *count) {
    char **unused;
    void *evaluator = evaluator_create(const_cast<char *>(text));
    if (evaluator) evaluator_get_variables(evaluator, &unused, count);
    return evaluator;
}

}  // namespace

int literalEvaluate(const char *textM, const char *textV) {
    for (int k = 0; k < 1000; ++k)
        fields[0][k] = fields[1][k] = {k == 500 ? SPIKE_VALUE : BACKGROUND_VALUE, 0.0};
    literalLastT = fields[0];
    literalCycles = 0;
    int countM = 0, countV = 0;
    void *evalM = compile(textM, &countM);
    void *evalV = countM == 4 ? compile(textV, &countV) : nullptr;
    // -1: a formula does not compile; 0: a formula has other than four variables; 2: stepping.
    int result = !evalM || (countM == 4 && !evalV) ? -1 : countV == 4 ? 2 : 0;
    float minimum = static_cast<float>(SPIKE_VALUE);
    for (int cycle = 0; result == 2 && cycle < 100; ++cycle)
        result = runCycle(cycle, minimum, evalM, evalV);
    if (result == 4) std::printf("*** Passed !!!!! ***\n");
    if (evalV) evaluator_destroy(evalV);
    if (evalM) evaluator_destroy(evalM);
    return result == 2 ? 0 : result;
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
