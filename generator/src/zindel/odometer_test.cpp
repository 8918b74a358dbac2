// The symbol odometer: order of the strings, rendering, the listing and the full table.
#include "../../test/testutil.h"

TEST(GeneratorOdometer, StepsRendersListsAndFillsTheTable) {
    // From the start: the 1st, 12th, 13th, 14th and 25th strings; then carries, and the wrap
    // after the last string of length 99.
    // clang-format off
    std::pair<std::string, std::string> steps[] = {{"", "M"}, {")", "N"}, {"N", "MM"}, {"MM", "VM"},
        {"NM", "MV"}, {"NN", "MMM"}, {"Nm", "Mv"}, {"NNNV", "MMMm"},
        {std::string(99, 'N'), std::string(99, 'M')}};
    // clang-format on
    for (auto &[from, to] : steps) {
        load(symblNumTbl, from);
        EXPECT_EQ(next_try(0), to) << from;
    }
    // clang-format off
    std::pair<std::vector<int>, const char *> cases[] = {{{}, "x"}, {{5, 0, 3, 13}, "xn"},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, "xMVmvn+-*/()N"}, {{1, 6, 13, 2}, "Error"},
        {{1, 6, -1}, "Error"}};
    // clang-format on
    for (auto &[codes, text] : cases) {
        load(symblNumTbl, "");
        std::copy(codes.begin(), codes.end(), symblNumTbl);
        char out[GEN_FORMULA_SIZE] = "x";  // the table's text is appended
        tblToFormula(out);
        EXPECT_STREQ(out, text);
    }
    load(symblNumTbl, "");
    EXPECT_EXITS((printSymblNumTbl(), exit(0)), 0, "^\n$");
    for (int i = 0; i < 99; i++) addToNumTbl(12);
    EXPECT_EQ(render(symblNumTbl), std::string(99, 'N'));
    EXPECT_EXITS(addToNumTbl(7), 0, "^symbolNumTbl is full\n$");
    symblNumTbl[99] = 12;  // no 0 left: listed in full; rendered as "Done", status 1
    EXPECT_EXITS((printSymblNumTbl(), exit(0)), 0, "^(12, ){26}\n((12, ){25}\n){2}(12, ){24}\n$");
    EXPECT_EXIT(tblToFormula(genFormula), testing::ExitedWithCode(1), "");
}
