// The symbol odometer at its edges: the wrap after the last string, a code outside the
// alphabet, the listing, and the full table, which ends the process. The order of the strings
// is checked by the first run's signature (cycle_test.cpp).
#include "generator/test/testutil.h"

TEST(GeneratorOdometer, WrapsRendersListsAndEndsOnAFullTable) {
    load(symblNumTbl, std::string(99, 'N'));
    EXPECT_EQ(next_try(0), std::string(99, 'M'));
    load(symblNumTbl, "M+V");
    char text[GEN_FORMULA_SIZE] = "x";  // the table's text is appended
    tblToFormula(text);
    EXPECT_STREQ(text, "xM+V");
    symblNumTbl[1] = MAX_SYMBOL_CODE + 1;
    tblToFormula(text);
    EXPECT_STREQ(text, "Error");
    load(symblNumTbl, "");
    for (int i = 0; i < 99; i++) addToNumTbl(12);
    EXPECT_EXITS(addToNumTbl(7), 0, "^symbolNumTbl is full\n$");
    symblNumTbl[99] = 12;  // no 0 left: listed in full; rendered as "Done", status 1
    EXPECT_EXITS((printSymblNumTbl(), exit(0)), 0, "^(12, ){26}\n((12, ){25}\n){2}(12, ){24}\n$");
    EXPECT_EXIT(tblToFormula(genFormula), testing::ExitedWithCode(1), "");
}
