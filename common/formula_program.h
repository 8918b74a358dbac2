// A formula compiled to straight-line code: what the client runs in its field instead of the
// library's tree walk, with the same values bit for bit.
//
// The program works on a file of registers: 0..3 hold the variables m, M, v, V of the run,
// then come the constants of the tree (numbers, named constants, and +0 for a variable of any
// other name, which the library leaves at 0), then temporaries. Each operation reads one or
// two registers and writes one: the simplified tree in post-order, left before right, so
// every node is computed by the same operation on the same operands as in the library.
// Running one costs a switch per operation and nothing else; a program is a plain block
// (FORMULA_PROGRAM_BYTES) that can be copied and kept.
//
// Contract:
// - compileFormulaProgram(text, scratch, program): parses (formula_tree.h) into scratch,
//   simplifies, and builds program. FORMULA_OK: program is ready and program->variables is
//   the number of distinct variables the library counts for the text. FORMULA_REFUSED: the
//   library refuses the text too. FORMULA_UNHANDLED: left to the library (see parseFormula;
//   also a program needing more operations or registers than it holds). After FORMULA_OK the
//   scratch tree is the simplified tree; otherwise both are scratch.
// - buildFormulaProgram(tree, program): the program of a simplified tree; FORMULA_OK or
//   FORMULA_UNHANDLED.
// - runFormulaProgram(program, values): the formula's value for m, M, v, V = values[0..3].
//   It writes the program's registers, so a program is run by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formula_math.h"
#include "formula_tree.h"

// Registers and operations of one program. The generator's formulas need at most a dozen of
// each; a text that needs more goes to the library.
constexpr int FORMULA_REGISTER_MAX = 64;
constexpr int FORMULA_OPERATION_MAX = 128;
static_assert(FORMULA_REGISTER_MAX <= 256, "register numbers are bytes");

// Operation codes: the binary operators keep their node kinds, then unary minus, then one
// code per function.
constexpr std::uint8_t FORMULA_OP_NEGATE = FORMULA_POWER + 1;
constexpr std::uint8_t FORMULA_OP_FUNCTION = FORMULA_OP_NEGATE + 1;  // + FormulaFunctionId

struct FormulaOperation {
    std::uint8_t code;  // FORMULA_ADD .. FORMULA_POWER, FORMULA_OP_NEGATE, or a function's code
    std::uint8_t target;
    std::uint8_t a;     // the operand, or the left one
    std::uint8_t b;     // the right operand of a binary operator
};

struct FormulaProgram {
    double registers[FORMULA_REGISTER_MAX];
    FormulaOperation operations[FORMULA_OPERATION_MAX];
    int operationCount;
    int result;     // the register that holds the value after the last operation
    int variables;  // distinct variables of the simplified tree, as the library counts them
};
constexpr std::size_t FORMULA_PROGRAM_BYTES = sizeof(FormulaProgram);

int compileFormulaProgram(const char *text, FormulaTree *scratch, FormulaProgram *program);
int buildFormulaProgram(const FormulaTree &tree, FormulaProgram *program);

inline double runFormulaProgram(FormulaProgram *program, const double *values) {
    double *r = program->registers;
    r[0] = values[0];
    r[1] = values[1];
    r[2] = values[2];
    r[3] = values[3];
    const FormulaOperation *op = program->operations;
    for (const FormulaOperation *end = op + program->operationCount; op != end; ++op) {
        switch (op->code) {
        case FORMULA_ADD: r[op->target] = r[op->a] + r[op->b]; break;
        case FORMULA_SUBTRACT: r[op->target] = r[op->a] - r[op->b]; break;
        case FORMULA_MULTIPLY: r[op->target] = r[op->a] * r[op->b]; break;
        case FORMULA_DIVIDE: r[op->target] = r[op->a] / r[op->b]; break;
        case FORMULA_POWER: r[op->target] = std::pow(r[op->a], r[op->b]); break;
        case FORMULA_OP_NEGATE: r[op->target] = -r[op->a]; break;
        default: r[op->target] = formulaFunction(op->code - FORMULA_OP_FUNCTION, r[op->a]);
        }
    }
    return r[program->result];
}
