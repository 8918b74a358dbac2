// The literal field simulation, kept as the oracle for the client's scorer: it fills both
// whole fields, compiles both formulas and steps all 998 inner cells in every cycle, exactly
// as the scoring rules read, with nothing kept from one call to the next.
//
// literalEvaluate(M text, V text) returns the pair's result (-1, 0, 1 or 4) and prints
// "*** Passed !!!!! ***" on a pass. Afterwards literalLastT points at its newest field and
// literalCycles holds the number of steps it ran, until the next call.
#pragma once

#include "state.h"

extern const Cell *literalLastT;
extern int literalCycles;

int literalEvaluate(const char *textM, const char *textV);
