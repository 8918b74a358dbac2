// The planner and the unit arithmetic: unit boundaries across file ends and an empty file,
// catalogues refused, plan.txt read back and checked, and where a unit stands after each kind
// of end of its run.
#include "campaign/plan.h"

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <ctime>

#include "campaign/context.h"
#include "campaign/status.h"
#include "campaign/unit.h"
#include "test/support.h"

namespace {

class PlanTest : public TempDirTest {
  protected:
    // a0..a9 in formulas_001.txt (7 and 3 to a line), formulas_002.txt empty, c0..c2 in
    // formulas_003.txt: 13 formulas, file numbers 0, 1, 2.
    void SetUp() override {
        TempDirTest::SetUp();
        writeFile(path("formulas_001.txt"), "a0, a1, a2, a3, a4, a5, a6, \na7, a8, a9, \n\n");
        writeFile(path("formulas_002.txt"), "");
        writeFile(path("formulas_003.txt"), "c0, c1, c2, \n\n");
    }
    // The unit lines of the plan written for units of mPerUnit M formulas.
    std::vector<std::string> unitLines(long mPerUnit) {
        Plan plan;
        std::string error;
        EXPECT_TRUE(makePlan(dir, mPerUnit, &plan, &error)) << error;
        EXPECT_TRUE(writePlan(path("plan.txt"), plan, &error)) << error;
        std::vector<std::string> out;
        for (auto &line : lines(readFile(path("plan.txt"))))
            if (std::isdigit(line[0])) out.push_back(line);
        return out;
    }
};

TEST_F(PlanTest, UnitsStartAtTheirFirstMFormulaAcrossFileEndsAndPastAnEmptyFile) {
    const std::pair<long, std::vector<std::string>> cases[] = {
        {4,
         {"0 0,0,0,0,0,0 4 52", "1 0,4,0,0,52,0 4 52", "2 0,8,0,0,104,0 4 52",
          "3 2,2,0,0,156,0 1 13"}},
        {10, {"0 0,0,0,0,0,0 10 130", "1 2,0,0,0,130,0 3 39"}},
    };
    for (const auto &[mPerUnit, units] : cases) EXPECT_EQ(units, unitLines(mPerUnit)) << mPerUnit;
}

TEST_F(PlanTest, CataloguesWithoutAFixedOrderAndPlansWithGapsAreRefused) {
    Plan plan;
    std::string error;
    unitLines(4);
    std::string text = readFile(path("plan.txt"));
    const std::string edits[][3] = {
        // a part of the plan, what it becomes, the message
        {"\n1 0,4,", "\n1 0,5,", "unit 1 does not start where"},  // a M late
        {" 52\n2", " 52x\n2", "is not a plan line: 1 0,4,0,0,52,0 4 52x"},
        {"unit 4\n", "unit 4 4\n", "is not a plan line: m-per-unit 4 4"},
    };
    for (const auto &[part, edit, message] : edits) {
        std::string wrong = text;
        writeFile(path("plan.txt"), wrong.replace(wrong.find(part), part.size(), edit));
        EXPECT_FALSE(readPlan(path("plan.txt"), &plan, &error));
        EXPECT_NE(std::string::npos, error.find(message)) << error;
    }
    writeFile(path("formulas.txt"), "x, \n");
    writeFile(path("formulas_000.txt"), "x, \n");
    EXPECT_FALSE(makePlan(dir, 1, &plan, &error));
    EXPECT_NE(std::string::npos, error.find("is not fixed (both read as file number 0)")) << error;
    std::remove(path("formulas_000.txt").c_str());
    ASSERT_EQ(0, symlink(path("nowhere").c_str(), path("formulas_004.txt").c_str()));
    EXPECT_FALSE(makePlan(dir, 1, &plan, &error));
    EXPECT_NE(std::string::npos, error.find("formulas_004.txt: No such file")) << error;
}

TEST_F(PlanTest, AUnitContinuesAtItsFirstPairNeverSentWithTheMFormulasLeft) {
    Plan plan;
    std::string error;
    ASSERT_TRUE(makePlan(dir, 4, &plan, &error));  // unit 2: a8, a9, c0, c1; pairs 104..155
    const std::string start =
        "Started new run: y2026m12d07 10:00:00\nreceived: ,0,8,,0,0,104,0,\n"
        "startFileNumM = 0, startFormulaNumM = 8, startFileNumV = 0, startFormulaNumV = 0\n";
    auto at = [&](const char *place, const char *end) {  // a progress line, then maybe an end
        return start + "log. M = m, V = v, fileM = " + place + "\n" + end;
    };
    // Each log: finished or not, the resume argument, M formulas left and pairs done.
    const std::pair<std::string, std::string> cases[] = {
        {start, "0 0,8,0,0,104,0 4 0"},
        {at("0, formulaM = 10, fileNumV = 2, formulaNumV = 2, total = 128, numPassed = 3",
            "Run ended: y2026m12d07 10:01:00, SIGTERM\nStarted new run: y2026m12d07 10:03:00\n"
            "received: x\n"),  // a run refused at its argument is passed over
         "0 0,9,2,1,128,3 3 24"},
        {at("2, formulaM = 1, fileNumV = 0, formulaNumV = 4, total = 133, numPassed = 3", ""),
         "0 2,0,0,3,133,3 2 29"},
        {at("2, formulaM = 3, fileNumV = 0, formulaNumV = 1, total = 156, numPassed = 5",
            "Run ended: y2026m12d07 10:02:00, M count done\n"),
         "1 2,2,0,0,156,5 0 52"},
        {at("0, formulaM = 10, fileNumV = 2, formulaNumV = 2, total = 128, numPassed = 3",
            "log. M = m, V = v, fileM = 2, formulaM = 1, fileNumV = 0, formulaNumV = 4, total = 1"),
         "0 0,9,2,1,128,3 3 24"},  // a line cut before its end is not read
    };
    for (const auto &[log, expected] : cases) {
        writeFile(path("logfile.txt"), log);
        UnitProgress p;
        ASSERT_TRUE(readUnitProgress(plan, 2, dir, &p, &error)) << error;
        EXPECT_EQ(expected, std::to_string(p.finished) + " " + resumeText(p.resume) + " " +
                                std::to_string(p.mLeft) + " " + std::to_string(p.pairsDone))
            << log;
    }
    UnitProgress p;
    EXPECT_FALSE(readUnitProgress(plan, 1, dir, &p, &error));  // unit 1 ends at a7
    EXPECT_NE(std::string::npos, error.find("outside unit 1"));
}

TEST_F(PlanTest, WorkFoldersRefuseWhatTheCoordinatorWouldMisreadAndStatusNamesFailedUnits) {
    Plan plan;
    std::string error;
    ASSERT_TRUE(makePlan(dir, 4, &plan, &error) && writePlan(path("plan.txt"), plan, &error));
    const std::string unit = path("unit_000/");
    clientPath = path("formulas_003.txt");  // any file serves as the client here
    ASSERT_TRUE(prepareWorkDir(plan, unit, &error)) << error;
    const std::pair<std::string, std::string> refusals[] = {
        {"formulas_002.txt", "formulas_002.txt is not a link to"},  // a file where the link was
        {"formulas_x", "holds formula files of its own"},
        {"", "no client program at"}};
    for (const auto &[name, message] : refusals) {
        std::remove((unit + name).c_str());
        if (name.empty()) clientPath = path("none");
        writeFile(unit + name, name.empty() ? "" : "f, \n");
        EXPECT_FALSE(prepareWorkDir(plan, unit, &error));
        EXPECT_NE(std::string::npos, error.find(message)) << error;
        std::remove((unit + name).c_str());
        symlink(path("formulas_002.txt").c_str(), path("unit_000/formulas_002.txt").c_str());
    }
    // Unit 0 ended for a fault; unit 1 was killed an hour ago, in the middle of its run.
    const std::string start = "Started new run: y2026m12d07 10:00:00\nstartFileNumM = 0, ";
    writeFile(unit + "logfile.txt", start + "\nRun ended: y2026m12d07 10:01:00, no clients left\n");
    mkdir(path("unit_001").c_str(), 0700);
    writeFile(path("unit_001/logfile.txt"),
              start +
                  "\nlog. M = a4, V = a0, fileM = 0, formulaM = 5, fileNumV = 0, "
                  "formulaNumV = 1, total = 52, numPassed = 0\n");
    const timeval hourAgo[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
    utimes(path("unit_001/logfile.txt").c_str(), hourAgo);
    testing::internal::CaptureStdout();
    showStatus(dir);
    const std::string shown = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, shown.find("units: 0 done, 0 running, 2 waiting, 2 failed\n"))
        << shown;
    EXPECT_NE(std::string::npos, shown.find("unit 0: failed, 0 of 52 pairs (0.0%), 0 passes; "
                                            "ended: no clients left\n"));
    EXPECT_NE(std::string::npos, shown.find("unit 1: failed, 0 of 52 pairs (0.0%), 0 passes; "
                                            "killed without an orderly end"));
}

}  // namespace
