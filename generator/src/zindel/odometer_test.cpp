// The symbol odometer: order of the strings, rendering, the listing and the full table.
#include "odometer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "state.h"

namespace {

void setTable(const std::vector<int> &codes) {
    memset(symblNumTbl, 0, sizeof symblNumTbl);
    for (size_t i = 0; i < codes.size(); i++) symblNumTbl[i] = codes[i];
}

std::string rendered() {
    char text[GEN_FORMULA_SIZE] = "";
    tblToFormula(text);
    return text;
}

std::string listing() {
    testing::internal::CaptureStdout();
    printSymblNumTbl();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// In a death test child: the process's standard output goes to the checked error stream.
void stdoutToStderr() { dup2(STDERR_FILENO, STDOUT_FILENO); }

TEST(GeneratorOdometer, StringsComeShortestFirstLeftmostFastest) {
    EXPECT_STREQ(next_try(1), "");
    std::vector<std::string> texts;
    for (int n = 1; n <= 25; n++) texts.push_back(next_try(0));
    EXPECT_EQ(texts[0], "M");
    EXPECT_EQ(texts[11], "N");
    EXPECT_EQ(texts[12], "MM");
    EXPECT_EQ(texts[13], "VM");
    EXPECT_EQ(texts[24], "MV");
    // Length 2 ends with NN, then MMM comes after 12 + 144 strings.
    for (int n = 26; n <= 12 + 144; n++) next_try(0);
    EXPECT_STREQ(genFormula, "NN");
    EXPECT_STREQ(next_try(0), "MMM");
}

TEST(GeneratorOdometer, StepCarriesRightwards) {
    struct Case {
        std::vector<int> before, after;
    } cases[] = {
        {{12, 12}, {1, 1, 1}},     // NN -> MMM
        {{12, 3}, {1, 4}},         // Nm -> Mv
        {{5, 12, 12, 2}, {6, 12, 12, 2}},
        {{12, 12, 12, 2}, {1, 1, 1, 3}},
    };
    for (const Case &c : cases) {
        setTable(c.before);
        incsymblNumTbl();
        std::vector<int> expected = c.after;
        expected.resize(SYMBL_TBL_SIZE, 0);
        EXPECT_EQ(std::vector<int>(symblNumTbl, symblNumTbl + SYMBL_TBL_SIZE), expected);
    }
}

TEST(GeneratorOdometer, LastLengthWrapsToAllM) {
    setTable(std::vector<int>(99, 12));
    incsymblNumTbl();
    for (int i = 0; i < 99; i++) ASSERT_EQ(symblNumTbl[i], 1) << i;
    EXPECT_EQ(symblNumTbl[99], 0);
}

TEST(GeneratorOdometer, Rendering) {
    struct Case {
        std::vector<int> codes;
        const char *text;
    } cases[] = {
        {{}, ""},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, "MVmvn+-*/()N"},
        {{5, 0, 3}, "n"},            // nothing after the first 0 counts
        {{1, 6, 13, 2}, "Error"},    // outside the alphabet
        {{1, 6, -1}, "Error"},
        {{-1}, "Error"},
        {{1, 6, 2, 0, 13}, "M+V"},   // a bad code after the end is never looked at
    };
    for (const Case &c : cases) {
        setTable(c.codes);
        EXPECT_EQ(rendered(), c.text);
    }
    // Rendering appends to the text already there.
    setTable({3, 8, 4});
    char text[GEN_FORMULA_SIZE] = "x=";
    tblToFormula(text);
    EXPECT_STREQ(text, "x=m*v");
}

TEST(GeneratorOdometerDeathTest, FullTableRendersDoneAndEndsWithOne) {
    setTable(std::vector<int>(SYMBL_TBL_SIZE, 4));
    EXPECT_EXIT(rendered(), testing::ExitedWithCode(1), "");
}

TEST(GeneratorOdometer, ListingHasTwentySixThenTwentyFiveCodesPerLine) {
    setTable({});
    EXPECT_EQ(listing(), "\n");

    setTable(std::vector<int>(30, 1));
    std::string line26;
    for (int i = 0; i < 26; i++) line26 += "1, ";
    EXPECT_EQ(listing(), line26 + "\n" + "1, 1, 1, 1, \n");

    setTable({10, 1, 11});
    EXPECT_EQ(listing(), "10, 1, 11, \n");

    // A full table: 26, 25, 25 and 24 codes.
    setTable(std::vector<int>(SYMBL_TBL_SIZE, 12));
    std::string expected;
    int perLine[] = {26, 25, 25, 24};
    for (int n : perLine) {
        for (int i = 0; i < n; i++) expected += "12, ";
        expected += "\n";
    }
    EXPECT_EQ(listing(), expected);
}

TEST(GeneratorOdometerDeathTest, AppendingFillsNinetyNineThenEndsTheProcess) {
    setTable({});
    numTblPos = 0;
    for (int i = 0; i < 99; i++) addToNumTbl(1 + i % 12);
    EXPECT_EQ(numTblPos, 99);
    EXPECT_EQ(symblNumTbl[98], 1 + 98 % 12);
    EXPECT_EQ(symblNumTbl[99], 0);
    EXPECT_EXIT(
        {
            stdoutToStderr();
            addToNumTbl(7);
        },
        testing::ExitedWithCode(0), "^symbolNumTbl is full\n$");
}

}  // namespace
