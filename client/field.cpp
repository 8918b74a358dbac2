// The field simulation and the scoring of one pair of formulas.
#include "client/field.h"

#include <matheval.h>

#include <cstdio>
#include <cstring>

#include "client/failed_texts.h"

namespace {

// Number of distinct variables of a compiled formula, as the library counts them.
int variableCount(void *evaluator) {
    char **names;
    int count;
    evaluator_get_variables(evaluator, &names, &count);
    return count;
}

// Makes keptProgramM or keptEvaluatorM the compiled form of textM, compiling only when the
// text changed. Result: 1 when M is usable, else its final score (SCORE_NOT_COMPILED or
// SCORE_FAILED).
int prepareM(const char *textM) {
    if (keptValidM && std::strcmp(keptTextM, textM) == 0) return keptResultM;
    if (keptEvaluatorM) evaluator_destroy(keptEvaluatorM);
    keptEvaluatorM = nullptr;
    keptValidM = 0;

    keptResultM = prepareFormula(textM, &keptProgramM, &keptEvaluatorM);
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

// The value of formula f for each of the first `lanes` lanes of faceBatch, into out.
void evaluateFaces(FaceFormula f, int lanes, double *out) {
    if (!f.evaluator) return runFormulaBatch(*f.program, &faceBatch, lanes, out);
    for (int i = 0; i < lanes; ++i) {
        for (int k = 0; k < VARIABLE_COUNT; ++k) varValues[k] = faceBatch.registers[k][i];
        out[i] = evaluator_evaluate(f.evaluator, VARIABLE_COUNT, fixedNamesPtrs, varValues);
    }
}

// Where a face's values come from: a lane of the batch, or m and v right here.
struct Face {
    int lane;  // -1: m and v
    double m;
    double v;
};

// runAlgorithm for at most STEP_CELLS cells: the faces that need the formulas are gathered
// into the lanes of faceBatch, evaluated by M and then by V, and summed per cell.
void stepCells(const Cell *src, Cell *dst, int firstCell, int lastCell, FaceFormula formulaM,
               FaceFormula formulaV) {
    Face faces[STEP_CELLS][2];  // the right face, then the left face, of each cell
    double(*in)[FORMULA_LANES] = faceBatch.registers;
    int lanes = 0;
    for (int k = firstCell; k <= lastCell; ++k) {
        const Cell *p = &src[k];
        const Cell *sides[2] = {&src[k + 1], &src[k - 1]};
        if (p->m == sides[1]->m && p->v == sides[1]->v && p->m == sides[0]->m &&
            p->v == sides[0]->v)
            continue;  // copied below
        for (int side = 0; side < 2; ++side) {
            const Cell *n = sides[side];
            Face &face = faces[k - firstCell][side];
            face.lane = -1;
            if (p->m == n->m && p->v == n->v) {
                face.m = p->m;
                face.v = p->v;
            } else if (p->m == 0.0 && n->m == 0.0) {
                face.m = 0.0;
                face.v = 0.0;
            } else {
                in[0][lanes] = p->m;
                in[1][lanes] = n->m;
                in[2][lanes] = p->v;
                in[3][lanes] = n->v;
                face.lane = lanes++;
            }
        }
    }
    evaluateFaces(formulaM, lanes, faceValuesM);
    evaluateFaces(formulaV, lanes, faceValuesV);
    for (int k = firstCell; k <= lastCell; ++k) {
        const Cell *p = &src[k];
        const Cell *l = &src[k - 1];
        const Cell *r = &src[k + 1];
        if (p->m == l->m && p->v == l->v && p->m == r->m && p->v == r->v) {
            dst[k] = *p;
            continue;
        }
        double faceM[2];
        double faceV[2];
        for (int side = 0; side < 2; ++side) {
            const Face &face = faces[k - firstCell][side];
            faceM[side] = face.lane < 0 ? face.m : faceValuesM[face.lane];
            faceV[side] = face.lane < 0 ? face.v : faceValuesV[face.lane];
        }
        double m = (p->m + faceM[0]) + faceM[1];
        if (m < 0.0) m = 0.0;
        dst[k].m = m;
        dst[k].v = (p->v - faceV[1]) + faceV[0];
    }
}

}  // namespace

int prepareFormula(const char *text, FormulaProgram *program, void **evaluator) {
    *evaluator = nullptr;
    if (compileFormulaProgram(text, &formulaScratch, program) == FORMULA_OK)
        return program->variables == VARIABLE_COUNT ? 1 : SCORE_FAILED;
    // Left to the library, or refused: the library has the last word.
    void *compiled = compileFormula(text);
    if (!compiled) return SCORE_NOT_COMPILED;
    if (variableCount(compiled) != VARIABLE_COUNT) {
        evaluator_destroy(compiled);
        return SCORE_FAILED;
    }
    *evaluator = compiled;
    return 1;
}

int runField(FaceFormula formulaM, FaceFormula formulaV) {
    float runningMinimum = START_MINIMUM;
    for (int cycle = 0; cycle < CYCLE_COUNT; ++cycle) {
        const Cell *src = cycle % 2 == 0 ? arrayA : arrayB;
        Cell *dst = cycle % 2 == 0 ? arrayB : arrayA;
        int reach = cycle + 1;
        runAlgorithm(src, dst, SPIKE_CELL - reach, SPIKE_CELL + reach, formulaM, formulaV);
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

void runAlgorithm(const Cell *src, Cell *dst, int firstCell, int lastCell, FaceFormula formulaM,
                  FaceFormula formulaV) {
    for (int first = firstCell; first <= lastCell; first += STEP_CELLS) {
        int last = first + STEP_CELLS - 1 < lastCell ? first + STEP_CELLS - 1 : lastCell;
        stepCells(src, dst, first, last, formulaM, formulaV);
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

    void *evaluatorV;
    int verdictV = prepareFormula(textV, &programV, &evaluatorV);
    if (verdictV != 1) return verdictV;
    int result = runField({&keptProgramM, keptEvaluatorM}, {&programV, evaluatorV});
    if (evaluatorV) evaluator_destroy(evaluatorV);
    return result;
}
