// The literal field simulation used as the oracle in tests and benchmarks.
#include "literal.h"

#include <matheval.h>

#include <bit>
#include <cstdint>
#include <cstdio>

const Cell *literalLastT;
int literalCycles;

namespace {

const double spike = std::bit_cast<double>(std::uint64_t{0x3FF01DCDEDA2AE9D});
const double background = std::bit_cast<double>(std::uint64_t{0x3CD8EB12BACD9E8A});

Cell fieldA[1000];
Cell fieldB[1000];
char nameStore[4][10] = {"m", "M", "v", "V"};
char *names[10] = {nameStore[0], nameStore[1], nameStore[2], nameStore[3]};
double values[10];

void face(const Cell &a, const Cell &n, double out[2], void *evalM, void *evalV) {
    if (a.m == n.m && a.v == n.v) {
        out[0] = a.m;
        out[1] = a.v;
    } else if (a.m == 0.0 && n.m == 0.0) {
        out[0] = 0.0;
        out[1] = 0.0;
    } else {
        values[0] = a.m;
        values[1] = n.m;
        values[2] = a.v;
        values[3] = n.v;
        out[0] = evaluator_evaluate(evalM, 4, names, values);
        out[1] = evaluator_evaluate(evalV, 4, names, values);
    }
}

void step(const Cell *src, Cell *dst, void *evalM, void *evalV) {
    for (int k = 1; k <= 998; ++k) {
        const Cell &p = src[k];
        const Cell &l = src[k - 1];
        const Cell &r = src[k + 1];
        if (p.m == l.m && p.v == l.v && p.m == r.m && p.v == r.v) {
            dst[k] = p;
        } else {
            double fR[2];
            double fL[2];
            face(p, r, fR, evalM, evalV);
            face(p, l, fL, evalM, evalV);
            dst[k].m = (p.m + fR[0]) + fL[0];
            if (dst[k].m < 0.0) dst[k].m = 0.0;
            dst[k].v = (p.v - fL[1]) + fR[1];
        }
    }
}

int countOf(void *evaluator) {
    char **unused;
    int count;
    evaluator_get_variables(evaluator, &unused, &count);
    return count;
}

}  // namespace

int literalEvaluate(const char *textM, const char *textV) {
    for (int k = 0; k < 1000; ++k) {
        fieldA[k].m = fieldB[k].m = k == 500 ? spike : background;
        fieldA[k].v = fieldB[k].v = 0.0;
    }
    literalLastT = fieldA;
    literalCycles = 0;

    void *evalM = evaluator_create(const_cast<char *>(textM));
    if (!evalM) return -1;
    if (countOf(evalM) != 4) {
        evaluator_destroy(evalM);
        return 0;
    }
    void *evalV = evaluator_create(const_cast<char *>(textV));
    if (!evalV) {
        evaluator_destroy(evalM);
        return -1;
    }
    if (countOf(evalV) != 4) {
        evaluator_destroy(evalM);
        evaluator_destroy(evalV);
        return 0;
    }

    float minimum = static_cast<float>(spike);
    for (int cycle = 0; cycle < 100; ++cycle) {
        Cell *newest = cycle % 2 == 0 ? fieldB : fieldA;
        step(cycle % 2 == 0 ? fieldA : fieldB, newest, evalM, evalV);
        literalLastT = newest;
        literalCycles = cycle + 1;
        double centre = newest[500].m;
        double left = newest[499].m;
        double right = newest[501].m;
        int result = 0;
        if (cycle == 5) {
            if (centre < spike) result = 1;
            if (right > background && left > background) result = result + 1;
            if (centre - right != centre - left) result = 0;
            if (result <= 1) {
                evaluator_destroy(evalM);
                evaluator_destroy(evalV);
                return result;
            }
        }
        if (centre < minimum) minimum = static_cast<float>(centre);
        if (cycle >= 16) {
            if (right > centre && left > centre) result = 3;
            if (centre > minimum) result = result + 1;
            if (result > 3) {
                std::printf("*** Passed !!!!! ***\n");
                evaluator_destroy(evalM);
                evaluator_destroy(evalV);
                return result;
            }
        }
    }
    evaluator_destroy(evalM);
    evaluator_destroy(evalV);
    return 0;
}
