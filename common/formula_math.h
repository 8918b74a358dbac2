// The library's arithmetic, operation by operation: the C library call or operator it applies
// to a node, with its own definitions of the functions the C library lacks (cot, sec, the
// inverse hyperbolic functions written through log, step, delta, nandelta). Folding constants
// (formula_simplify.cpp) and running programs (formula_program.h) both compute through these,
// so a folded constant is the double the library folds, and a program's value the double the
// library's tree evaluates to. The build keeps the compiler from fusing a multiply and an add
// (-ffp-contract=off), as the library's own build does not fuse them.
#pragma once

#include <cmath>

#include "common/formula_tree.h"

// The library's inverse hyperbolic cosine and sine, also used for asech and acsch.
inline double formulaAcosh(double x) { return std::log(x + std::sqrt(x * x - 1)); }
inline double formulaAsinh(double x) { return std::log(x + std::sqrt(x * x + 1)); }

// Function `which` (FormulaFunctionId) of x.
inline double formulaFunction(int which, double x) {
    switch (which) {
        case FN_EXP:
            return std::exp(x);
        case FN_LOG:
            return std::log(x);
        case FN_SQRT:
            return std::sqrt(x);
        case FN_SIN:
            return std::sin(x);
        case FN_COS:
            return std::cos(x);
        case FN_TAN:
            return std::tan(x);
        case FN_COT:
            return 1 / std::tan(x);
        case FN_SEC:
            return 1 / std::cos(x);
        case FN_CSC:
            return 1 / std::sin(x);
        case FN_ASIN:
            return std::asin(x);
        case FN_ACOS:
            return std::acos(x);
        case FN_ATAN:
            return std::atan(x);
        case FN_ACOT:
            return std::atan(1 / x);
        case FN_ASEC:
            return std::acos(1 / x);
        case FN_ACSC:
            return std::asin(1 / x);
        case FN_SINH:
            return std::sinh(x);
        case FN_COSH:
            return std::cosh(x);
        case FN_TANH:
            return std::tanh(x);
        case FN_COTH:
            return 1 / std::tanh(x);
        case FN_SECH:
            return 1 / std::cosh(x);
        case FN_CSCH:
            return 1 / std::sinh(x);
        case FN_ASINH:
            return formulaAsinh(x);
        case FN_ACOSH:
            return formulaAcosh(x);
        case FN_ATANH:
            return 0.5 * std::log((1 + x) / (1 - x));
        case FN_ACOTH:
            return 0.5 * std::log((x + 1) / (x - 1));
        case FN_ASECH:
            return formulaAcosh(1 / x);
        case FN_ACSCH:
            return formulaAsinh(1 / x);
        case FN_ABS:
            return std::fabs(x);
        case FN_STEP:
            return std::isnan(x) ? x : x < 0 ? 0 : 1;
        case FN_DELTA:
            return std::isnan(x) ? x : x == 0 ? HUGE_VAL : 0;
        case FN_NANDELTA:
            return std::isnan(x) ? x : x == 0 ? NAN : 0;
        default:
            return std::erf(x);  // FN_ERF
    }
}

// The binary operator `kind` (FORMULA_ADD .. FORMULA_POWER) of a and b.
inline double formulaBinary(int kind, double a, double b) {
    switch (kind) {
        case FORMULA_ADD:
            return a + b;
        case FORMULA_SUBTRACT:
            return a - b;
        case FORMULA_MULTIPLY:
            return a * b;
        case FORMULA_DIVIDE:
            return a / b;
        default:
            return std::pow(a, b);  // FORMULA_POWER
    }
}
