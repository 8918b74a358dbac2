// The library's simplification rules, applied bottom-up over the node array.
#include "common/formula_simplify.h"

#include "common/formula_math.h"

namespace {

bool isNumber(const FormulaNode &node, double value) {
    return node.kind == FORMULA_NUMBER && node.value == value;
}

// Turns node i into the number value; result i.
int becomeNumber(FormulaTree *tree, int i, double value) {
    FormulaNode &node = tree->nodes[i];
    node.kind = FORMULA_NUMBER;
    node.value = value;
    node.left = node.right = -1;
    return i;
}

// The simplified form of the subtree at i: the index of its new root.
int simplify(FormulaTree *tree, int i) {
    FormulaNode &node = tree->nodes[i];
    if (node.kind <= FORMULA_VARIABLE) return i;
    node.left = static_cast<std::int16_t>(simplify(tree, node.left));
    const FormulaNode &left = tree->nodes[node.left];
    if (node.kind == FORMULA_FUNCTION || node.kind == FORMULA_NEGATE) {
        if (left.kind != FORMULA_NUMBER) return i;
        double value =
            node.kind == FORMULA_NEGATE ? -left.value : formulaFunction(node.which, left.value);
        return becomeNumber(tree, i, value);
    }
    node.right = static_cast<std::int16_t>(simplify(tree, node.right));
    const FormulaNode &right = tree->nodes[node.right];
    if (left.kind == FORMULA_NUMBER && right.kind == FORMULA_NUMBER)
        return becomeNumber(tree, i, formulaBinary(node.kind, left.value, right.value));
    switch (node.kind) {
        case FORMULA_ADD:
            if (isNumber(left, 0)) return node.right;
            return isNumber(right, 0) ? node.left : i;
        case FORMULA_SUBTRACT:
            return isNumber(right, 0) ? node.left : i;
        case FORMULA_MULTIPLY:
            if (isNumber(left, 1)) return node.right;
            return isNumber(right, 1) ? node.left : i;
        case FORMULA_DIVIDE:
            return isNumber(right, 1) ? node.left : i;
        default:  // FORMULA_POWER
            if (isNumber(left, 0)) return becomeNumber(tree, i, 0.0);
            if (isNumber(left, 1) || isNumber(right, 0)) return becomeNumber(tree, i, 1.0);
            return isNumber(right, 1) ? node.left : i;
    }
}

// Marks the variables reachable from i in used.
void markVariables(const FormulaTree &tree, int i, bool *used) {
    const FormulaNode &node = tree.nodes[i];
    if (node.kind == FORMULA_VARIABLE) used[node.which] = true;
    if (node.left >= 0) markVariables(tree, node.left, used);
    if (node.right >= 0) markVariables(tree, node.right, used);
}

}  // namespace

void simplifyFormula(FormulaTree *tree) { tree->root = simplify(tree, tree->root); }

int formulaVariablesUsed(const FormulaTree &tree) {
    bool used[FORMULA_VARIABLE_MAX] = {};
    markVariables(tree, tree.root, used);
    int count = 0;
    for (int i = 0; i < tree.variableCount; ++i) count += used[i];
    return count;
}
