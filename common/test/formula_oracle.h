// The expression library as the oracle of the formula compiler, for its tests and its proof.
//
// judgeFormula(text) compiles text with the library and with the formula compiler and compares
// what they make of it: whether they refuse it, the printed tree, the exact value of every
// constant of the tree (the library prints six digits, so the library evaluates each
// constant's own text), the variable count, and the values at fixed points bit for bit (any
// NaN equals any NaN: which NaN an operation passes on may depend on the order of its
// operands). Result: the first FormulaVerdict that applies, checked in the order below.
#pragma once

// AGREE_FOUR and AGREE_OTHER: both compile the text, to four variables or another count, and
// agree. LEFT: the compiler leaves the text to the library. DIFFER_... and WE_...: a
// disagreement (WE_REFUSE: the library compiles the text and the compiler refuses it;
// WE_COMPILE: the other way round).
enum FormulaVerdict {
    AGREE_FOUR,
    AGREE_OTHER,
    REFUSED_BOTH,
    LEFT,
    DIFFER_PRINTED,
    DIFFER_CONSTANT,
    DIFFER_VARIABLES,
    DIFFER_VALUE,
    WE_REFUSE,
    WE_COMPILE,
    FORMULA_VERDICTS
};

extern const char *const formulaVerdictNames[FORMULA_VERDICTS];

int judgeFormula(const char *text);
