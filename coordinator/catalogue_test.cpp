// The catalogue: which entries are taken, the 100-entry limit, name cutting, the sort order.
#include "coordinator/catalogue.h"

#include "coordinator/state.h"
#include "coordinator/test/run_util.h"

namespace {

class CatalogueTest : public InDirTest {
  protected:
    std::vector<std::string> catalogue() {
        buildCatalogue(".");
        return std::vector<std::string>(filenames, filenames + numFiles);
    }
};

TEST_F(CatalogueTest, TakesFormulasEntriesSortedByTheNumberFromThe10thCharacter) {
    for (const char *name : {"formulas_010.txt", "formulas_002.txt", "formulas.txt", "formulas_ -3",
                             "Formulas_001.txt", "xformulas_003.txt"})
        writeFile(name, "");
    EXPECT_EQ((std::vector<std::string>{"formulas_ -3", "formulas.txt", "formulas_002.txt",
                                        "formulas_010.txt"}),
              catalogue());
}

TEST_F(CatalogueTest, AtMostOneHundredNamesOfAtMost119Characters) {
    for (int i = 1; i <= 101; i++)
        writeFile("formulas_" + std::to_string(i) + std::string(150, 'x'), "");
    auto names = catalogue();
    ASSERT_EQ(100u, names.size());
    for (int i = 1; i < MAX_FILES; i++)
        EXPECT_LT(fileNameNumber(filenames[i - 1]), fileNameNumber(filenames[i]));
    EXPECT_EQ(FILENAME_SIZE - 1, names[0].size());
    char bare[FILENAME_SIZE] = "formulas_777";  // an older, longer name left behind the end
    bare[8] = '\0';
    EXPECT_EQ(0, fileNameNumber(bare));
}

}  // namespace
