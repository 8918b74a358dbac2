// The structural filter: one table of accepted and one of rejected raw candidates, the
// rejected grouped by the rule that decides them.
#include "../../test/testutil.h"

TEST(GeneratorFilter, DecidesEachCaseByItsRule) {
    std::string at120 = "(M+m)(V+v)";  // accepted, 120 characters: nothing after them is read
    while (at120.size() < 120) at120 += "+n";
    // clang-format off
    std::string accepted[] = {"M+m+V+v", "(M+m)*(V+v)", "(M+V)(m+v)", "M+((m*V))/v", "N+M+m+V+v",
                              "M+m*(V-n)+v", "(M+m+V+v)", at120 + "++"};
    std::string rejected[] = {
        "-M+m+V+v", "MmVv", "M+m*(Vn)+v", "M+m+V+v-", "M+m+V++v",    // operator first; neighbours
        "M+(-m)+V+v", "M+m+(V+v)+()", "M+m+V+v+(", at120.substr(0, 119) + "(",  // after '('
        "M*(V)+m+v", "M+m+V+v+(n)", "M+m+V+v*(nN)",                  // one or two enclosed
        "M+m+V+v)", ")M+m+V+v(", "M+(m*V+)*v", "(M+m+V+v",           // ')' first, after +; counts
        "M(V+m)*v", "(M+V)m*v",                        // an operand next to a parenthesis
        "", "M+m+V+n", "N+n+m+V+v"};                   // all four variables: n, N do not count
    // clang-format on
    for (std::string &text : accepted) EXPECT_EQ(preTest(text.data()), 1) << text;
    for (std::string &text : rejected) EXPECT_EQ(preTest(text.data()), 0) << text;
}
