// The proof of the formula compiler over a catalogue: every formula compiled by the library
// and by us, and compared: refusal, printed tree, the exact value of every constant of the
// tree (the library prints six digits, so each constant's own text is evaluated by the
// library), variable count, and the values at fixed points bit for bit (any NaN equals any
// NaN: which NaN an operation passes on may depend on the order of its operands).
//
//   formula_proof <catalogue folder>
#include <matheval.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "catalogue.h"
#include "formula_print.h"
#include "formula_program.h"

namespace {

enum Kind { AGREE_FOUR, AGREE_OTHER, REFUSED_BOTH, LEFT, LEFT_COMPILED, PRINTED, CONSTANT,
            VARIABLES, VALUE, WE_REFUSE, WE_COMPILE, KINDS };
const char *const kindNames[KINDS] = {
    "agree, four variables", "agree, another variable count", "refused by both",
    "left to the library", "  of them compiled by the library", "disagree: printed tree",
    "disagree: constant value", "disagree: variable count", "disagree: value at a point",
    "disagree: we refuse, the library compiles", "disagree: we compile, the library refuses"};

char *bound[] = {const_cast<char *>("m"), const_cast<char *>("M"), const_cast<char *>("v"),
                 const_cast<char *>("V")};
double points[][4] = {{1.5, 2.5, -0.5, 3.25},   {0.0, -0.0, 0.0, 1.0},  {-7.0, 1e300, 1e-300, 2},
                      {1.0000000000000016, 1.4e-15, 0, 0}, {1.4e-15, 0.99, 1e-9, -2e-9},
                      {INFINITY, -1, NAN, 0.75}, {-0.25, 3e-5, 40, -40}, {2, 2, 2, 2}};

bool same(double a, double b) {
    return std::isnan(a) ? std::isnan(b) : std::memcmp(&a, &b, sizeof a) == 0;
}

double libraryValue(const std::string &text, double *point) {
    void *ev = evaluator_create(const_cast<char *>(text.c_str()));
    double value = ev ? evaluator_evaluate(ev, 4, bound, point) : NAN;
    if (ev) evaluator_destroy(ev);
    return value;
}

// Every constant of the simplified tree is the value the library gives its text alone.
bool constantsAgree(const FormulaTree &tree, int i) {
    const FormulaNode &node = tree.nodes[i];
    if (node.kind == FORMULA_NUMBER || node.kind == FORMULA_CONSTANT) {
        std::string text(tree.text + node.begin, node.end - node.begin);
        return same(node.value, libraryValue(text, points[0]));
    }
    return (node.left < 0 || constantsAgree(tree, node.left)) &&
           (node.right < 0 || constantsAgree(tree, node.right));
}

Kind judge(const char *text, FormulaTree &tree, FormulaProgram &program) {
    int status = compileFormulaProgram(text, &tree, &program);
    void *ev = evaluator_create(const_cast<char *>(text));
    if (status == FORMULA_UNHANDLED) {
        if (ev) evaluator_destroy(ev);
        return ev ? LEFT_COMPILED : LEFT;
    }
    if (!ev) return status == FORMULA_REFUSED ? REFUSED_BOTH : WE_COMPILE;
    char printed[4096];
    char **names;
    int count;
    evaluator_get_variables(ev, &names, &count);
    Kind kind = count == 4 ? AGREE_FOUR : AGREE_OTHER;
    if (status != FORMULA_OK) kind = WE_REFUSE;
    else if (printFormula(tree, printed, sizeof printed) < 0 ||
             std::strcmp(printed, evaluator_get_string(ev)) != 0) kind = PRINTED;
    else if (count != program.variables) kind = VARIABLES;
    else if (!constantsAgree(tree, tree.root)) kind = CONSTANT;
    static FormulaBatch batch;
    const int lanes = sizeof points / sizeof points[0];
    double values[lanes];
    for (int i = 0; i < lanes; ++i)
        for (int k = 0; k < 4; ++k) batch.registers[k][i] = points[i][k];
    if (kind <= AGREE_OTHER) runFormulaBatch(program, &batch, lanes, values);
    for (int i = 0; i < lanes; ++i)
        if (kind <= AGREE_OTHER && !same(values[i], evaluator_evaluate(ev, 4, bound, points[i])))
            kind = VALUE;
    evaluator_destroy(ev);
    return kind;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: formula_proof <catalogue folder>\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> formulas = readCatalogue(argv[1]);
    static FormulaTree tree;
    static FormulaProgram program;
    long counts[KINDS] = {};
    for (const std::string &text : formulas) {
        Kind kind = judge(text.c_str(), tree, program);
        counts[kind == LEFT_COMPILED ? LEFT : kind]++;
        if (kind == LEFT_COMPILED) counts[kind]++;
        if (kind > LEFT_COMPILED && counts[kind] <= 5)
            std::printf("%s: %s\n", kindNames[kind], text.c_str());
    }
    std::printf("formulas: %zu\n", formulas.size());
    for (int k = 0; k < KINDS; ++k) std::printf("%-44s %ld\n", kindNames[k], counts[k]);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("time: %.1f s\n", took.count());
    long disagreements = 0;
    for (int k = PRINTED; k < KINDS; ++k) disagreements += counts[k];
    return disagreements == 0 && !formulas.empty() ? 0 : 1;
}
