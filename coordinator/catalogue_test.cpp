// The catalogue: which entries are taken, the 100-entry limit, name cutting, the sort order.
#include "catalogue.h"

#include <sys/stat.h>

#include <climits>

#include "run_util.h"

namespace {

class CatalogueTest : public InDirTest {};

TEST_F(CatalogueTest, TakesFormulasEntriesSortedByTheirNumber) {
    for (const char *name : {"formulas_010.txt", "formulas_002.txt", "formulas.txt",
                             "Formulas_001.txt", "xformulas_003.txt"})
        writeFile(name, "");
    ASSERT_EQ(mkdir("formulas_007", 0700), 0);  // any kind of entry counts
    ASSERT_EQ(numFiles = getFileNames(), 4);
    sortFileNames(filenames, numFiles);
    const std::vector<std::string> want = {"formulas.txt", "formulas_002.txt", "formulas_007",
                                           "formulas_010.txt"};
    EXPECT_EQ(std::vector<std::string>(filenames, filenames + numFiles), want);
}

TEST_F(CatalogueTest, AtMostOneHundredNamesOfAtMost119Characters) {
    for (int i = 1; i <= 101; i++)
        writeFile("formulas_" + std::to_string(i) + std::string(150, 'x'), "");
    ASSERT_EQ(getFileNames(), MAX_FILES);
    sortFileNames(filenames, MAX_FILES);
    for (int i = 1; i < MAX_FILES; i++)
        EXPECT_LT(compare_filenames(filenames[i - 1], filenames[i]), 0);
    EXPECT_EQ(std::strlen(filenames[0]), FILENAME_SIZE - 1);
}

TEST(CompareFilenames, DifferenceOfTheNumbersFromThe10thCharacter) {
    const struct {
        const char *a, *b;
        int want;
    } cases[] = {
        {"formulas_010.txt", "formulas_002.txt", 8},
        {"formulas_1.txt", "formulas_001.txt", 0},
        {"formulas.txt", "formulas_001.txt", -1},
        {"formulas_ -3.txt", "formulas_x2", -3},
        {"formulas_99999999999", "formulas_-99999999999", INT_MAX},
    };
    for (const auto &c : cases) {
        char a[FILENAME_SIZE] = {}, b[FILENAME_SIZE] = {};
        std::strcpy(a, c.a);
        std::strcpy(b, c.b);
        EXPECT_EQ(compare_filenames(a, b), c.want) << c.a << " vs " << c.b;
    }
    char bare[FILENAME_SIZE] = "formulas_777";  // an older, longer name left behind the end
    bare[8] = '\0';
    EXPECT_EQ(fileNameNumber(bare), 0);
}

}  // namespace
