// The classes of formulas: which texts share a class and which never do, and what the client
// makes of a text.
#include "common/formula_class.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

FormulaClassKey key;
int said;

long classOf(FormulaClassTable *table, const std::string &text, long next) {
    return classOfFormula(table, text.c_str(), 1, next, &said);
}

TEST(FormulaClass, CommutedOperandsShareAClassAndNothingElseDoes) {
    for (const auto &[a, b, same] : std::vector<std::tuple<const char *, const char *, bool>>{
             {"v*m-V*M", "m*v-M*V", true},
             {"M+m+V+v", "v+V+m+M", false},  // ((M+m)+V)+v: another grouping
             {"(M+m)+(V+v)", "(v+V)+(m+M)", true},
             {"sin(M*V)/(m+v)", "sin(V*M)/(v+m)", true},
             {"2*3*M+m+v+V", "6*M+m+v+V", true},  // folded as the library folds
             {"m*1-M+v+V", "m-M+v+V", true},
             {"(m-m)+(v+M+V)", "(v+M+V)+(m-m)", true},  // NaN of another sign at a probe
             {"M-V+m+v", "V-M+m+v", false},
             {"M/V*m*v", "V/M*m*v", false},
             {"M^V*m*v", "V^M*m*v", false},
             {"(M+V)+(m+v)", "M+(V+(m+v))", false},
             {"299792458+M+m+v+V", "299792457+M+m+v+V", false},  // the same printed tree
             {"1.0E-13+1+M+m+v+V", "1+M+m+v+V", false},
             {"0*M+V+m+v", "-0*M+V+m+v", false},
             {"pi*M+V+m+v", "3.141592653589793*M+V+m+v", false},
         }) {
        FormulaClassTable table;
        EXPECT_EQ(0, classOf(&table, a, 0)) << a;
        EXPECT_EQ(same ? 0 : 1, classOf(&table, b, 1)) << a << " " << b;
    }
}

// The texts whose verdict is not the compiler's alone; the classes of a table that grows are
// checked by the class proof in the field test, over 1816 classes.
TEST(FormulaClass, SaysWhatTheClientMakesOfAText) {
    for (const auto &[text, use] : std::vector<std::pair<std::string, int>>{
             {"M^0+m+v+V", USE_WRONG_VARIABLES},  // the library counts the simplified tree
             {"M+m+V+v$", USE_OWN_LEFT},          // a byte the compiler leaves to the library
             {"M+m+V$", USE_WRONG_VARIABLES},
             {"M(V)+m+v", USE_NOT_COMPILED},
             {"M+m+V+v" + std::string(CLASS_TEXT_MAX, ' '), USE_OWN_LEFT}}) {
        testing::internal::CaptureStdout();  // the library prints the bytes it skips
        EXPECT_EQ(use, classifyFormula(text.c_str(), 1, &key)) << text;
        testing::internal::GetCapturedStdout();
    }
}

}  // namespace
