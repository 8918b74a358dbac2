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
    std::copy(codes.begin(), codes.end(), symblNumTbl);
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

TEST(GeneratorOdometer, StringsComeShortestFirstLeftmostFastest) {
    EXPECT_STREQ(next_try(1), "");
    std::vector<std::string> texts;
    for (int n = 1; n <= 12 + 144 + 1; n++) texts.push_back(next_try(0));
    EXPECT_EQ(texts[0], "M");
    EXPECT_EQ(texts[11], "N");
    EXPECT_EQ(texts[12], "MM");
    EXPECT_EQ(texts[13], "VM");
    EXPECT_EQ(texts[24], "MV");
    EXPECT_EQ(texts[155], "NN");
    EXPECT_EQ(texts[156], "MMM");
}

TEST(GeneratorOdometer, StepCarriesRightwards) {
    std::vector<int> nn(99, 12);  // the last string of length 99 wraps to 99 times M
    std::vector<std::vector<int>> cases[] = {
        {{12, 12}, {1, 1, 1}}, {{12, 3}, {1, 4}}, {{12, 12, 12, 2}, {1, 1, 1, 3}},
        {nn, std::vector<int>(99, 1)},
    };
    for (auto &c : cases) {
        setTable(c[0]);
        incsymblNumTbl();
        c[1].resize(SYMBL_TBL_SIZE, 0);
        EXPECT_EQ(std::vector<int>(symblNumTbl, symblNumTbl + SYMBL_TBL_SIZE), c[1]);
    }
}

TEST(GeneratorOdometer, Rendering) {
    struct Case {
        std::vector<int> codes;
        const char *text;
    } cases[] = {
        {{}, ""},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, "MVmvn+-*/()N"},
        {{5, 0, 3}, "n"},          // nothing after the first 0 counts
        {{1, 6, 13, 2}, "Error"},  // outside the alphabet, whatever came before
        {{1, 6, -1}, "Error"},
        {{1, 6, 2, 0, 13}, "M+V"},
    };
    for (const Case &c : cases) {
        setTable(c.codes);
        EXPECT_EQ(rendered(), c.text);
    }
    setTable(std::vector<int>(SYMBL_TBL_SIZE, 4));
    EXPECT_EXIT(rendered(), testing::ExitedWithCode(1), "");  // "Done": no 0 in the table
}

TEST(GeneratorOdometer, ListingHasTwentySixThenTwentyFiveCodesPerLine) {
    setTable({});
    EXPECT_EQ(listing(), "\n");
    setTable(std::vector<int>(30, 1));
    std::string line26;
    for (int i = 0; i < 26; i++) line26 += "1, ";
    EXPECT_EQ(listing(), line26 + "\n1, 1, 1, 1, \n");
    setTable(std::vector<int>(SYMBL_TBL_SIZE, 12));
    std::string full;
    for (int n : {26, 25, 25, 24}) {
        for (int i = 0; i < n; i++) full += "12, ";
        full += "\n";
    }
    EXPECT_EQ(listing(), full);
}

TEST(GeneratorOdometer, AppendingFillsNinetyNineThenEndsTheProcess) {
    setTable({});
    numTblPos = 0;
    for (int i = 0; i < 99; i++) addToNumTbl(1 + i % 12);
    EXPECT_EQ(symblNumTbl[98], 1 + 98 % 12);
    EXPECT_EQ(symblNumTbl[99], 0);
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);  // the message is on standard output
            addToNumTbl(7);
        },
        testing::ExitedWithCode(0), "^symbolNumTbl is full\n$");
}

}  // namespace
