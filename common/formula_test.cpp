// The formula compiler against the expression library itself: for each text of a table, the
// same refusal, printed tree, variable count and values bit for bit; and the limits past
// which a text is left to the library.
#include <matheval.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formula_print.h"
#include "formula_program.h"

namespace {

FormulaTree tree;
FormulaProgram program;
FormulaBatch batch;

// Values of m, M, v, V: ordinary, zero and negative, huge and tiny, and the field's start.
const double points[][4] = {{1.5, 2.5, -0.5, 3.25},   {0.0, -0.0, 0.0, 1.0},
                            {-7.0, 1e300, 1e-300, 2}, {1.0000000000000016, 1.4e-15, 0.0, 0.0},
                            {INFINITY, -1, NAN, 0.75}};

// Where the compiler and the library part, or "" when they agree on everything.
std::string compare(const char *text) {
    void *ev = evaluator_create(const_cast<char *>(text));
    int status = compileFormulaProgram(text, &tree, &program);
    if (!ev) return status == FORMULA_REFUSED ? "" : "the library refuses, we do not";
    std::string diff = status == FORMULA_OK ? "" : "the library compiles, we do not";
    char printed[4096];
    if (diff.empty() && (printFormula(tree, printed, sizeof printed) < 0 ||
                         std::strcmp(printed, evaluator_get_string(ev)) != 0))
        diff = std::string("printed ") + printed + " for " + evaluator_get_string(ev);
    char **names;
    int count;
    evaluator_get_variables(ev, &names, &count);
    if (diff.empty() && count != program.variables) diff = "variable count";
    const char *bound[] = {"m", "M", "v", "V"};
    const int lanes = sizeof points / sizeof points[0];
    double values[lanes];
    for (int i = 0; i < lanes; ++i)
        for (int k = 0; k < 4; ++k) batch.registers[k][i] = points[i][k];
    runFormulaBatch(program, &batch, lanes, values);
    for (int i = 0; i < lanes; ++i) {
        double ours = values[i];
        double theirs = evaluator_evaluate(ev, 4, const_cast<char **>(bound),
                                           const_cast<double *>(points[i]));
        bool same = std::isnan(ours) ? std::isnan(theirs) : std::memcmp(&ours, &theirs, 8) == 0;
        if (diff.empty() && !same) diff = "value " + std::to_string(ours);
    }
    evaluator_destroy(ev);
    return diff;
}

TEST(Formula, AgreesWithTheLibraryOnEveryRuleOfItsGrammarAndSimplification) {
    std::vector<std::string> texts = {
        // grouping and precedence
        "M-V-m+v", "M/V/m*v", "M^V^m", "-M^V", "M^-V*m", "m*-V^M", "--M+V", "M- -V", "(M+V)*m",
        "-(M)*V", "2^-3^2", "-2^2*M", "M+v*(V-m)/(v+m)^2",
        // folding and the neutral operands
        "M+0", "0+M", "M-0", "0-M", "1*M", "M*1", "M/1", "1/M", "M^1", "1^M", "0^M", "M^0",
        "0*M", "M*0", "M+-0", "pi*1", "1*pi", "-pi", "pi+0", "pi^0", "2*3*M", "M*2*3",
        "(2+3)*M", "M+(1-1)*V", "1-1+M", "(0-0)*M", "sin(0)+M", "-(-2)*M", "M^(1/0)", "0^0*M",
        "log(-1)*M", "-log(-1)+M", "M^0+m+v+V",
        // numbers, names and blanks as the scanner reads them
        "1e+3*M", "1.5E-2*M", ".5*M", "5.*M", "1e400*M", "6.02214076e23*v", "0.1+0.2+M",
        "1_pi*M", "2_pi*M", "2_sqrtpi*M", "M[+1", "loge*M+x", "e1+e", "sinM*V", " M +\tV ",
        "1.5e-320*M", "123456789*M", "-0.000001*M", "0.0001*M",
        // refused by both
        "", "M+", "(M", "M)", "M V", "sin M", "2_pix", "2pi*M", "1e*M", "M^*V", "()",
        "1.2.3", "6.62607015E\xe2\x88\x92" "34*M", "M++V", "exp()", "sin(M"};
    for (const char *name : formulaConstantNames) texts.push_back(std::string(name) + "*M-" + name);
    for (const char *name : formulaFunctionNames) {
        std::string f = name;
        texts.push_back(f + "(M/V)+" + f + "(0)+" + f + "(0.5)+" + f + "(-2)-" + f + "(1)*" +
                        f + "(m)");
    }
    for (const std::string &text : texts) EXPECT_EQ("", compare(text.c_str())) << text;
}

TEST(Formula, LeavesToTheLibraryWhatItDoesNotRead) {
    std::string deep = "M";
    for (int i = 0; i < 100; ++i) deep = "(" + deep + "+V)*m";  // 200 operations
    std::string wide = "M";
    for (int i = 0; i < 61; ++i) wide += "+M*" + std::to_string(i + 2);  // 61 constants
    std::string names = "a0";
    for (int i = 1; i < 33; ++i) names += "+a" + std::to_string(i);  // 33 variables
    std::string stacked = "M";
    for (int i = 0; i < 61; ++i) stacked = "(M*V)+(" + stacked + ")";  // 61 temporaries
    for (const std::string &text :
         {std::string("M$+V"), std::string("M,V"), std::string("M\n"), std::string("."), deep,
          wide, names, stacked, std::string(FORMULA_TEXT_MAX + 1, 'M')})
        EXPECT_EQ(FORMULA_UNHANDLED, compileFormulaProgram(text.c_str(), &tree, &program)) << text;
    EXPECT_EQ("", compare(std::string(FORMULA_TEXT_MAX, 'M').c_str()));
    char cut[6];
    ASSERT_EQ(FORMULA_OK, compileFormulaProgram("M+(-V)", &tree, &program));
    EXPECT_EQ(-1, printFormula(tree, cut, sizeof cut));
    EXPECT_STREQ("(M+(-", cut);
}

}  // namespace
