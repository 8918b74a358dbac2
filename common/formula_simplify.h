// The library's simplification of a parsed tree, and the variables the simplified tree uses.
//
// simplifyFormula(tree) rewrites the tree as the library does after parsing, children before
// their parent, and sets tree->root to the new root:
// - a function, unary minus or binary operator whose operands are all numbers becomes the
//   number it computes (formula_math.h); named constants are not numbers and never fold;
// - 0+x, x+0, x-0, 1*x, x*1, x/1 and x^1 become x; 0^x becomes 0, 1^x and x^0 become 1 (in
//   this order of checks; -0 counts as 0, and 0*x stays).
// Nodes left out of the new tree stay in the array, unreachable from the root.
//
// formulaVariablesUsed(tree) counts the distinct variables reachable from tree.root: the
// library counts the variables of its simplified tree, so M^0+m+v+V has three.
#pragma once

#include "common/formula_tree.h"

void simplifyFormula(FormulaTree *tree);
int formulaVariablesUsed(const FormulaTree &tree);
