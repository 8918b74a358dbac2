// The field simulation that scores a pair of formulas: a spike in cell 500 of a 1000-cell
// field, stepped at most 100 times through the two formulas, with a spread check after the
// sixth step and rebound checks from cycle 16 on.
//
// Only the disturbed zone is stepped: the spike spreads one cell per step, and every cell
// outside the zone equals both neighbours, so a full step would copy it unchanged. Both fields
// keep the start state outside the zone, and each call restores just the cells the previous
// call touched.
//
// Formulas run as programs of the formula compiler (formula_program.h), which computes the
// expression library's values bit for bit; a text the compiler leaves to the library is
// compiled by the library through compileFormula (failed_texts.h), which answers a text that
// failed before on its own. The compiled M is kept in the process-wide state while its text
// stays the same, so a run of pairs with one M compiles M once; V is compiled into the one V
// program of the state, so scoring a pair allocates nothing.
//
// Code that writes the fields other than through evaluateFunction (tests stepping by hand)
// calls fillFields() before the next evaluateFunction.
//
// Uses the process-wide state of state.h: arrayA, arrayB, lastT, fieldReach, varValues,
// fixedNamesPtrs, formulaScratch, programV, faceBatch, faceValuesM, faceValuesV and the kept
// M (keptTextM, keptValidM, keptResultM, keptProgramM, keptEvaluatorM).
#pragma once

#include "client/state.h"

// A formula as the field evaluates it: the library's evaluator when it is set, else the
// program.
struct FaceFormula {
    FormulaProgram *program;
    void *evaluator;
};

// Compiles text for the field: into *program when the formula compiler takes it (*evaluator
// null), else by the library (*evaluator set when usable; the caller destroys it). Result: 1
// when the formula is usable, SCORE_NOT_COMPILED when the text does not compile, SCORE_FAILED
// when it has other than four variables.
int prepareFormula(const char *text, FormulaProgram *program, void **evaluator);

// Fills every cell of both fields with the start state (m = background, v = 0; the spike cell
// m = spike), points lastT at arrayA and sets fieldReach to 0.
void fillFields();

// Puts the cells within fieldReach of the spike back to the start state in both fields,
// points lastT at arrayA and sets fieldReach to 0.
void restoreFields();

// One step from src into dst for the cells firstCell..lastCell (within 1..998); other cells
// of dst are not written. A cell equal to both neighbours is copied; otherwise
// m = (P.m + right face m) + left face m, a negative sum becoming +0.0, and
// v = (P.v - left face v) + right face v. The exchange of cell a with its neighbour n, its
// face m and face v: equal cells give a itself; two zero m components give +0.0, +0.0;
// otherwise the formulas' values for m = a.m, M = n.m, v = a.v, V = n.v. The faces of the
// cells are evaluated together (faceBatch), M before V.
void runAlgorithm(const Cell *src, Cell *dst, int firstCell, int lastCell, FaceFormula formulaM,
                  FaceFormula formulaV);

// The checks of one cycle on the field just written. `runningMinimum` is the single-precision
// lowest centre so far, updated here. Result: FIELD_GOES_ON while the pair is open; otherwise
// the final result: 0 or 1 from the spread check, PASS_SCORE from a rebound check.
int checkCycle(int cycle, const Cell *field, float *runningMinimum);

// Steps the fields, which must hold the start state (restoreFields), for at most CYCLE_COUNT
// cycles with two usable formulas and returns the pair's result: SCORE_FAILED, 1 or
// PASS_SCORE (after printing "*** Passed !!!!! ***"). Afterwards lastT and fieldReach describe
// the last field stepped.
int runField(FaceFormula formulaM, FaceFormula formulaV);

// Scores the pair (M text, V text): SCORE_NOT_COMPILED (-1) when a formula does not compile,
// SCORE_FAILED (0) when a formula has other than four variables or the field fails, 1 when the
// spread check gives a partial result, PASS_SCORE (4) after printing "*** Passed !!!!! ***".
// Afterwards lastT and fieldReach describe the last field stepped (reach = cycles run) until
// the next call. The texts are only read.
int evaluateFunction(const char *textM, const char *textV);
