// The formula compiler against the expression library itself (formula_oracle.h): for each text
// of a table, the same refusal, printed tree, constants, variable count and values; and the
// texts it leaves to the library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/formula_print.h"
#include "common/formula_program.h"
#include "common/test/formula_oracle.h"

namespace {

TEST(Formula, AgreesWithTheLibraryOnEveryRuleOfItsGrammarAndSimplification) {
    std::vector<std::string> texts = {
        // grouping and precedence
        "M-V-m+v", "M/V/m*v", "M^V^m", "-M^V", "M^-V*m", "m*-V^M", "--M+V", "M- -V", "(M+V)*m",
        "-(M)*V", "2^-3^2", "-2^2*M", "M+v*(V-m)/(v+m)^2", "(M*V)+(m-v)*(V/M)",
        // folding and the neutral operands
        "M+0", "0+M", "M-0", "0-M", "1*M", "M*1", "M/1", "1/M", "M^1", "1^M", "0^M", "M^0", "0*M",
        "M*0", "M+-0", "pi*1", "1*pi", "-pi", "pi+0", "pi^0", "2*3*M", "M*2*3", "(2+3)*M",
        "M+(1-1)*V", "1-1+M", "(0-0)*M", "sin(0)+M", "-(-2)*M", "M^(1/0)", "0^0*M", "log(-1)*M",
        "-log(-1)+M", "M^0+m+v+V", "(M-M)*0+2*(3)",
        // numbers, names and blanks as the scanner reads them
        "1e+3*M", "1.5E-2*M", ".5*M", "5.*M", "1e400*M", "6.02214076e23*v", "0.1+0.2+M", "1_pi*M",
        "2_pi*M", "2_sqrtpi*M", "M[+1", "loge*M+x", "e1+e", "sinM*V", " M +\tV ", "1.5e-320*M",
        "123456789*M", "-0.000001*M", "0.0001*M", std::string(FORMULA_TEXT_MAX, 'M'),
        // refused by both
        "", "M+", "(M", "M)", "M V", "sin M", "2_pix", "2pi*M", "1e*M", "M^*V", "()", "1.2.3",
        "6.62607015E\xe2\x88\x92"
        "34*M",
        "M++V", "exp()", "sin(M", "pi(M)", "M(V)"};
    for (const char *name : formulaConstantNames) texts.push_back(std::string(name) + "*M-" + name);
    for (std::string f : formulaFunctionNames)  // of variables, and folded at 0, 1 and -2
        texts.push_back(f + "(M/V)+" + f + "(0)-" + f + "(1)*" + f + "(-2)/" + f + "(m)");
    for (const std::string &text : texts) {
        int verdict = judgeFormula(text.c_str());
        EXPECT_LE(verdict, REFUSED_BOTH) << text << ": " << formulaVerdictNames[verdict];
    }
}

TEST(Formula, LeavesToTheLibraryWhatItDoesNotReadOrHold) {
    static FormulaTree tree;
    static FormulaProgram program;
    std::string deep = "M", wide = "M", names = "a0", stacked = "M";
    for (int i = 0; i < 100; ++i) deep = "(" + deep + "+V)*m";           // 200 operations
    for (int i = 0; i < 61; ++i) wide += "+M*" + std::to_string(i + 2);  // 61 constants
    for (int i = 1; i < 33; ++i) names += "+a" + std::to_string(i);      // 33 variables
    for (int i = 0; i < 61; ++i) stacked = "(M*V)+(" + stacked + ")";    // 61 temporaries
    for (const std::string &text :
         {std::string("M$+V"), std::string("M,V"), std::string("M\n"), std::string("."), deep, wide,
          names, stacked, std::string(FORMULA_TEXT_MAX + 1, 'M')})
        EXPECT_EQ(FORMULA_UNHANDLED, compileFormulaProgram(text.c_str(), &tree, &program)) << text;
    char cut[6];
    ASSERT_EQ(FORMULA_OK, compileFormulaProgram("M+(-V)", &tree, &program));
    EXPECT_EQ(-1, printFormula(tree, cut, sizeof cut));
    EXPECT_STREQ("(M+(-", cut);
}

}  // namespace
