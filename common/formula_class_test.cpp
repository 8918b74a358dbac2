// The classes of formulas: which texts share a class and which never do, what the client makes
// of a text, and a table that keeps its classes while it grows.
#include "common/formula_class.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

FormulaClassKey key;

// The class of text in table, a new one numbered `next` when its key is new; -1 when unkeyed.
long classOf(FormulaClassTable *table, const std::string &text, long next) {
    return classifyFormula(text.c_str(), 1, &key) == USE_KEYED ? classOfKey(table, key, next) : -1;
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

TEST(FormulaClass, SaysWhatTheClientMakesOfAText) {
    const std::string longText = "M+m+V+v" + std::string(CLASS_TEXT_MAX, ' ');
    for (const auto &[text, use] : std::vector<std::pair<std::string, int>>{
             {"M+m+V+v", USE_KEYED},
             {"m+", USE_NOT_COMPILED},
             {"M(V)", USE_NOT_COMPILED},
             {"M+m+V", USE_WRONG_VARIABLES},
             {"M^0+m+v+V", USE_WRONG_VARIABLES},  // the library counts the simplified tree
             {"M+m+V+v+x", USE_WRONG_VARIABLES},
             {"M+m+V+v$", USE_OWN_LEFT},  // a byte the compiler leaves to the library
             {"M+m+V$", USE_WRONG_VARIABLES},
             {longText, USE_OWN_LEFT},
         }) {
        testing::internal::CaptureStdout();  // the library prints the bytes it skips
        EXPECT_EQ(use, classifyFormula(text.c_str(), 1, &key)) << text;
        testing::internal::GetCapturedStdout();
    }
}

TEST(FormulaClass, ATableKeepsItsClassesWhileItGrows) {
    FormulaClassTable table;
    const int count = 5000;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(i, classOf(&table, std::to_string(i) + "*M+m+V+v", round * count + i));
    EXPECT_EQ(count, table.used);
}

}  // namespace
