// The run log read back: which run counts, where a search continues, when it is finished. (The
// lines as quarnMain writes them are read back in the whole-search tests; the fields of a resume
// argument are read in the start-up tests.)
#include "runlog.h"

#include "run_util.h"

namespace {

class RunLogTest : public InDirTest {};

std::string resumeOf(const RunLogSummary &s) {
    std::string text;
    for (long v : s.resume) text += (text.empty() ? "" : ",") + std::to_string(v);
    return text;
}

TEST_F(RunLogTest, ContinuationComesFromTheLastRunThatPositionedItsStreams) {
    const std::string start = "Started new run: y2026m12d07 10:00:00\n";
    const std::string positioned = "startFileNumM = 0, startFormulaNumM = 0, startFileNumV = 0, startFormulaNumV = 0\n";
    const std::string progress = "log. M = a,b, V = c, fileM = 2, formulaM = 7, fileNumV = 1, formulaNumV = 4, "
                                 "total = 900, numPassed = 3\n";
    const struct {
        std::string log, resume, reason;
        int finished, fromProgress;
    } cases[] = {
        {start + positioned + progress, "2,6,1,3,900,3", "", 0, 1},  // killed
        {start + positioned + progress + "Run ended: y2026m12d07 10:01:00, stop file\n", "2,6,1,3,900,3",
         "stop file", 0, 1},
        {start + positioned + progress + "Run ended: y2026m12d07 10:01:00, all done\n", "2,6,1,3,900,3", "all done", 1, 1},
        {start + positioned + progress + "Run ended: y2026m12d07 10:01:00, M count done\n" + start, "2,6,1,3,900,3",
         "M count done", 1, 1},  // a run refused at its argument is passed over
        {start + positioned + progress + start + "received: ,5,,6,7,8,9,\n" + positioned, "5,6,7,8,9,0", "", 0, 0},
        {start + "received: 1,2,3,4,5,6\n" + positioned + "log. M = x\n", "1,2,3,4,5,6", "", 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.log);
        writeFile("logfile.txt", c.log);
        RunLogSummary s;
        ASSERT_EQ(1, readRunLog("logfile.txt", &s));
        EXPECT_EQ(c.resume, resumeOf(s));
        EXPECT_EQ(c.reason, s.endReason);
        EXPECT_EQ(c.finished, s.finished);
        EXPECT_EQ(c.fromProgress, s.fromProgress);
    }
    RunLogSummary s;
    writeFile("logfile.txt", start + "received: x\n");
    EXPECT_EQ(0, readRunLog("logfile.txt", &s));
    EXPECT_EQ(0, readRunLog("missing.txt", &s));
}

}  // namespace
