// Constant and function insertion: the examples, the byte-length limits and their exits,
// and the recognition of inserted function names.
#include "insertion.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "state.h"

namespace {

std::string constant(std::string text, int index) { return addConstant(text.data(), index); }
std::string funct(std::string text, int index) { return addFunct(text.data(), index); }

// A text of len bytes with one '(' and no n.
std::string withParen(size_t len) { return "(M+m)*" + std::string(len - 6, 'V'); }

TEST(GeneratorInsertion, ConstantsKeepTheirExactBytes) {
    EXPECT_STREQ(constantTbl[7], "6.62607015E\xE2\x88\x92" "34");
    EXPECT_STREQ(constantTbl[10], "1.25663706212E\xE2\x88\x92" "6");
    EXPECT_STREQ(constantTbl[11], "7.2973525693E\xE2\x88\x92" "3");
    int bytes[CONSTANT_TBL_SIZE] = {7, 2, 1, 4, 5, 6, 3, 16, 15, 11, 18, 17, 4, 1, 3, 5, 9, 15, 15};
    for (int i = 0; i < CONSTANT_TBL_SIZE; i++) EXPECT_EQ(strlen(constantTbl[i]), (size_t)bytes[i]);
    EXPECT_STREQ(functTbl[30], "nandelta");
}

TEST(GeneratorInsertion, FirstPlaceholderAndFirstParenthesisOnly) {
    presConstantNum = presFunctNum = 0;
    EXPECT_EQ(constant("M*n+V-n", 1), "M*pi+V-n");
    EXPECT_EQ(constant("M+V", 3), "M+V");  // nothing to replace: an unchanged copy
    EXPECT_EQ(constant("M*n", 7), "M*6.62607015E\xE2\x88\x92" "34");
    EXPECT_EQ(constant("sin(M)*n", 2), "sie(M)*n");  // the first n, whatever it belongs to
    EXPECT_EQ(funct("M*(V+m)-(v)", 3), "M*sin(V+m)-(v)");
    EXPECT_EQ(funct("M+V", 2), "M+V");
    // The longest results: 111 + 8 and 101 + 18 bytes stay below 120.
    EXPECT_EQ(funct(withParen(111), 30).size(), 119u);
    EXPECT_EQ(constant("n" + std::string(100, 'V'), 10).size(), 118u);
}

TEST(GeneratorInsertion, FailuresPrintTheirMessageAndEndWithZero) {
    struct Case {
        bool isConstant;
        std::string text;
        int index, counter;
        std::string message;
    } cases[] = {
        // 112 + 16 bytes, and no n at all: the length test comes first.
        {true, std::string(112, 'V'), 7, 0,
         "^addConstant failed. test_F = V{112} presConstantNum = 0\n$"},
        {true, std::string(102, 'V'), 10, 0, "addConstant failed"},  // 102 + 18
        {true, "M*n", 1, 19, "^addConstant failed. test_F = M\\*n presConstantNum = 19\n$"},
        {true, "M*n", 19, 0, "addConstant failed"},
        {true, "M*n", -1, 0, "addConstant failed"},
        {false, withParen(112), 30, 4,  // 112 + 8
         "^addFunct failed. test_F = \\(M\\+m\\)\\*V{106} presFunctNum = 4\n$"},
        {false, "(M)", 1, 31, "^addFunct failed. test_F = \\(M\\) presFunctNum = 31\n$"},
        {false, "(M)", 31, 0, "addFunct failed"},
    };
    for (const Case &c : cases) {
        EXPECT_EXIT(
            {
                dup2(STDERR_FILENO, STDOUT_FILENO);  // the message is on standard output
                presConstantNum = c.isConstant ? c.counter : 0;
                presFunctNum = c.isConstant ? 0 : c.counter;
                c.isConstant ? constant(c.text, c.index) : funct(c.text, c.index);
            },
            testing::ExitedWithCode(0), c.message);
    }
}

TEST(GeneratorInsertion, FunctionNamesCoverTheirOwnLettersOnly) {
    struct Case {
        const char *text;
        int at, result;
    } cases[] = {
        {"sin(M)+v", 2, 1},        {"M+n*V", 2, 0},          {"ln2*M+V", 1, 0},
        {"n*sin(M)", 0, 0},        {"n*sin(M)", 4, 1},       {"tan(M)*atan(v)", 2, 1},
        {"tan(M)*atan(v)", 10, 1}, {"M*nandelta(V)", 2, 1},  {"M*nandelta(V)", 4, 1},
        {"n", 0, 0},               {"asinh(M)+n", 9, 0},     {"exp(M)", 0, 1},
    };
    for (const Case &c : cases) {
        std::string text = c.text;
        EXPECT_EQ(isFunctName(text.data(), text.data() + c.at), c.result) << c.text << c.at;
    }
}

}  // namespace
