// Formula files, writer's side: the choice of a free name and the layout of a written file,
// read back line by line. Each test works in a fresh temporary directory that it removes.
#include "formula_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cycle.h"

namespace {

class GeneratorFormulaFile : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zindel_file_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
    }
    static void touch(const std::string &name) { std::ofstream(name) << "x"; }

    std::filesystem::path dir, old;
};

TEST_F(GeneratorFormulaFile, TakesTheLowestFreeNumberEachTime) {
    char filename[FILENAME_SIZE];
    ASSERT_EQ(freeFilename(filename), 1);
    EXPECT_STREQ(filename, "formulas_001.txt");
    touch("formulas_001.txt");
    touch("formulas_003.txt");
    ASSERT_EQ(freeFilename(filename), 1);
    EXPECT_STREQ(filename, "formulas_002.txt");
    touch("formulas_002.txt");
    ASSERT_EQ(freeFilename(filename), 1);
    EXPECT_STREQ(filename, "formulas_004.txt");
    // Any kind of directory entry occupies its name.
    std::filesystem::create_directory("formulas_004.txt");
    ASSERT_EQ(freeFilename(filename), 1);
    EXPECT_STREQ(filename, "formulas_005.txt");
}

TEST_F(GeneratorFormulaFile, AllNamesTakenReportsTheLastTried) {
    for (int n = 1; n <= 999; n++) {
        char name[32];
        snprintf(name, sizeof name, "formulas_%03d.txt", n);
        touch(name);
    }
    char filename[FILENAME_SIZE];
    EXPECT_EQ(freeFilename(filename), 0);
    EXPECT_STREQ(filename, "formulas_999.txt");
}

TEST_F(GeneratorFormulaFile, WritesTenThousandLinesOfSevenThenAnEmptyLine) {
    char none[] = "";
    zindel(1, none);
    ASSERT_EQ(writeFormulaFile("formulas_001.txt"), WRITE_OK);
    // The same formulas, in order, straight from a fresh start.
    zindel(1, none);
    std::ifstream in("formulas_001.txt", std::ios::binary);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        lines++;
        if (lines == 10001) {
            EXPECT_EQ(line, "");
            continue;
        }
        std::string expected;
        for (int f = 0; f < 7; f++) expected += std::string(zindel(0, nullptr)) + ", ";
        ASSERT_EQ(line, expected) << "line " << lines;
    }
    EXPECT_EQ(lines, 10001);
    in.close();
    // The file ends with the LF of the empty line; no CR anywhere.
    std::ifstream raw("formulas_001.txt", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all.substr(all.size() - 4), ", \n\n");
    EXPECT_EQ(all.find('\r'), std::string::npos);
}

TEST_F(GeneratorFormulaFile, AppendsToWhatIsThere) {
    touch("formulas_001.txt");
    char none[] = "";
    zindel(1, none);
    ASSERT_EQ(writeFormulaFile("formulas_001.txt"), WRITE_OK);
    std::ifstream in("formulas_001.txt");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first.substr(0, 10), "xv+m+V+M, ");
}

TEST_F(GeneratorFormulaFile, OpenFailureIsReported) {
    // A name whose status query fails but that cannot be created: a dangling link into a
    // directory that does not exist.
    std::filesystem::create_symlink("missing/target", "formulas_001.txt");
    char filename[FILENAME_SIZE];
    ASSERT_EQ(freeFilename(filename), 1);
    EXPECT_STREQ(filename, "formulas_001.txt");
    EXPECT_EQ(writeFormulaFile(filename), WRITE_OPEN_FAILED);
}

}  // namespace
