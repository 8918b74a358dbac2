// The field simulation and the scoring of one pair of formulas.
#include "field.h"

#include <matheval.h>

#include <cstdio>
#include <cstring>

namespace {

// Number of distinct variables of a compiled formula, as the library counts them.
int variableCount(void *evaluator) {
    char **names;
    int count;
    evaluator_get_variables(evaluator, &names, &count);
    return count;
}

// Makes keptEvaluatorM the compiled form of textM, compiling only when the text changed.
// Result: 1 when M is usable, else its final score (SCORE_NOT_COMPILED or SCORE_FAILED).
int prepareM(const char *textM) {
    if (keptValidM && std::strcmp(keptTextM, textM) == 0) return keptResultM;
    if (keptEvaluatorM) evaluator_destroy(keptEvaluatorM);
    keptEvaluatorM = nullptr;
    keptValidM = 0;

    // The library copies the text and never writes to it.
    void *evaluator = evaluator_create(const_cast<char *>(textM));
    if (!evaluator) {
        keptResultM = SCORE_NOT_COMPILED;
    } else if (variableCount(evaluator) != VARIABLE_COUNT) {
        evaluator_destroy(evaluator);
        keptResultM = SCORE_FAILED;
    } else {
        keptEvaluatorM = evaluator;
        keptResultM = 1;
    }
    // A text too long for keptTextM is used once and compiled again next time.
    if (std::strlen(textM) < sizeof keptTextM) {
        std::strcpy(keptTextM, textM);
        keptValidM = 1;
    }
    return keptResultM;
}

void setStartCell(Cell *field, int cell) {
    field[cell].m = cell == SPIKE_CELL ? SPIKE_VALUE : BACKGROUND_VALUE;
    field[cell].v = 0.0;
}

// Steps the field for at most CYCLE_COUNT cycles and returns the pair's result.
int runField(void *evaluatorM, void *evaluatorV) {
    float runningMinimum = START_MINIMUM;
    for (int cycle = 0; cycle < CYCLE_COUNT; ++cycle) {
        const Cell *src = cycle % 2 == 0 ? arrayA : arrayB;
        Cell *dst = cycle % 2 == 0 ? arrayB : arrayA;
        int reach = cycle + 1;
        runAlgorithm(src, dst, SPIKE_CELL - reach, SPIKE_CELL + reach, evaluatorM, evaluatorV);
        lastT = dst;
        fieldReach = reach;
        if (fieldRecorder) fieldRecorder(cycle, dst, reach);
        int verdict = checkCycle(cycle, dst, &runningMinimum);
        if (verdict != FIELD_GOES_ON) {
            if (verdict == PASS_SCORE) std::puts("*** Passed !!!!! ***");
            return verdict;
        }
    }
    return SCORE_FAILED;
}

}  // namespace

void fillFields() {
    for (int cell = 0; cell < CELL_COUNT; ++cell) {
        setStartCell(arrayA, cell);
        setStartCell(arrayB, cell);
    }
    lastT = arrayA;
    fieldReach = 0;
}

void restoreFields() {
    for (int cell = SPIKE_CELL - fieldReach; cell <= SPIKE_CELL + fieldReach; ++cell) {
        setStartCell(arrayA, cell);
        setStartCell(arrayB, cell);
    }
    lastT = arrayA;
    fieldReach = 0;
}

void faceAlgorithm(const Cell *a, const Cell *n, double face[2], void *evaluatorM,
                   void *evaluatorV) {
    if (a->m == n->m && a->v == n->v) {
        face[0] = a->m;
        face[1] = a->v;
        return;
    }
    if (a->m == 0.0 && n->m == 0.0) {
        face[0] = 0.0;
        face[1] = 0.0;
        return;
    }
    varValues[0] = a->m;
    varValues[1] = n->m;
    varValues[2] = a->v;
    varValues[3] = n->v;
    face[0] = evaluator_evaluate(evaluatorM, VARIABLE_COUNT, fixedNamesPtrs, varValues);
    face[1] = evaluator_evaluate(evaluatorV, VARIABLE_COUNT, fixedNamesPtrs, varValues);
}

void runAlgorithm(const Cell *src, Cell *dst, int firstCell, int lastCell, void *evaluatorM,
                  void *evaluatorV) {
    for (int k = firstCell; k <= lastCell; ++k) {
        const Cell *p = &src[k];
        const Cell *l = &src[k - 1];
        const Cell *r = &src[k + 1];
        if (p->m == l->m && p->v == l->v && p->m == r->m && p->v == r->v) {
            dst[k] = *p;
            continue;
        }
        double faceR[2];
        double faceL[2];
        faceAlgorithm(p, r, faceR, evaluatorM, evaluatorV);
        faceAlgorithm(p, l, faceL, evaluatorM, evaluatorV);
        double m = (p->m + faceR[0]) + faceL[0];
        if (m < 0.0) m = 0.0;
        dst[k].m = m;
        dst[k].v = (p->v - faceL[1]) + faceR[1];
    }
}

int checkCycle(int cycle, const Cell *field, float *runningMinimum) {
    double centre = field[SPIKE_CELL].m;
    double left = field[SPIKE_CELL - 1].m;
    double right = field[SPIKE_CELL + 1].m;

    if (cycle == SPREAD_CYCLE) {
        int result = 0;
        if (centre < SPIKE_VALUE) result = 1;
        if (right > BACKGROUND_VALUE && left > BACKGROUND_VALUE) result += 1;
        // The neighbours must have risen by exactly the same amount; NaN never compares equal.
        if (!(centre - right == centre - left)) result = 0;
        if (result <= 1) return result;
    }
    if (centre < *runningMinimum) *runningMinimum = static_cast<float>(centre);
    if (cycle >= FIRST_REBOUND_CYCLE) {
        int result = right > centre && left > centre ? 3 : 0;
        if (centre > *runningMinimum) result += 1;
        if (result > 3) return result;
    }
    return FIELD_GOES_ON;
}

int evaluateFunction(const char *textM, const char *textV) {
    restoreFields();
    int verdictM = prepareM(textM);
    if (verdictM != 1) return verdictM;

    void *evaluatorV = evaluator_create(const_cast<char *>(textV));
    if (!evaluatorV) return SCORE_NOT_COMPILED;
    if (variableCount(evaluatorV) != VARIABLE_COUNT) {
        evaluator_destroy(evaluatorV);
        return SCORE_FAILED;
    }
    int result = runField(keptEvaluatorM, evaluatorV);
    evaluator_destroy(evaluatorV);
    return result;
}
