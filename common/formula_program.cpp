// Building a program from a simplified tree: registers for the variables and constants, and
// one operation per inner node in post-order, left operand before right.
#include "common/formula_program.h"

#include <bit>

#include "common/formula_simplify.h"

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
        if (std::bit_cast<std::uint64_t>(registers[r]) == std::bit_cast<std::uint64_t>(value))
            return r;
    }
    if (b.constants == FORMULA_REGISTER_MAX) {
        b.full = true;
        return 0;
    }
    registers[b.constants] = value;
    return b.constants++;
}

// The register of a leaf (a variable or a constant), or -1 for an inner node.
int leafRegister(Builder &b, int i) {
    const FormulaNode &node = b.tree.nodes[i];
    if (node.kind == FORMULA_NUMBER || node.kind == FORMULA_CONSTANT)
        return constantRegister(b, node.value);
    if (node.kind != FORMULA_VARIABLE) return -1;
    int slot = b.tree.variables[node.which].slot;
    return slot >= 0 ? slot : constantRegister(b, 0.0);
}

// Gives every leaf of the subtree at i its register, so that temporaries come after them.
void collectLeaves(Builder &b, int i) {
    const FormulaNode &node = b.tree.nodes[i];
    if (leafRegister(b, i) >= 0) return;
    collectLeaves(b, node.left);
    if (node.right >= 0) collectLeaves(b, node.right);
}

void add(Builder &b, int code, int a, int second = 0) {
    if (b.program->operationCount == FORMULA_OPERATION_MAX || a >= FORMULA_REGISTER_MAX) {
        b.full = true;
        return;
    }
    FormulaOperation &op = b.program->operations[b.program->operationCount++];
    op.code = static_cast<std::uint8_t>(code);
    op.a = static_cast<std::uint8_t>(a);
    op.b = static_cast<std::uint8_t>(second);
}

// Emits the operations that leave the value of the subtree at i in the accumulator, keeping
// it in temporaries from register `free` on while a right operand is computed.
void emit(Builder &b, int i, int free) {
    const FormulaNode &node = b.tree.nodes[i];
    int leaf = leafRegister(b, i);
    if (leaf >= 0) return add(b, OP_LOAD, leaf);
    if (node.kind == FORMULA_NEGATE || node.kind == FORMULA_FUNCTION) {
        emit(b, node.left, free);
        return add(b, node.kind == FORMULA_NEGATE ? OP_NEGATE : OP_FUNCTION + node.which, 0);
    }
    // The three forms of each operator follow each other: acc-register, register-acc, two
    // registers.
    int forms = OP_ADD_AR + 3 * (node.kind - FORMULA_ADD);
    int left = leafRegister(b, node.left);
    int right = leafRegister(b, node.right);
    if (left >= 0 && right >= 0) return add(b, forms + 2, left, right);
    if (right >= 0) {
        emit(b, node.left, free);
        return add(b, forms, right);
    }
    if (left < 0) {
        emit(b, node.left, free);
        add(b, OP_STORE, free);
        left = free++;
    }
    emit(b, node.right, free);
    add(b, forms + 1, left);
}

}  // namespace

int buildFormulaProgram(const FormulaTree &tree, FormulaProgram *program) {
    Builder b{tree, program, FORMULA_NAME_SLOTS, false};
    program->operationCount = 0;
    program->variables = formulaVariablesUsed(tree);
    collectLeaves(b, tree.root);
    program->constants = b.constants;
    if (!b.full) emit(b, tree.root, b.constants);
    program->operations[program->operationCount] = {OP_END, 0, 0};
    return b.full ? FORMULA_UNHANDLED : FORMULA_OK;
}

void runFormulaBatch(const FormulaProgram &program, FormulaBatch *batch, int lanes, double *acc) {
    double(*r)[FORMULA_LANES] = batch->registers;
    for (int k = FORMULA_NAME_SLOTS; k < program.constants; ++k)
        for (int i = 0; i < lanes; ++i) r[k][i] = program.registers[k];
    // Each operation is acc[i] = f(i) for every lane.
    auto each = [acc, lanes](auto f) {
        for (int i = 0; i < lanes; ++i) acc[i] = f(i);
    };
    for (const FormulaOperation *op = program.operations;; ++op) {
        double *a = r[op->a];
        const double *b = r[op->b];
        switch (op->code) {
            case OP_END:
                return;
            case OP_LOAD:
                each([=](int i) { return a[i]; });
                break;
            case OP_STORE:
                for (int i = 0; i < lanes; ++i) a[i] = acc[i];
                break;
            case OP_NEGATE:
                each([=](int i) { return -acc[i]; });
                break;
            case OP_ADD_AR:
                each([=](int i) { return acc[i] + a[i]; });
                break;
            case OP_ADD_RA:
                each([=](int i) { return a[i] + acc[i]; });
                break;
            case OP_ADD_RR:
                each([=](int i) { return a[i] + b[i]; });
                break;
            case OP_SUBTRACT_AR:
                each([=](int i) { return acc[i] - a[i]; });
                break;
            case OP_SUBTRACT_RA:
                each([=](int i) { return a[i] - acc[i]; });
                break;
            case OP_SUBTRACT_RR:
                each([=](int i) { return a[i] - b[i]; });
                break;
            case OP_MULTIPLY_AR:
                each([=](int i) { return acc[i] * a[i]; });
                break;
            case OP_MULTIPLY_RA:
                each([=](int i) { return a[i] * acc[i]; });
                break;
            case OP_MULTIPLY_RR:
                each([=](int i) { return a[i] * b[i]; });
                break;
            case OP_DIVIDE_AR:
                each([=](int i) { return acc[i] / a[i]; });
                break;
            case OP_DIVIDE_RA:
                each([=](int i) { return a[i] / acc[i]; });
                break;
            case OP_DIVIDE_RR:
                each([=](int i) { return a[i] / b[i]; });
                break;
            case OP_POWER_AR:
                each([=](int i) { return std::pow(acc[i], a[i]); });
                break;
            case OP_POWER_RA:
                each([=](int i) { return std::pow(a[i], acc[i]); });
                break;
            case OP_POWER_RR:
                each([=](int i) { return std::pow(a[i], b[i]); });
                break;
            default: {
                int which = op->code - OP_FUNCTION;
                each([=](int i) { return formulaFunction(which, acc[i]); });
            }
        }
    }
}

int compileFormulaProgram(const char *text, FormulaTree *scratch, FormulaProgram *program) {
    int status = parseFormula(text, scratch);
    if (status != FORMULA_OK) return status;
    simplifyFormula(scratch);
    return buildFormulaProgram(*scratch, program);
}
