// A formula compiled to straight-line code: what the client runs in its field instead of the
// library's tree walk, with the same values bit for bit.
//
// The program works on an accumulator and a file of registers: 0..3 hold the variables m, M,
// v, V of the run, then come the constants of the tree (numbers, named constants, and +0 for a
// variable of any other name, which the library leaves at 0), then the temporaries where the
// accumulator is kept while the right operand of a binary node is computed. Each operation
// computes one node of the simplified tree from the accumulator and at most two registers, so
// every node is computed by the same operation on the same operands as in the library, and
// the value of the formula ends in the accumulator. A chain like ((c-M)+v)-m is four
// operations. A program is a plain block (FORMULA_PROGRAM_BYTES) that can be copied and kept.
//
// A program runs over a batch of lanes at once, each lane with its own m, M, v, V: each
// operation is one switch and then a plain loop over the lanes, so the cost of reading the
// operation is shared by all the faces of a field step.
//
// Contract:
// - compileFormulaProgram(text, scratch, program): parses (formula_tree.h) into scratch,
//   simplifies (formula_simplify.h), and builds program. FORMULA_OK: program is ready and
//   program->variables is the number of distinct variables the library counts for the text.
//   FORMULA_REFUSED: the library refuses the text too. FORMULA_UNHANDLED: left to the library
//   (see parseFormula; also a program needing more operations or registers than it holds).
//   After FORMULA_OK the scratch tree is the simplified tree; otherwise both are scratch.
// - buildFormulaProgram(tree, program): the program of a simplified tree; FORMULA_OK or
//   FORMULA_UNHANDLED.
// - runFormulaBatch(program, batch, lanes, out): out[i] = the formula's value for lane i, for
//   i < lanes (at most FORMULA_LANES), with m, M, v, V from batch registers 0..3 of the lane,
//   which it leaves as they are. out is the accumulator: no other array of the batch.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/formula_math.h"
#include "common/formula_tree.h"

// Registers and operations of one program. The generator's formulas need at most a dozen of
// each; a text that needs more goes to the library.
constexpr int FORMULA_REGISTER_MAX = 64;
constexpr int FORMULA_OPERATION_MAX = 128;
static_assert(FORMULA_REGISTER_MAX <= 256, "register numbers are bytes");
// Lanes of one batch run: every face of one step of the client's field fits (2 x 201).
constexpr int FORMULA_LANES = 512;

// Operation codes. A binary operator has three forms, by where its operands are: the
// accumulator and a register, a register and the accumulator, two registers.
enum FormulaOpCode : std::uint8_t {
    OP_END,     // the value is in acc
    OP_LOAD,    // acc = r[a]
    OP_STORE,   // r[a] = acc
    OP_NEGATE,  // acc = -acc
    OP_ADD_AR,
    OP_ADD_RA,
    OP_ADD_RR,  // acc = acc + r[a]; acc = r[a] + acc; acc = r[a] + r[b]
    OP_SUBTRACT_AR,
    OP_SUBTRACT_RA,
    OP_SUBTRACT_RR,
    OP_MULTIPLY_AR,
    OP_MULTIPLY_RA,
    OP_MULTIPLY_RR,
    OP_DIVIDE_AR,
    OP_DIVIDE_RA,
    OP_DIVIDE_RR,
    OP_POWER_AR,
    OP_POWER_RA,
    OP_POWER_RR,
    OP_FUNCTION,  // + FormulaFunctionId: acc = function(acc)
};
static_assert(int{OP_FUNCTION} + FORMULA_FUNCTION_COUNT <= 256, "codes are bytes");

struct FormulaOperation {
    std::uint8_t code;  // FormulaOpCode
    std::uint8_t a;     // a register
    std::uint8_t b;     // the second register of the two-register forms
};

struct FormulaProgram {
    double registers[FORMULA_REGISTER_MAX];  // 4 .. constants - 1: the constants' values
    FormulaOperation operations[FORMULA_OPERATION_MAX + 1];  // and OP_END
    int operationCount;                                      // operations before OP_END
    int constants;  // registers below this are variables and constants
    int variables;  // distinct variables of the simplified tree, as the library counts them
};
constexpr std::size_t FORMULA_PROGRAM_BYTES = sizeof(FormulaProgram);

int compileFormulaProgram(const char *text, FormulaTree *scratch, FormulaProgram *program);
int buildFormulaProgram(const FormulaTree &tree, FormulaProgram *program);

// A batch of runs: the registers of every lane, register k of lane i in registers[k][i]. The
// caller sets registers 0..3 (m, M, v, V) of the lanes it runs; a run writes the others.
struct FormulaBatch {
    double registers[FORMULA_REGISTER_MAX][FORMULA_LANES];
};

void runFormulaBatch(const FormulaProgram &program, FormulaBatch *batch, int lanes, double *out);
