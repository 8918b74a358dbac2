// Constant and function insertion: the examples, the byte-length limits and their exits,
// and the recognition of inserted function names.
#include "insertion.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "state.h"

namespace {

void stdoutToStderr() { dup2(STDERR_FILENO, STDOUT_FILENO); }

std::string constant(const std::string &text, int index) {
    std::string copy = text;
    return addConstant(copy.data(), index);
}

std::string funct(const std::string &text, int index) {
    std::string copy = text;
    return addFunct(copy.data(), index);
}

// A text of `len` bytes with one '(' and no n: "(M+m)*" followed by "V*V*..." (the tail
// is never looked at).
std::string textWithParen(size_t len) {
    std::string s = "(M+m)*";
    while (s.size() < len) s += "V";
    return s;
}

class GeneratorInsertion : public testing::Test {
protected:
    void SetUp() override {
        presConstantNum = 0;
        presFunctNum = 0;
    }
};

TEST_F(GeneratorInsertion, TablesHoldTheExactBytes) {
    EXPECT_STREQ(constantTbl[0], "1.0E-13");
    EXPECT_STREQ(constantTbl[6], "ln2");
    EXPECT_STREQ(constantTbl[7], "6.62607015E\xE2\x88\x92" "34");
    EXPECT_STREQ(constantTbl[10], "1.25663706212E\xE2\x88\x92" "6");
    EXPECT_STREQ(constantTbl[11], "7.2973525693E\xE2\x88\x92" "3");
    EXPECT_STREQ(constantTbl[17], "8.8541878128E12");
    EXPECT_STREQ(constantTbl[18], "9.1093837015E31");
    int lengths[CONSTANT_TBL_SIZE] = {7, 2, 1, 4, 5, 6, 3, 16, 15, 11, 18, 17, 4, 1, 3, 5, 9, 15, 15};
    for (int i = 0; i < CONSTANT_TBL_SIZE; i++) EXPECT_EQ(strlen(constantTbl[i]), (size_t)lengths[i]) << i;
    EXPECT_STREQ(functTbl[0], "exp");
    EXPECT_STREQ(functTbl[3], "sin");
    EXPECT_STREQ(functTbl[27], "abs");
    EXPECT_STREQ(functTbl[30], "nandelta");
    int withN = 0;
    for (const char *name : functTbl) withN += strchr(name, 'n') != nullptr;
    EXPECT_EQ(withN, 9);
}

TEST_F(GeneratorInsertion, ConstantTakesTheFirstPlaceholderOnly) {
    EXPECT_EQ(constant("M*n+V-n", 1), "M*pi+V-n");
    EXPECT_EQ(constant("n", 18), "9.1093837015E31");
    EXPECT_EQ(constant("M+V", 3), "M+V");  // no placeholder: an unchanged copy
    EXPECT_EQ(constant("M*n", 7), "M*6.62607015E\xE2\x88\x92" "34");
    EXPECT_EQ(constant("M*n", 7).size(), 2u + 16u);
    // The first n of the text, whatever it belongs to.
    EXPECT_EQ(constant("sin(M)*n", 2), "sie(M)*n");
}

TEST_F(GeneratorInsertion, FunctionGoesBeforeTheFirstParenthesis) {
    EXPECT_EQ(funct("M*(V+m)-(v)", 3), "M*sin(V+m)-(v)");
    EXPECT_EQ(funct("(M+V)", 30), "nandelta(M+V)");
    EXPECT_EQ(funct("M+V", 2), "M+V");
}

TEST_F(GeneratorInsertion, LengthLimitsCountBytes) {
    // 111 + 8 = 119: fits; the result is 119 bytes.
    EXPECT_EQ(funct(textWithParen(111), 30).size(), 119u);
    // 101 + 18 = 119 with the longest constant, U+2212 included.
    std::string withN = "n";
    while (withN.size() < 101) withN += "+V";
    withN.resize(101);
    EXPECT_EQ(constant(withN, 10).size(), 118u);
}

TEST_F(GeneratorInsertion, FailuresPrintTheirMessageAndEndWithZero) {
    std::string n112(112, 'V');  // 112 + 16 = 128 bytes, no n at all: still a failure
    EXPECT_EXIT(
        {
            stdoutToStderr();
            constant(n112, 7);
        },
        testing::ExitedWithCode(0),
        "^addConstant failed. test_F = " + n112 + " presConstantNum = 0\n$");
    std::string n102(102, 'V');  // 102 + 18 = 120
    EXPECT_EXIT(
        {
            stdoutToStderr();
            constant(n102, 10);
        },
        testing::ExitedWithCode(0), "addConstant failed");
    EXPECT_EXIT(
        {
            stdoutToStderr();
            presConstantNum = 19;
            constant("M*n", 1);
        },
        testing::ExitedWithCode(0), "^addConstant failed. test_F = M\\*n presConstantNum = 19\n$");
    EXPECT_EXIT(
        {
            stdoutToStderr();
            constant("M*n", 19);
        },
        testing::ExitedWithCode(0), "addConstant failed");
    EXPECT_EXIT(
        {
            stdoutToStderr();
            constant("M*n", -1);
        },
        testing::ExitedWithCode(0), "addConstant failed");
    std::string p112 = textWithParen(112);  // 112 + 8 = 120
    EXPECT_EXIT(
        {
            stdoutToStderr();
            presFunctNum = 4;
            funct(p112, 30);
        },
        testing::ExitedWithCode(0),
        "^addFunct failed. test_F = \\(M\\+m\\)\\*V+ presFunctNum = 4\n$");
    EXPECT_EXIT(
        {
            stdoutToStderr();
            presFunctNum = 31;
            funct("(M)", 1);
        },
        testing::ExitedWithCode(0), "addFunct failed. test_F = \\(M\\) presFunctNum = 31");
    EXPECT_EXIT(
        {
            stdoutToStderr();
            funct("(M)", 31);
        },
        testing::ExitedWithCode(0), "addFunct failed");
}

TEST_F(GeneratorInsertion, FunctionNamesCoverTheirOwnLettersOnly) {
    struct Case {
        const char *text;
        int at;  // index of the letter asked about
        int result;
    } cases[] = {
        {"sin(M)+v", 2, 1},       {"M+n*V", 2, 0},          {"ln2*M+V", 1, 0},
        {"n*sin(M)", 0, 0},       {"n*sin(M)", 4, 1},       {"tan(M)*atan(v)", 2, 1},
        {"tan(M)*atan(v)", 10, 1}, {"M*nandelta(V)", 2, 1}, {"M*nandelta(V)", 4, 1},
        {"n", 0, 0},              {"asinh(M)+n", 3, 1},     {"asinh(M)+n", 9, 0},
        {"exp(M)", 0, 1},         {"M+exp", 1, 0},
    };
    for (const Case &c : cases) {
        std::string text = c.text;
        EXPECT_EQ(isFunctName(text.data(), text.data() + c.at), c.result)
            << c.text << " at " << c.at;
    }
}

}  // namespace
