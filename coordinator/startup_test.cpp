// Start-up and resume in process: stream positions, run totals, the run log, the exact output
// of every refused resume argument and the refused settings.
#include "coordinator/startup.h"

#include <regex>

#include "coordinator/settings.h"
#include "coordinator/streams.h"
#include "coordinator/test/run_util.h"

namespace {

const std::string USAGE =
    "\n---------------------------------------------------\n"
    "if no args, both M and V will start at file = 0, formula = 0\n"
    "if arg is present, example:\n"
    " ./quarnOneD_01 3,4,5,6,7,8\n"
    " M will start at file 3, formula 4 and V will start at file 5, formula 6\n"
    "The total formulas processed will start at 7, numPassed will start at 8\n";

// Ten files formulas_001.txt .. formulas_010.txt (file numbers 0..9), each two lines of four
// formulas "f<file number>_<position>" and the closing empty line.
class StartUpTest : public InDirTest {
  protected:
    void SetUp() override {
        InDirTest::SetUp();
        for (int file = 0; file < 10; file++) {
            std::string text;
            for (int k = 1; k <= 8; k++)
                text +=
                    "f" + std::to_string(file) + "_" + std::to_string(k) + (k % 4 ? ", " : ", \n");
            writeFile("formulas_0" + std::to_string(file + 101).substr(1) + ".txt", text + "\n");
            listing += "formulas_0" + std::to_string(file + 101).substr(1) + ".txt\n";
        }
    }
    // startUp's output; its result in *end.
    static std::string start(std::vector<std::string> args, RunEnd *end = nullptr) {
        args.insert(args.begin(), "quarnMain");
        std::vector<char *> argv;
        for (auto &a : args) argv.push_back(a.data());
        testing::internal::CaptureStdout();
        RunEnd result = startUp(static_cast<int>(args.size()), argv.data());
        if (end != nullptr) *end = result;
        return testing::internal::GetCapturedStdout();
    }
    static std::string next(char *(*stream)(int), const int &fileNum, const int &formulaNum) {
        const char *f = stream(STREAM_NEXT);
        return (f ? f : "null") +
               ("@" + std::to_string(fileNum) + "." + std::to_string(formulaNum));
    }
    std::string listing = "Found 10 files:\n";
};

TEST_F(StartUpTest, PositionsAndTotalsFromTheArguments) {
    const struct {
        std::vector<std::string> args;
        const char *m, *v;
        long total, passed;
    } cases[] = {
        {{}, "f0_1@0.1", "f0_1@0.1", 0, 0},
        {{"3,4,5,6,7,8", "x"}, "f0_1@0.1", "f0_1@0.1", 0, 0},  // two arguments: no resume
        {{"3,4,5,6,7,8"}, "f3_5@3.5", "f5_7@5.7", 7, 8},
        {{"0,10,9,2,0,0"}, "f1_3@1.3", "f9_3@9.3", 0, 0},  // skipping runs across file ends
        {{"8,8,0,17,0,0"}, "f9_1@9.1", "f2_2@2.2", 0, 0},
        {{"9,7,0,-3,0,0"}, "f9_8@9.8", "f0_1@0.1", 0, 0},
        {{"0,0,0,0,1000000000000000000,5"}, "f0_1@0.1", "f0_1@0.1", 1000000000000000000L, 5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.empty() ? "" : c.args[0]);
        totalFormulas = numPassed = 99;
        RunEnd end;
        start(c.args, &end);
        EXPECT_EQ(END_NONE, end);
        EXPECT_EQ(next(getNextFormulaM, presFileNumM, presFormulaNumM), c.m);
        EXPECT_EQ(next(getNextFormulaV, presFileNumV, presFormulaNumV), c.v);
        EXPECT_EQ(totalFormulas, c.total);
        EXPECT_EQ(numPassed, c.passed);
        clearState();
    }
}

TEST_F(StartUpTest, LogsTheStartTheArgumentAndTheStreamPositions) {
    const std::string line =
        "startFileNumM = 3, startFormulaNumM = 4, startFileNumV = 5, startFormulaNumV = 6\n";
    const std::string out = start({"3,4,5,6,7,8"});
    EXPECT_TRUE(out.ends_with(line));
    const std::string log = readFile("logfile.txt");
    EXPECT_TRUE(std::regex_match(
        log, std::regex("Started new run: y\\d{4}m\\d\\dd\\d\\d \\d\\d:\\d\\d:\\d\\d\n"
                        "received: 3,4,5,6,7,8\n" +
                        line)))
        << log;
}

TEST_F(StartUpTest, EveryBadArgumentEndsTheRunWithItsMessageAndTheUsage) {
    const std::string field2 = "could not parse startFormulaNumM, or startFileNumM > numFiles\n";
    const std::string field4 = "could not parse startFileNumV, or startFileNumV > numFiles\n";
    const std::string total = "could not parse total formulas processed\n";
    const struct {
        std::string arg, before, message;
    } cases[] = {
        {"", "", "could not parse startFileNumM\n"},
        {",,,", "", "could not parse startFileNumM\n"},
        {"3", "", field2},
        {"10,0,0,0,0,0", "", field2},
        {"-1,0,0,0,0,0", "", field2},
        {"3,4", "", "could not parse startFileNumV\n"},
        {"3,4,5", "", field4},
        {"3,4,10,0,0,0", "", field4},
        {"3,4,-3,0,0,0", "", field4},
        {"3,0,5,0", "", total},
        {"0,0,0,0,9223372036854775807,0", "", total},  // totals must be able to grow
        {"0,0,0,0,-1,0", "", total},
        {",3,,0,5,0,7,", "", "could not parse total number passed\n"},
        {"0,0,0,0,0,1000000000000000001", "", "could not parse total number passed\n"},
        {"9,9,0,0,0,0",
         "startFileNumM = 9, startFormulaNumM = 9, startFileNumV = 0, startFormulaNumV = 0, "
         "totalFormulas = 0, numPassed = 0\n"
         "getNextFormulaLineM() open first file, filename = formulas_010.txt\n",
         "requested startFormulaNumM, 9, returned NULL\n"},
        {"0,0,8,17,11,12",
         "startFileNumM = 0, startFormulaNumM = 0, startFileNumV = 8, startFormulaNumV = 17, "
         "totalFormulas = 11, numPassed = 12\n",
         "requested startFormulaNumV, 17, returned NULL\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("argument \"" + c.arg + "\"");
        std::remove("logfile.txt");
        RunEnd end;
        const std::string out = start({c.arg}, &end);
        EXPECT_EQ(END_BAD_RESUME, end);
        EXPECT_EQ(out, "quarnMain with 50 background processes. Press Ctrl+C to exit.\n" + listing +
                           "\n" + "received: " + c.arg + "\n" + c.before + "\n*********\n" +
                           c.message + USAGE);
        EXPECT_TRUE(
            std::regex_match(readFile("logfile.txt"), std::regex("Started new run: [^\n]*\n")));
        clearState();
    }
}

TEST_F(StartUpTest, CtrlCDuringSkippingEndsTheRun) {
    start({});
    sigintReceived = SIGINT;
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, resumeFrom("0,5,0,0,0,0"));
    testing::internal::GetCapturedStdout();
}

TEST(SettingsTest, InvalidSettingsAreRefusedBeforeAnythingStarts) {
    const std::pair<std::string, std::string> cases[] = {
        {"QUARN_MIN_FREE_KB=lots", "a non-negative whole number of kB"},
        {"QUARN_MIN_FREE_KB=-1", "a non-negative whole number of kB"},
        {"QUARN_M_COUNT=0", "a whole number of M formulas above 0"},
        {"QUARN_M_COUNT=5x", "a whole number of M formulas above 0"},
        {"QUARN_M_COUNT= 5", "a whole number of M formulas above 0"},
        {"QUARN_KEY_BASE=0", "auto or a whole number from 1 to 2147483598"},
        {"QUARN_KEY_BASE=2147483599", "auto or a whole number from 1 to 2147483598"},
        {"QUARN_CLIENT_SUDO=yes", "0 or 1"},
        {"QUARN_HOLD_LIMIT_S=", "a whole number of seconds above 0"},
    };
    for (const auto &[setting, mustBe] : cases) {
        const std::string name = setting.substr(0, setting.find('=')),
                          value = setting.substr(name.size() + 1);
        EXPECT_EXIT((setenv(name.c_str(), value.c_str(), 1), readSettings()),
                    testing::ExitedWithCode(1),
                    "^quarnMain: " + name + " must be " + mustBe + ", not \"" + value + "\"\n$");
    }
}

}  // namespace
