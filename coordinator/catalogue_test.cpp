// The catalogue: which directory entries are taken, the 100-entry limit, name cutting, and the
// order by the number after "formulas_".
#include "catalogue.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "in_dir_fixture.h"

namespace {

class CatalogueTest : public InDirTest {};

std::vector<std::string> catalogue(int count) {
    return std::vector<std::string>(filenames, filenames + count);
}

TEST_F(CatalogueTest, TakesEntriesBeginningWithFormulasAndSortsByNumber) {
    for (const char *name : {"formulas_010.txt", "formulas_002.txt", "formulas.txt",
                             "Formulas_001.txt", "xformulas_003.txt", "formula_004.txt"})
        writeFile(name, "");
    ASSERT_EQ(mkdir("formulas_007", 0700), 0);  // any kind of entry counts
    const int count = getFileNames();
    sortFileNames(filenames, count);
    EXPECT_EQ(catalogue(count), (std::vector<std::string>{"formulas.txt", "formulas_002.txt",
                                                          "formulas_007", "formulas_010.txt"}));
}

TEST_F(CatalogueTest, TakesAtMostOneHundredEntries) {
    for (int i = 1; i <= 101; i++) writeFile("formulas_" + std::to_string(i) + ".txt", "");
    const int count = getFileNames();
    ASSERT_EQ(count, MAX_FILES);
    sortFileNames(filenames, count);
    std::vector<std::string> names = catalogue(count);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const auto &a, const auto &b) {
        return fileNameNumber(a.c_str()) < fileNameNumber(b.c_str());
    }));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
}

TEST_F(CatalogueTest, LongNamesAreCutTo119Characters) {
    const std::string name = "formulas_5" + std::string(200, 'x');
    writeFile(name, "");
    ASSERT_EQ(getFileNames(), 1);
    EXPECT_EQ(std::string(filenames[0]), name.substr(0, FILENAME_SIZE - 1));
}

TEST_F(CatalogueTest, EmptyDirectoryGivesEmptyCatalogue) { EXPECT_EQ(getFileNames(), 0); }

TEST(CompareFilenames, DifferenceOfTheNumbersFromThe10thCharacter) {
    struct Case {
        const char *a, *b;
        int expected;
    } cases[] = {
        {"formulas_010.txt", "formulas_002.txt", 8},
        {"formulas_002.txt", "formulas_010.txt", -8},
        {"formulas_1.txt", "formulas_001.txt", 0},
        {"formulas.txt", "formulas_001.txt", -1},
        {"formulas_old", "formulas_000.txt", 0},
        {"formulas_ -3.txt", "formulas_2", -5},
        {"formulas_+4", "formulas_x9", 4},
        {"formulas_99999999999", "formulas_-99999999999", INT_MAX},
        {"formulas_-99999999999", "formulas_99999999999", INT_MIN},
    };
    for (const Case &c : cases) {
        char a[FILENAME_SIZE] = {}, b[FILENAME_SIZE] = {};
        std::strcpy(a, c.a);
        std::strcpy(b, c.b);
        EXPECT_EQ(compare_filenames(a, b), c.expected) << c.a << " vs " << c.b;
    }
}

TEST(CompareFilenames, BareNameReadsNothingBehindItsEnd) {
    char bare[FILENAME_SIZE] = {}, one[FILENAME_SIZE] = {};
    std::strcpy(bare, "formulas_777");  // an earlier, longer name left in the buffer
    bare[8] = '\0';
    std::strcpy(one, "formulas_001.txt");
    EXPECT_EQ(compare_filenames(bare, one), -1);
}

}  // namespace
