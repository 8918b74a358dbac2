// Bad resume arguments through the real quarnMain: each ends the run before any client exists,
// with its message and the usage text, exit status 0, only the start line in the log.
#include <regex>

#include "run_util.h"

namespace {

const std::string USAGE =
    "\n---------------------------------------------------\n"
    "if no args, both M and V will start at file = 0, formula = 0\n"
    "if arg is present, example:\n"
    " ./quarnOneD_01 3,4,5,6,7,8\n"
    " M will start at file 3, formula 4 and V will start at file 5, formula 6\n"
    "The total formulas processed will start at 7, numPassed will start at 8\n";

class ResumeFailureTest : public TempDirTest {
  protected:
    // Runs quarnMain with `arg`; its output must be the start-up text, `before` (printed while
    // resuming), the failure `message` and the usage text, and nothing else.
    void expectFailure(const std::string &arg, const std::string &before,
                       const std::string &message) {
        SCOPED_TRACE("argument \"" + arg + "\"");
        removeTree(path("logfile.txt"));
        RunResult r = runProgram(dir, {std::string(QUARN_BIN_DIR) + "/quarnMain", arg}, {}, 20);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "quarnMain with 50 background processes. Press Ctrl+C to exit.\n" +
                             listing + "received: " + arg + "\n" + before + "\n*********\n" +
                             message + USAGE);
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(std::regex_match(readFile(path("logfile.txt")),
                                     std::regex("Started new run: [^\n]*\n")));
    }
    std::string listing = "Found 0 files:\n\n";
};

TEST_F(ResumeFailureTest, EveryBadArgumentEndsTheRunWithItsMessage) {
    listing = "Found 10 files:\n";
    for (int i = 1; i <= 10; i++) {  // ten files of two formulas each, file numbers 0..9
        const std::string name = "formulas_0" + std::to_string(100 + i).substr(1) + ".txt";
        writeFile(path(name), "a, b, \n\n");
        listing += name + "\n";
    }
    listing += "\n";
    const std::string field2 = "could not parse startFormulaNumM, or startFileNumM > numFiles\n";
    const std::string field4 = "could not parse startFileNumV, or startFileNumV > numFiles\n";
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
        {"3,0,5,0", "", "could not parse total formulas processed\n"},
        {",3,,0,5,0,7,", "", "could not parse total number passed\n"},
        {"9,3,0,0,0,0",
         "startFileNumM = 9, startFormulaNumM = 3, startFileNumV = 0, startFormulaNumV = 0, "
         "totalFormulas = 0, numPassed = 0\n"
         "getNextFormulaLineM() open first file, filename = formulas_010.txt\n",
         "requested startFormulaNumM, 3, returned NULL\n"},
        {"0,0,8,5,11,12",
         "startFileNumM = 0, startFormulaNumM = 0, startFileNumV = 8, startFormulaNumV = 5, "
         "totalFormulas = 11, numPassed = 12\n",
         "requested startFormulaNumV, 5, returned NULL\n"},
    };
    for (const auto &c : cases) expectFailure(c.arg, c.before, c.message);
}

TEST_F(ResumeFailureTest, EmptyCatalogueRefusesEveryFileNumber) {
    expectFailure("0,0,0,0,0,0", "",
                  "could not parse startFormulaNumM, or startFileNumM > numFiles\n");
}

TEST_F(ResumeFailureTest, ABadFreeMemoryThresholdIsRefusedBeforeAnythingStarts) {
    for (const std::string bad : {"lots", "-1", "5kB", ""}) {
        RunResult r = runProgram(dir, {QUARN_BIN_DIR "/quarnMain"}, {"QUARN_MIN_FREE_KB=" + bad});
        EXPECT_EQ(1, r.status);
        EXPECT_EQ("", r.out);
        EXPECT_EQ("quarnMain: QUARN_MIN_FREE_KB must be a non-negative whole number of kB, not \"" +
                      bad + "\"\n", r.err);
    }
    EXPECT_EQ("", readFile(path("logfile.txt")));
}

}  // namespace
