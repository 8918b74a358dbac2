// Start-up and resume in process: stream positions, run totals, the run log and what is
// printed. (Failures of the resume argument end the process; the process test covers them.)
#include "startup.h"

#include <regex>
#include <string>
#include <vector>

#include "in_dir_fixture.h"

namespace {

const char STARTED[] = "Started new run: y\\d{4}m\\d\\dd\\d\\d \\d\\d:\\d\\d:\\d\\d\n";

// Ten files formulas_001.txt .. formulas_010.txt (file numbers 0..9) of two lines of four
// formulas, "f<file number>_<position>", plus the closing empty line.
class StartUpTest : public InDirTest {
protected:
    void SetUp() override {
        InDirTest::SetUp();
        for (int file = 0; file < 10; file++) {
            std::string text;
            for (int k = 1; k <= 8; k++) {
                text += "f" + std::to_string(file) + "_" + std::to_string(k) + ", ";
                if (k % 4 == 0) text += "\n";
            }
            char name[32];
            std::snprintf(name, sizeof name, "formulas_%03d.txt", file + 1);
            writeFile(name, text + "\n");
        }
    }
    // Runs startUp with the given arguments and returns what it printed.
    static std::string start(std::vector<std::string> args) {
        args.insert(args.begin(), "quarnMain");
        std::vector<char *> argv;
        for (auto &a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        testing::internal::CaptureStdout();
        startUp(static_cast<int>(args.size()), argv.data());
        return testing::internal::GetCapturedStdout();
    }
    static void expectNext(char *(*next)(int), const char *formula, int fileNum, int formulaNum,
                           const int &presFileNum, const int &presFormulaNum) {
        const char *got = next(STREAM_NEXT);
        ASSERT_NE(got, nullptr);
        EXPECT_STREQ(got, formula);
        EXPECT_EQ(presFileNum, fileNum);
        EXPECT_EQ(presFormulaNum, formulaNum);
    }
};

const char CATALOGUE_TEXT[] =
    "quarnMain with 50 background processes. Press Ctrl+C to exit.\n"
    "Found 10 files:\n"
    "formulas_001.txt\nformulas_002.txt\nformulas_003.txt\nformulas_004.txt\nformulas_005.txt\n"
    "formulas_006.txt\nformulas_007.txt\nformulas_008.txt\nformulas_009.txt\nformulas_010.txt\n"
    "\n";

TEST_F(StartUpTest, WithoutResumeEverythingStartsAtZero) {
    for (const auto &args : {std::vector<std::string>{}, {"3,4,5,6,7,8", "extra"}}) {
        SCOPED_TRACE(args.size());
        removeTree("logfile.txt");
        totalFormulas = 99;
        const std::string out = start(args);
        const char *line =
            "startFileNumM = 0, startFormulaNumM = 0, startFileNumV = 0, startFormulaNumV = 0\n";
        EXPECT_EQ(out, std::string(CATALOGUE_TEXT) + line);
        EXPECT_TRUE(std::regex_match(readFile("logfile.txt"),
                                     std::regex(std::string(STARTED) + line)))
            << readFile("logfile.txt");
        EXPECT_EQ(totalFormulas, 0);
        EXPECT_EQ(numPassed, 0);
        expectNext(getNextFormulaM, "f0_1", 0, 1, presFileNumM, presFormulaNumM);
        expectNext(getNextFormulaV, "f0_1", 0, 1, presFileNumV, presFormulaNumV);
        clearState();
    }
}

TEST_F(StartUpTest, ResumePositionsBothStreamsAndCarriesTheTotals) {
    for (const char *arg : {"3,4,5,6,7,8", ",,3,,4,5,6,7,8,", "3,4,5,6,7,8,99"}) {
        SCOPED_TRACE(arg);
        removeTree("logfile.txt");
        const std::string out = start({arg});
        const char *line =
            "startFileNumM = 3, startFormulaNumM = 4, startFileNumV = 5, startFormulaNumV = 6\n";
        EXPECT_EQ(out, std::string(CATALOGUE_TEXT) + "received: " + arg + "\n" +
                           "startFileNumM = 3, startFormulaNumM = 4, startFileNumV = 5, "
                           "startFormulaNumV = 6, totalFormulas = 7, numPassed = 8\n"
                           "getNextFormulaLineM() open first file, filename = formulas_004.txt\n" +
                           line);
        EXPECT_TRUE(std::regex_match(readFile("logfile.txt"),
                                     std::regex(std::string(STARTED) + line)));
        EXPECT_EQ(totalFormulas, 7);
        EXPECT_EQ(numPassed, 8);
        expectNext(getNextFormulaM, "f3_5", 3, 5, presFileNumM, presFormulaNumM);
        expectNext(getNextFormulaV, "f5_7", 5, 7, presFileNumV, presFormulaNumV);
        clearState();
    }
}

TEST_F(StartUpTest, SkippingRunsOnAcrossFileEnds) {
    struct Case {
        const char *arg;
        const char *m;
        int mFile, mNum;
        const char *v;
        int vFile, vNum;
    } cases[] = {
        {"0,10,9,2,0,0", "f1_3", 1, 3, "f9_3", 9, 3},
        {"8,8,0,17,0,0", "f9_1", 9, 1, "f2_2", 2, 2},
        {"9,0,9,0,0,0", "f9_1", 9, 1, "f9_1", 9, 1},
        {"0,-5,0,-1,0,0", "f0_1", 0, 1, "f0_1", 0, 1},  // a count below 1 skips nothing
        {"9,7,0,0,0,0", "f9_8", 9, 8, "f0_1", 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arg);
        start({c.arg});
        expectNext(getNextFormulaM, c.m, c.mFile, c.mNum, presFileNumM, presFormulaNumM);
        expectNext(getNextFormulaV, c.v, c.vFile, c.vNum, presFileNumV, presFormulaNumV);
        clearState();
    }
}

TEST_F(StartUpTest, FieldsThatAreNotNumbersReadAsZero) {
    const std::string out = start({"a,b,c,d,e,f"});
    EXPECT_NE(out.find("received: a,b,c,d,e,f\nstartFileNumM = 0, startFormulaNumM = 0, "
                       "startFileNumV = 0, startFormulaNumV = 0, totalFormulas = 0, "
                       "numPassed = 0\n"),
              std::string::npos)
        << out;
    expectNext(getNextFormulaM, "f0_1", 0, 1, presFileNumM, presFormulaNumM);
}

TEST_F(StartUpTest, ResumeFailuresReturnWithTheirMessage) {
    startUp(1, nullptr);  // builds the catalogue of 10 files
    struct Case {
        const char *arg;
        const char *message;
    } cases[] = {
        {"", "could not parse startFileNumM\n"},
        {"-1,0,0,0,0,0", "could not parse startFormulaNumM, or startFileNumM > numFiles\n"},
        {"9,0,-2,0,0,0", "could not parse startFileNumV, or startFileNumV > numFiles\n"},
        {"9,9,0,0,0,0", "requested startFormulaNumM, 9, returned NULL\n"},
        {"0,0,0,81,0,0", "requested startFormulaNumV, 81, returned NULL\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arg);
        testing::internal::CaptureStdout();
        EXPECT_EQ(resumeFrom(c.arg), 0);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string tail = std::string("\n*********\n") + c.message;
        ASSERT_GE(out.size(), tail.size());
        EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    }
}

TEST_F(StartUpTest, CtrlCDuringSkippingEndsTheRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    startUp(1, nullptr);
    sigintReceived = 1;
    EXPECT_EXIT(resumeFrom("0,5,0,0,0,0"), testing::ExitedWithCode(0), "");
}

}  // namespace
