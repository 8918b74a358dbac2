// The generation cycle: the generator's only producer of formulas. Each call of zindel
// continues where the previous one stopped: it hands out the next decorated formula of the
// current raw candidate's run, or draws the next raw candidate that preTest accepts.
// Owns test_F, oldFormula, presConstantNum, presFunctNum and drawFast (state.h); drawFast is
// set by resetCycle alone.
//
// A raw candidate X yields, in this order:
//   neither n nor '(':  X                                                     (1 formula)
//   '(' but no n:       X, X{fun 1} .. X{fun 30}                              (31)
//   n but no '(':       X{const 0} .. X{const 18}                             (19)
//   n and '(':          X{const 0}; X{fun 1, const 1..18}; X{fun 1, const 1};
//                       for j = 2..30: X{fun j, const 2..18}, X{fun j, const 1};
//                       X{const 2} .. X{const 18}                             (559)
// where the constant replaces the first placeholder, every further placeholder becomes 1,
// and the function is inserted before the first '('.
#pragma once

// Starts the cycle from the beginning: no raw candidate, nothing pending, the odometer
// cleared. `fast` fixes how raw candidates are drawn until the next reset: 1 by seekAccepted
// (the program, always), 0 by stepping the odometer literally (the oracle tests compare with).
void resetCycle(int fast);

// Forgets the current raw candidate and anything pending; the odometer stays (the resume
// rebuilds it).
void clearCycle();

// reset == 1: start from the beginning, drawing fast (resetCycle(1)); returns the empty text.
// reset == 2: resume after the formula startF (resume.cpp); returns test_F holding the
//             rebuilt raw candidate, or the text "error" when startF cannot be read.
// otherwise:  returns the next formula.
// The text stays valid until the next call. startF is read only when reset is 2.
char *zindel(unsigned char reset, char *startF);

// Turns every leftover placeholder n of a decorated text into the digit 1, keeping the
// letters of inserted function names and of the constant ln2.
void replacePlaceholders(char *formula);
