// The classes of formulas: which texts the client computes the same values for, bit for bit, so
// that a search needs to evaluate only one pair of every pair of classes.
//
// Addition and multiplication of doubles are commutative bit for bit (only which NaN comes out
// may depend on the order of the operands), and a compiled formula runs every node of the
// simplified tree with the same operation on the same operands (formula_program.h). Two texts
// whose simplified trees differ only by the order of the operands of + and * therefore give
// the same value for every input: the same field at every step, the same score. No other
// identity is used: (a+b)+c and a+(b+c) round differently, and two constants are equal only
// with equal bits.
//
// The key of a formula the compiler takes is two parts, and two formulas share a class only
// when both agree:
// - its canonical text: the simplified tree with every operation in parentheses, the operands
//   of + and * in order of their own canonical texts (recursively, smaller first), a number as
//   '#' and the 16 hex digits of its bits, a named constant, function or variable by its name;
// - the bits of its values at FORMULA_PROBES fixed points (m, M, v, V), with any NaN written as
//   one NaN: the order of the operands may change which NaN an operation passes on, never
//   whether a comparison of the field holds, so it never changes a score.
//
// Contract:
// - classifyFormula(text, checkLibrary, key) says what the client makes of text (FormulaUse).
//   A text the compiler does not compile is given to the library, as the client gives it. With
//   checkLibrary, a text the compiler takes with four variables is also compiled by the library
//   and compared as the compiler's proof compares it (printed tree, variable count, values at
//   the probes, any NaN equal to any NaN); a difference makes it USE_OWN_DIFFERS. key is set
//   for USE_KEYED only. Uses scratch of this module: not reentrant.
// - classOfKey(table, key, newClass): the class the table holds for key; when it holds none,
//   key becomes class newClass and newClass is returned. The table grows as it needs (rarely:
//   its size doubles).
// - classOfFormula(table, text, checkLibrary, newClass, use) classes text and looks its key
//   up: its key's class (newClass when new), newClass for a usable text without a key (a class
//   of its own), -1 for a text whose pairs score "f"; *use receives what classifyFormula said.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/formula_tree.h"

// What the client makes of a text.
enum FormulaUse {
    USE_NOT_COMPILED,     // the library does not compile it: its pairs score "f"
    USE_WRONG_VARIABLES,  // it compiles to other than four variables: its pairs score "f"
    USE_KEYED,            // usable; its class is its key's
    USE_OWN_LEFT,         // usable, a class of its own: left to the library, or too long
    USE_OWN_DIFFERS,      // usable, a class of its own: the compiler and the library disagree
    FORMULA_USES
};

extern const char *const formulaUseNames[FORMULA_USES];

// The probes: m, M, v, V of ordinary, zero and negative, huge and tiny values, the field's
// start, inf and NaN.
constexpr int FORMULA_PROBES = 8;
extern const double formulaProbePoints[FORMULA_PROBES][FORMULA_NAME_SLOTS];

// The longest text classed by its key: a longer one is not taken whole by the client as V
// (client/constants.h, LONGEST_WHOLE_V), so what it scores depends on its side.
constexpr int CLASS_TEXT_MAX = 492;
// A key: the canonical text (at most a '#' and 16 digits, or a name with its parentheses, per
// node), a NUL, and the probe values. A longer canonical text makes a class of its own.
constexpr std::size_t CLASS_KEY_MAX = 16384;

struct FormulaClassKey {
    std::size_t length;         // bytes of `bytes` in use
    char bytes[CLASS_KEY_MAX];  // canonical text, NUL, FORMULA_PROBES values of 8 bytes
};

int classifyFormula(const char *text, int checkLibrary, FormulaClassKey *key);

// Keys to class numbers: an open-addressed table of slots over one arena that holds each key
// once, behind its length.
struct FormulaClassSlot {
    std::uint64_t hash;  // the key's hash
    long cls;            // its class; -1: the slot is empty
    std::size_t at;      // where the key's length and bytes start in the arena
};

struct FormulaClassTable {
    std::vector<FormulaClassSlot> slots;  // a power of two of them, at most half in use
    std::vector<char> arena;
    long used = 0;  // slots in use
};

long classOfKey(FormulaClassTable *table, const FormulaClassKey &key, long newClass);
long classOfFormula(FormulaClassTable *table, const char *text, int checkLibrary, long newClass,
                    int *use);
