// Resuming after a given formula: reading formulas back into codes, the resume mode's
// messages, and what the cycle hands out after a resume.
#include "resume.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../../test/run_oracle.h"
#include "cycle.h"
#include "filter.h"
#include "odometer.h"
#include "state.h"

namespace {

struct Parsed {
    int result;
    std::vector<int> codes;
};

Parsed parse(const std::string &text) {
    next_try(1);
    std::string copy = text;
    int result = recoverSymbolNumTbl(copy.data());
    return {result, std::vector<int>(symblNumTbl, symblNumTbl + numTblPos)};
}

// Resumes after text with a cleared table, capturing what the resume prints.
std::string resume(const std::string &text, std::string *printed) {
    next_try(1);
    std::string copy = text;
    testing::internal::CaptureStdout();
    std::string result = zindel(2, copy.data());
    fflush(stdout);
    *printed = testing::internal::GetCapturedStdout();
    return result;
}

TEST(GeneratorResume, ReadsFormulasBackIntoCodes) {
    struct Case {
        const char *text;
        int result;
        std::vector<int> codes;
    } cases[] = {
        {"M*pi+m-V/v", 1, {1, 8, 5, 6, 3, 7, 2, 9, 4}},
        {"1.0E-13", 1, {5}},
        {"6.67430E-11", 1, {5}},
        {"100", 1, {5}},
        {"1", 1, {5}},
        {"8.8541878128E12", 1, {5}},
        {"pi", 1, {5}},
        {"e", 1, {5}},
        {"loge", 1, {5}},
        {"log2e", 1, {5}},
        {"log10e", 1, {5}},
        {"ln2", 1, {5}},
        {"n*N", 1, {5, 8, 12}},
        {"(M+1E-2)*1e+5/v", 1, {10, 1, 6, 5, 11, 8, 5, 9, 4}},
        {"log(M)", 1, {10, 1, 11}},
        {"log(M+log2e)*ln2", 1, {10, 1, 6, 5, 11, 8, 5}},
        {"", 1, {}},
        {"sin(M)", 0, {}},
        {"exp(M)", 0, {5}},
        {"M*6.62607015E\xE2\x88\x92" "34", 0, {1, 8, 5}},
        {"M+px", 0, {1, 6}},
        {"M, V", 0, {1}},
        {"M+.5", 0, {1, 6}},
    };
    for (const Case &c : cases) {
        Parsed p = parse(c.text);
        EXPECT_EQ(p.result, c.result) << c.text;
        EXPECT_EQ(p.codes, c.codes) << c.text;
    }
}

TEST(GeneratorResume, ReadsAtMost120Bytes) {
    std::string text;
    while (text.size() < 200) text += "100+";
    text[150] = 'x';  // beyond the limit: never read
    Parsed p = parse(text);
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(p.codes.size(), 60u);  // 30 times "100+" in bytes 0..119
    // A number that runs into the limit ends the reading there.
    std::string longNumber = "M+" + std::string(130, '7');
    p = parse(longNumber);
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(p.codes, (std::vector<int>{1, 6, 5}));
}

TEST(GeneratorResumeDeathTest, AHundredthCodeEndsTheProcess) {
    std::string tokens99 = "M";
    for (int i = 0; i < 49; i++) tokens99 += "+M";
    EXPECT_EQ(parse(tokens99).codes.size(), 99u);
    std::string tokens100 = tokens99 + "+";
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            parse(tokens100);
        },
        testing::ExitedWithCode(0), "^symbolNumTbl is full\n$");
}

TEST(GeneratorResume, ModePrintsTheRebuiltCandidate) {
    std::string printed;
    EXPECT_EQ(resume("M*pi+m-V/v", &printed), "M*n+m-V/v");
    EXPECT_EQ(printed, "recovered formula: M*n+m-V/v\n");
    EXPECT_EQ(presConstantNum, 1);
    EXPECT_EQ(presFunctNum, 0);
    EXPECT_STREQ(oldFormula, "M*n+m-V/v");

    EXPECT_EQ(resume("M+V*m-v", &printed), "M+V*m-v");
    EXPECT_EQ(presConstantNum, 0);

    EXPECT_EQ(resume("sin(M)", &printed), "error");
    EXPECT_EQ(printed, "\nrecovered formula: \n");
    EXPECT_EQ(resume("exp(M)", &printed), "error");
    EXPECT_EQ(printed, "5, \nrecovered formula: n\n");
}

// The first string after x in odometer order that preTest accepts, by literal stepping.
std::string literalNextAccepted(const std::string &x) {
    std::string copy = x;
    next_try(1);
    recoverSymbolNumTbl(copy.data());
    for (;;) {
        char *text = next_try(0);
        if (preTest(text)) return text;
    }
}

TEST(GeneratorResume, ContinuesWithTheConstantRunThenTheNextCandidate) {
    std::string next = literalNextAccepted("(M+n)*m-V/v+n");
    std::string printed;
    EXPECT_EQ(resume("log(M+pi)*m-V/v+1", &printed), "(M+n)*m-V/v+n");
    EXPECT_EQ(printed, "recovered formula: (M+n)*m-V/v+n\n");
    for (int k = 1; k <= 18; k++) {
        EXPECT_EQ(zindel(0, nullptr), decorate("(M+n)*m-V/v+n", -1, k)) << k;
    }
    EXPECT_STREQ(zindel(0, nullptr), expectedRun(next)[0].c_str());
    EXPECT_EQ(oldFormula, next);

    // Without a placeholder the next call draws at once.
    next = literalNextAccepted("M+V*m-v");
    resume("M+V*m-v", &printed);
    EXPECT_STREQ(zindel(0, nullptr), expectedRun(next)[0].c_str());
}

TEST(GeneratorResume, EmptyTextProceedsAsAStart) {
    std::string printed;
    EXPECT_EQ(resume("", &printed), "");
    EXPECT_EQ(printed, "recovered formula: \n");
    EXPECT_STREQ(zindel(0, nullptr), "v+m+V+M");
}

}  // namespace
