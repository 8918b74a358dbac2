// The tree of a formula as the expression library (GNU libmatheval) builds it, and its parser.
//
// The library reads a text with a small grammar: numbers, thirteen named constants, 32
// functions applied as name(argument), any other identifier as a variable, unary minus and the
// binary operators + - * / ^ (+ and - lowest, then * and /, then unary minus, then ^; every
// binary operator groups from the left, so 2^3^2 is (2^3)^2 and -2^2 is -(2^2)). It then
// simplifies the tree (formula_simplify.cpp) and evaluates it node by node. The tree here is
// that tree, node for node, so that a program built from it (formula_program.h) computes what
// the library computes, and prints as the library prints it (formula_print.h).
//
// A tree is one fixed block: the text, the nodes in an array, children by index. Nothing is
// allocated; a caller keeps one tree as scratch and parses into it again and again.
//
// Contract of parseFormula(text, tree):
// - FORMULA_OK: tree holds the text's tree as the library's parser builds it, before any
//   simplification (root, nodes, variables); every node records the bytes of the text it came
//   from (begin, end).
// - FORMULA_REFUSED: the library's grammar does not derive the text (a syntax error): the
//   library refuses it too.
// - FORMULA_UNHANDLED: the text holds something this parser leaves to the library: a byte no
//   rule of the library's scanner reads (the library prints such bytes and skips them), a line
//   end, or more text or variables than a tree holds.
// The tree is scratch in every case; only FORMULA_OK leaves it meaningful.
#pragma once

#include <cstdint>

// ---- Sizes. The client's formulas are at most 495 characters (FORMULA_BUF_SIZE less the
// NUL); every node takes at least one character of the text, so a tree holds a node per byte.
constexpr int FORMULA_TEXT_MAX = 511;               // longest text parsed
constexpr int FORMULA_NODE_MAX = FORMULA_TEXT_MAX;  // nodes of one tree
constexpr int FORMULA_VARIABLE_MAX = 32;            // distinct variable names of one tree
constexpr int FORMULA_NAME_SLOTS = 4;               // m, M, v, V: the names the client binds

// ---- Results of parsing and compiling.
constexpr int FORMULA_OK = 0;
constexpr int FORMULA_REFUSED = 1;    // a syntax error: the library refuses the text too
constexpr int FORMULA_UNHANDLED = 2;  // left to the library

// The kinds of node. Binary operators have left and right children, a function and unary
// minus a left child only; leaves have none.
enum FormulaKind : std::uint8_t {
    FORMULA_NUMBER,    // a number of the text, or a folded subtree: value
    FORMULA_CONSTANT,  // a named constant: which (FormulaConstantId), value
    FORMULA_VARIABLE,  // which: index into the tree's variables
    FORMULA_FUNCTION,  // which (FormulaFunctionId) applied to left
    FORMULA_NEGATE,    // unary minus of left
    FORMULA_ADD,
    FORMULA_SUBTRACT,
    FORMULA_MULTIPLY,
    FORMULA_DIVIDE,
    FORMULA_POWER,
};

// The library's named constants, in its order.
enum FormulaConstantId : std::uint8_t {
    CONST_E,
    CONST_LOG2E,
    CONST_LOG10E,
    CONST_LN2,
    CONST_LN10,
    CONST_PI,
    CONST_PI_2,
    CONST_PI_4,
    CONST_1_PI,
    CONST_2_PI,
    CONST_2_SQRTPI,
    CONST_SQRT2,
    CONST_SQRT1_2,
    FORMULA_CONSTANT_COUNT
};

// The library's functions, in its order.
enum FormulaFunctionId : std::uint8_t {
    FN_EXP,
    FN_LOG,
    FN_SQRT,
    FN_SIN,
    FN_COS,
    FN_TAN,
    FN_COT,
    FN_SEC,
    FN_CSC,
    FN_ASIN,
    FN_ACOS,
    FN_ATAN,
    FN_ACOT,
    FN_ASEC,
    FN_ACSC,
    FN_SINH,
    FN_COSH,
    FN_TANH,
    FN_COTH,
    FN_SECH,
    FN_CSCH,
    FN_ASINH,
    FN_ACOSH,
    FN_ATANH,
    FN_ACOTH,
    FN_ASECH,
    FN_ACSCH,
    FN_ABS,
    FN_STEP,
    FN_DELTA,
    FN_NANDELTA,
    FN_ERF,
    FORMULA_FUNCTION_COUNT
};

extern const char *const formulaConstantNames[FORMULA_CONSTANT_COUNT];
extern const double formulaConstantValues[FORMULA_CONSTANT_COUNT];
extern const char *const formulaFunctionNames[FORMULA_FUNCTION_COUNT];

struct FormulaNode {
    double value;  // NUMBER and CONSTANT: the exact value the library uses
    FormulaKind kind;
    std::uint8_t which;  // CONSTANT, FUNCTION: its id; VARIABLE: its index in variables
    std::int16_t left;   // child of FUNCTION and NEGATE, left operand of a binary node; else -1
    std::int16_t right;  // right operand of a binary node; else -1
    std::int16_t begin;  // the node came from text[begin, end): the subtree's tokens
    std::int16_t end;
};

struct FormulaVariable {
    std::int16_t begin;  // the name: text[begin, begin + length), first place it is written
    std::int16_t length;
    std::int8_t slot;  // 0..3 for m, M, v, V (the client's binding order); -1 for another
};

struct FormulaTree {
    char text[FORMULA_TEXT_MAX + 1];  // the text parsed, with its NUL
    FormulaNode nodes[FORMULA_NODE_MAX];
    int nodeCount;  // nodes in use, 0..FORMULA_NODE_MAX
    int root;       // index of the root; after simplifyFormula, the new root
    FormulaVariable variables[FORMULA_VARIABLE_MAX];  // distinct names, in order of appearance
    int variableCount;  // names in the text as written, before simplification
};

int parseFormula(const char *text, FormulaTree *tree);
