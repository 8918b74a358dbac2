// Start-up and resume in process: stream positions, run totals, the run log and the output.
// (Bad resume arguments end the process, and the exact output is checked, in
// startup_process_test.)
#include "startup.h"
#include "streams.h"

#include <regex>

#include "run_util.h"

namespace {

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
        }
    }
    static std::string start(std::vector<std::string> args) {  // startUp's output
        args.insert(args.begin(), "quarnMain");
        std::vector<char *> argv;
        for (auto &a : args) argv.push_back(a.data());
        testing::internal::CaptureStdout();
        startUp(static_cast<int>(args.size()), argv.data());
        return testing::internal::GetCapturedStdout();
    }
    static std::string next(char *(*stream)(int), const int &fileNum, const int &formulaNum) {
        const char *f = stream(STREAM_NEXT);
        return (f ? f : "null") +
               ("@" + std::to_string(fileNum) + "." + std::to_string(formulaNum));
    }
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
        {{",,3,,4,5,6,7,8,,99"}, "f3_5@3.5", "f5_7@5.7", 7, 8},
        {{"0,10,9,2,0,0"}, "f1_3@1.3", "f9_3@9.3", 0, 0},  // skipping runs across file ends
        {{"8,8,0,17,0,0"}, "f9_1@9.1", "f2_2@2.2", 0, 0},
        {{"9,7,0,-3,0,0"}, "f9_8@9.8", "f0_1@0.1", 0, 0},
        {{"a,b,c,d,e,f"}, "f0_1@0.1", "f0_1@0.1", 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.empty() ? "" : c.args[0]);
        totalFormulas = numPassed = 99;
        start(c.args);
        EXPECT_EQ(next(getNextFormulaM, presFileNumM, presFormulaNumM), c.m);
        EXPECT_EQ(next(getNextFormulaV, presFileNumV, presFormulaNumV), c.v);
        EXPECT_EQ(totalFormulas, c.total);
        EXPECT_EQ(numPassed, c.passed);
        clearState();
    }
}

TEST_F(StartUpTest, LogsTheStartAndPrintsAndLogsTheStreamPositions) {
    const std::string line =
        "startFileNumM = 3, startFormulaNumM = 4, startFileNumV = 5, startFormulaNumV = 6\n";
    const std::string out = start({"3,4,5,6,7,8"});
    EXPECT_EQ(out.substr(out.size() - line.size()), line);
    const std::string log = readFile("logfile.txt");
    EXPECT_TRUE(std::regex_match(
        log, std::regex("Started new run: y\\d{4}m\\d\\dd\\d\\d \\d\\d:\\d\\d:\\d\\d\n"
                        "received: 3,4,5,6,7,8\n" + line)))
        << log;
}

TEST_F(StartUpTest, CtrlCDuringSkippingEndsTheRun) {
    start({});
    sigintReceived = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, resumeFrom("0,5,0,0,0,0"));
    testing::internal::GetCapturedStdout();
}

}  // namespace
