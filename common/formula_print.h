// The printed form of a simplified tree, as the library's evaluator_get_string writes it: every
// operation in parentheses ("(M+(-V))"), functions as name(argument), named constants and
// variables by name, numbers with printf's "%g" (six significant digits) and a negative
// number in parentheses ("(-2)"; -0 and NaN are not below zero and have none).
//
// printFormula(tree, out, size) writes the form of the tree at tree.root into out with its
// NUL. Result: its length, or -1 when it needs more than size bytes (out then holds a cut
// prefix). Only for inspection and proof: the text can be several times the formula's length.
#pragma once

#include <cstddef>

#include "common/formula_tree.h"

int printFormula(const FormulaTree &tree, char *out, std::size_t size);
