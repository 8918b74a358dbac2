// The oracles of the client's scorer and the pair corpus it is checked on.
//
// literalEvaluate(M text, V text) is the literal field simulation: it fills both whole fields,
// compiles both formulas and steps all 998 inner cells in every cycle, exactly as the scoring
// rules read, with nothing kept from one call to the next. It returns the pair's result (-1,
// 0, 1 or 4) and prints "*** Passed !!!!! ***" on a pass. Afterwards literalLastT points at
// its newest field and literalCycles holds the number of steps it ran, until the next call.
// It binds the variables through the client's name table: setupClientState() comes first.
//
// libraryEvaluate(M text, V text) is the scorer as it was before the formula compiler: the
// client's field (runField) with both formulas compiled and evaluated by the library, M kept
// while its text stays the same. Its result, output and field state are those of
// evaluateFunction.
//
// sameAsLibrary(M text, V text, &result) scores the pair with libraryEvaluate and then with
// evaluateFunction (its result in *result), recording the zone of every step; 1 when both
// give the same result and every step the same field bit for bit (any NaN equals any NaN),
// else 0. Afterwards lastT and fieldReach describe evaluateFunction's field.
//
// sameAsClassPair(M, V, class M, class V, &result) scores (class M, class V) and then (M, V)
// with evaluateFunction (its result in *result), recording the zone of every step; 1 when both
// give the same result and every step the same field bit for bit (any NaN equals any NaN).
//
// formulaClasses(texts, &classOf) sorts texts into their classes (common/formula_class.h):
// the members of each class in text order, classes in order of their first members; classOf
// receives each text's class, -1 for a text whose pairs score "f".
//
// loadCorpus() reads client/test/pairs.txt, one pair "M V" per line (formulas contain no
// blank), grouped by M as the coordinator sends pairs. Built from the four variables, the
// operators, the generator's constants (three with U+2212 as exponent sign) and function
// names, it has passing pairs (some at cycle 16), pairs failing each check, texts that do not
// compile, texts with N or loge, and values overflowing to inf or NaN. The pairs come in file
// order; none when the file cannot be read.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "client/state.h"

extern const Cell *literalLastT;
extern int literalCycles;

int literalEvaluate(const char *textM, const char *textV);
int libraryEvaluate(const char *textM, const char *textV);
int sameAsLibrary(const char *textM, const char *textV, int *result);
int sameAsClassPair(const char *textM, const char *textV, const char *classM, const char *classV,
                    int *result);

std::vector<std::vector<int>> formulaClasses(const std::vector<std::string> &texts,
                                             std::vector<int> *classOf);

std::vector<std::pair<std::string, std::string>> loadCorpus();
