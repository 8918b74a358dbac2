// Comparing the formula compiler with the expression library on one text.
#include "common/test/formula_oracle.h"

#include <matheval.h>

#include <cmath>
#include <cstring>
#include <string>

#include "common/formula_class.h"
#include "common/formula_print.h"
#include "common/formula_program.h"

const char *const formulaVerdictNames[FORMULA_VERDICTS] = {
    "agree, four variables",
    "agree, another variable count",
    "refused by both",
    "left to the library",
    "disagree: printed tree",
    "disagree: constant value",
    "disagree: variable count",
    "disagree: value at a point",
    "disagree: we refuse, the library compiles",
    "disagree: we compile, the library refuses"};

namespace {

FormulaTree tree;
FormulaProgram program;
FormulaBatch batch;

char *bound[] = {const_cast<char *>("m"), const_cast<char *>("M"), const_cast<char *>("v"),
                 const_cast<char *>("V")};
// m, M, v, V at the probes of the class keys.
constexpr int POINTS = FORMULA_PROBES;
double *point(int i) { return const_cast<double *>(formulaProbePoints[i]); }

bool same(double a, double b) {
    return std::isnan(a) ? std::isnan(b) : std::memcmp(&a, &b, sizeof a) == 0;
}

// Every constant of the subtree at i is the value the library gives its text alone.
bool constantsAgree(int i) {
    const FormulaNode &node = tree.nodes[i];
    if (node.kind == FORMULA_NUMBER || node.kind == FORMULA_CONSTANT) {
        std::string text(tree.text + node.begin, node.end - node.begin);
        void *ev = evaluator_create(const_cast<char *>(text.c_str()));
        bool agree = ev && same(node.value, evaluator_evaluate(ev, 4, bound, point(0)));
        if (ev) evaluator_destroy(ev);
        return agree;
    }
    return (node.left < 0 || constantsAgree(node.left)) &&
           (node.right < 0 || constantsAgree(node.right));
}

}  // namespace

int judgeFormula(const char *text) {
    int status = compileFormulaProgram(text, &tree, &program);
    void *ev = evaluator_create(const_cast<char *>(text));
    char printed[4096];
    char **names;
    int count = -1;
    if (ev) evaluator_get_variables(ev, &names, &count);
    int verdict = count == 4 ? AGREE_FOUR : AGREE_OTHER;
    if (status == FORMULA_UNHANDLED)
        verdict = LEFT;
    else if (!ev)
        verdict = status == FORMULA_REFUSED ? REFUSED_BOTH : WE_COMPILE;
    else if (status != FORMULA_OK)
        verdict = WE_REFUSE;
    else if (printFormula(tree, printed, sizeof printed) < 0 ||
             std::strcmp(printed, evaluator_get_string(ev)) != 0)
        verdict = DIFFER_PRINTED;
    else if (!constantsAgree(tree.root))
        verdict = DIFFER_CONSTANT;
    else if (count != program.variables)
        verdict = DIFFER_VARIABLES;
    double values[POINTS];
    for (int i = 0; i < POINTS * 4; ++i) batch.registers[i % 4][i / 4] = point(i / 4)[i % 4];
    if (verdict <= AGREE_OTHER) runFormulaBatch(program, &batch, POINTS, values);
    for (int i = 0; i < POINTS && verdict <= AGREE_OTHER; ++i)
        if (!same(values[i], evaluator_evaluate(ev, 4, bound, point(i)))) verdict = DIFFER_VALUE;
    if (ev) evaluator_destroy(ev);
    return verdict;
}
