// Decoration of raw candidates: a constant in place of the first placeholder n, a function
// name before the first opening parenthesis, and the test whether a letter belongs to an
// inserted function name. Owns tmpStr, constantTbl and functTbl; reads presConstantNum and
// presFunctNum (owned by the generation cycle) for their limits and messages.
#pragma once

#include "generator/constants.h"

// Constants inserted for a placeholder, byte for byte (three use U+2212 before the exponent).
extern const char *const constantTbl[CONSTANT_TBL_SIZE];
// Names of the expression library's functions, inserted before a parenthesised group.
extern const char *const functTbl[FUNCT_TBL_SIZE];

// Copies formula into tmpStr with constantTbl[constNum] in place of its first 'n' (an
// unchanged copy if it has none) and returns tmpStr, valid until the next insertion.
// Fails when presConstantNum > 18, constNum is outside 0..18, or the lengths of text and
// constant add up to 120 bytes or more: prints "addConstant failed. ..." and exits with 0.
char *addConstant(char *formula, int constNum);

// Copies formula into tmpStr with functTbl[functNum] inserted before its first '(' and
// returns tmpStr, valid until the next insertion. Fails like addConstant, on presFunctNum >
// 30, functNum outside 0..30 or 120 bytes or more: prints "addFunct failed. ..." and exits 0.
char *addFunct(char *formula, int functNum);

// 1 if the character at strPtr (a position inside str) lies inside an occurrence of a
// functTbl name in str, else 0.
int isFunctName(char *str, char *strPtr);
