// Grouping the pairs of a results page: pairs whose M formulas share a class and whose V
// formulas share a class (common/formula_class.h) are one class pair, scored once, since the
// client gives all of them the same field at every step; class pairs whose fields agree to
// FAMILY_DIGITS significant digits at every step are one behaviour family, drawn once.
//
// Contract:
// - formulaClass(classes, text) is the class of a formula text: texts of one key share one,
//   and a text without a key (it does not compile, has other than four variables, or is left
//   to the library) is a class of its own. Classes are numbered 0, 1, ... as first seen.
// - fieldFamily(inspection) is the fingerprint of the field just inspected (recordTbl, see
//   inspector/state.h): its score, its steps and every value of its zone at every step,
//   written with FAMILY_DIGITS significant digits. Two fields with the same fingerprint look
//   the same; a field that did not run is known by its score and reason.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "common/formula_class.h"
#include "inspector/inspect.h"

struct FormulaClasses {
    FormulaClassTable table;                      // keys to classes
    std::unordered_map<std::string, long> known;  // texts already classed
    long next = 0;                                // the number of the next new class
};

long formulaClass(FormulaClasses *classes, const std::string &text);
std::uint64_t fieldFamily(const Inspection &inspection);
