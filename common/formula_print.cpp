// Writing a tree in the library's printed form.
#include "common/formula_print.h"

#include <cstdio>
#include <cstring>

namespace {

struct Writer {
    char *out;
    std::size_t size;
    std::size_t length;  // characters of the whole form so far; those below size - 1 are written
};

void put(Writer &w, const char *text, std::size_t length) {
    for (std::size_t k = 0; k < length; ++k, ++w.length) {
        if (w.length + 1 < w.size) w.out[w.length] = text[k];
    }
}

void put(Writer &w, const char *text) { put(w, text, std::strlen(text)); }

void write(Writer &w, const FormulaTree &tree, int i) {
    static const char operators[] = "+-*/^";
    const FormulaNode &node = tree.nodes[i];
    switch (node.kind) {
        case FORMULA_NUMBER: {
            char number[64];
            std::snprintf(number, sizeof number, node.value < 0 ? "(%g)" : "%g", node.value);
            put(w, number);
            return;
        }
        case FORMULA_CONSTANT:
            put(w, formulaConstantNames[node.which]);
            return;
        case FORMULA_VARIABLE: {
            const FormulaVariable &var = tree.variables[node.which];
            put(w, tree.text + var.begin, var.length);
            return;
        }
        case FORMULA_FUNCTION:
            put(w, formulaFunctionNames[node.which]);
            put(w, "(");
            break;
        case FORMULA_NEGATE:
            put(w, "(-");
            break;
        default:
            put(w, "(");
    }
    write(w, tree, node.left);
    if (node.right >= 0) {
        put(w, &operators[node.kind - FORMULA_ADD], 1);
        write(w, tree, node.right);
    }
    put(w, ")");
}

}  // namespace

int printFormula(const FormulaTree &tree, char *out, std::size_t size) {
    Writer w{out, size, 0};
    write(w, tree, tree.root);
    if (size > 0) out[w.length < size ? w.length : size - 1] = '\0';
    return w.length < size ? static_cast<int>(w.length) : -1;
}
