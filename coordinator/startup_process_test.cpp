// Bad resume arguments through the real quarnMain: each ends the run before any client exists,
// with its message, the usage text, exit status 0, only the start line in the log and nothing
// printed after the usage text.
#include <cstdio>
#include <string>

#include "run_util.h"

namespace {

const char USAGE[] =
    "\n"
    "---------------------------------------------------\n"
    "if no args, both M and V will start at file = 0, formula = 0\n"
    "if arg is present, example:\n"
    " ./quarnOneD_01 3,4,5,6,7,8\n"
    " M will start at file 3, formula 4 and V will start at file 5, formula 6\n"
    "The total formulas processed will start at 7, numPassed will start at 8\n";

const char BANNER[] = "quarnMain with 50 background processes. Press Ctrl+C to exit.\n";

const char FIELD1[] = "could not parse startFileNumM\n";
const char FIELD2[] = "could not parse startFormulaNumM, or startFileNumM > numFiles\n";
const char FIELD3[] = "could not parse startFileNumV\n";
const char FIELD4[] = "could not parse startFileNumV, or startFileNumV > numFiles\n";
const char FIELD5[] = "could not parse total formulas processed\n";
const char FIELD6[] = "could not parse total number passed\n";

class ResumeFailureTest : public TempDirTest {
protected:
    // Ten files of two formulas each, file numbers 0..9.
    std::string makeTenFiles() {
        std::string listing = "Found 10 files:\n";
        for (int i = 1; i <= 10; i++) {
            char name[32];
            std::snprintf(name, sizeof name, "formulas_%03d.txt", i);
            writeFile(path(name), "a" + std::to_string(i) + ", b, \n\n");
            listing += std::string(name) + "\n";
        }
        return listing + "\n";
    }
    void expectFailure(const std::string &arg, const std::string &listing,
                       const std::string &before, const std::string &message) {
        SCOPED_TRACE("argument \"" + arg + "\"");
        removeTree(path("logfile.txt"));
        RunResult r = runProgram(dir, {std::string(QUARN_BIN_DIR) + "/quarnMain", arg}, {}, 20);
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, BANNER + listing + "received: " + arg + "\n" + before + "\n*********\n" +
                             message + USAGE);
        EXPECT_EQ(r.err, "");
        const std::string log = readFile(path("logfile.txt"));
        EXPECT_EQ(log.rfind("Started new run: y", 0), 0u) << log;
        EXPECT_EQ(log.size(), std::string("Started new run: y2026m12d05 23:44:34\n").size())
            << log;
    }
};

std::string sixValues(int fm, int nm, int fv, int nv, long total, long passed) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "startFileNumM = %d, startFormulaNumM = %d, startFileNumV = %d, "
                  "startFormulaNumV = %d, totalFormulas = %ld, numPassed = %ld\n",
                  fm, nm, fv, nv, total, passed);
    return line;
}

TEST_F(ResumeFailureTest, EveryBadArgumentEndsTheRunWithItsMessage) {
    const std::string listing = makeTenFiles();
    struct Case {
        std::string arg, before, message;
    } cases[] = {
        {"", "", FIELD1},
        {",,,", "", FIELD1},
        {"3", "", FIELD2},
        {"10,0,0,0,0,0", "", FIELD2},
        {"-1,0,0,0,0,0", "", FIELD2},
        {"3,4", "", FIELD3},
        {"3,4,5", "", FIELD4},
        {"3,4,10,0,0,0", "", FIELD4},
        {"3,4,-3,0,0,0", "", FIELD4},
        {"3,0,5,0", "", FIELD5},
        {",3,,0,5,0,7,", "", FIELD6},
        {"9,3,0,0,0,0",
         sixValues(9, 3, 0, 0, 0, 0) +
             "getNextFormulaLineM() open first file, filename = formulas_010.txt\n",
         "requested startFormulaNumM, 3, returned NULL\n"},
        {"0,0,8,5,11,12", sixValues(0, 0, 8, 5, 11, 12),
         "requested startFormulaNumV, 5, returned NULL\n"},
    };
    for (const Case &c : cases) expectFailure(c.arg, listing, c.before, c.message);
}

TEST_F(ResumeFailureTest, EmptyCatalogueRefusesEveryFileNumber) {
    expectFailure("0,0,0,0,0,0", "Found 0 files:\n\n", "", FIELD2);
}

}  // namespace
