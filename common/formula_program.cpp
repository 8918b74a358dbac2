// Building a program from a simplified tree: registers for the variables and constants, and
// one operation per inner node in post-order, temporaries reused as a stack.
#include "formula_program.h"

#include <cstring>

#include "formula_simplify.h"

namespace {

struct Builder {
    const FormulaTree &tree;
    FormulaProgram *program;
    int constants;  // registers FORMULA_NAME_SLOTS .. constants - 1 hold constants
    bool full;      // the program ran out of operations or registers
};

// The register holding the constant value, added when new (equal bits share one).
int constantRegister(Builder &b, double value) {
    double *registers = b.program->registers;
    for (int r = FORMULA_NAME_SLOTS; r < b.constants; ++r) {
        if (std::memcmp(&registers[r], &value, sizeof value) == 0) return r;
    }
    if (b.constants == FORMULA_REGISTER_MAX) {
        b.full = true;
        return 0;
    }
    registers[b.constants] = value;
    return b.constants++;
}

// Collects the constants of the subtree at i into registers.
void collectConstants(Builder &b, int i) {
    const FormulaNode &node = b.tree.nodes[i];
    if (node.kind == FORMULA_NUMBER || node.kind == FORMULA_CONSTANT) constantRegister(b, node.value);
    if (node.kind == FORMULA_VARIABLE && b.tree.variables[node.which].slot < 0)
        constantRegister(b, 0.0);
    if (node.left >= 0) collectConstants(b, node.left);
    if (node.right >= 0) collectConstants(b, node.right);
}

// Emits the operations of the subtree at i, using temporaries from `free` on; result: the
// register that holds its value.
int emit(Builder &b, int i, int free) {
    const FormulaNode &node = b.tree.nodes[i];
    switch (node.kind) {
    case FORMULA_NUMBER:
    case FORMULA_CONSTANT: return constantRegister(b, node.value);
    case FORMULA_VARIABLE: {
        int slot = b.tree.variables[node.which].slot;
        return slot >= 0 ? slot : constantRegister(b, 0.0);
    }
    default: break;
    }
    int a = emit(b, node.left, free);
    int operand = 0;
    if (node.right >= 0) operand = emit(b, node.right, a == free ? free + 1 : free);
    if (free >= FORMULA_REGISTER_MAX || b.program->operationCount == FORMULA_OPERATION_MAX) {
        b.full = true;
        return free;
    }
    FormulaOperation &op = b.program->operations[b.program->operationCount++];
    int code = node.kind;
    if (node.kind == FORMULA_NEGATE) code = FORMULA_OP_NEGATE;
    if (node.kind == FORMULA_FUNCTION) code = FORMULA_OP_FUNCTION + node.which;
    op.code = static_cast<std::uint8_t>(code);
    op.target = static_cast<std::uint8_t>(free);
    op.a = static_cast<std::uint8_t>(a);
    op.b = static_cast<std::uint8_t>(operand);
    return free;
}

}  // namespace

int buildFormulaProgram(const FormulaTree &tree, FormulaProgram *program) {
    Builder b{tree, program, FORMULA_NAME_SLOTS, false};
    program->operationCount = 0;
    program->variables = formulaVariablesUsed(tree);
    collectConstants(b, tree.root);
    if (b.full) return FORMULA_UNHANDLED;
    program->result = emit(b, tree.root, b.constants);
    return b.full ? FORMULA_UNHANDLED : FORMULA_OK;
}

int compileFormulaProgram(const char *text, FormulaTree *scratch, FormulaProgram *program) {
    int status = parseFormula(text, scratch);
    if (status != FORMULA_OK) return status;
    simplifyFormula(scratch);
    return buildFormulaProgram(*scratch, program);
}
