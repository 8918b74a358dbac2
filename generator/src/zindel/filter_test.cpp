// The structural filter, case by case with the rule that decides each.
#include "filter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(GeneratorFilter, DecidesEachCaseByItsRule) {
    struct Case {
        const char *text;
        int result;
        const char *rule;
    } cases[] = {
        {"M+m+V+v", 1, "all rules pass"},
        {"(M+m)*(V+v)", 1, "balanced, no operand next to a parenthesis"},
        {"(M+V)(m+v)", 1, ")( is allowed"},
        {"M+((m*V))/v", 1, "redundant parentheses around three or more symbols"},
        {"M+m*(V-n)+v", 1, "placeholder inside parentheses"},
        {"N+M+m+V+v", 1, "N is an operand"},
        {"(M+m+V+v)", 1, "the whole text enclosed"},
        {"", 0, "10: no variables"},
        {"-M+m+V+v", 0, "1: operator first"},
        {"MmVv", 0, "2: operand after operand"},
        {"M+m*(Vn)+v", 0, "5: two symbols enclosed"},
        {"M+m+V+v-", 0, "3: operator at the end"},
        {"M+m+V++v", 0, "3: operator after operator"},
        {"M+(-m)+V+v", 0, "4: operator after ("},
        {"M+m+(V+v)+()", 0, "4: empty parentheses"},
        {"M+m+V+v+(", 0, "4: ( at the end"},
        {"M*(V)+m+v", 0, "5: one symbol enclosed"},
        {"M+m+V+v+(n)", 0, "5"},
        {"M+m+V+v*(nN)", 0, "5"},
        {"M+m+V+v)", 0, "6: more ) than ("},
        {")M+m+V+v(", 0, "6: ) before any ("},
        {"M+(m*V+)*v", 0, "7: operator before )"},
        {"(M+m+V+v", 0, "8: counts differ"},
        {"M(V+m)*v", 0, "9: operand before ("},
        {"(M+V)m*v", 0, "9: operand after )"},
        {"M+m+V+n", 0, "10: no v"},
        {"N+n+m+V+v", 0, "10: n and N are not M"},
    };
    for (const Case &c : cases) {
        std::string text = c.text;
        EXPECT_EQ(preTest(text.data()), c.result) << c.text << " (" << c.rule << ")";
    }
}

TEST(GeneratorFilter, LooksAtTheFirst120CharactersOnly) {
    std::string text = "(M+m)(V+v)";
    while (text.size() < 120) text += "+n";
    ASSERT_EQ(text.size(), 120u);
    ASSERT_EQ(preTest(text.data()), 1);
    // From position 120 on nothing is examined: ")" and "++" there would reject.
    std::string longer = text + "+)++";
    EXPECT_EQ(preTest(longer.data()), 1);
}

}  // namespace
