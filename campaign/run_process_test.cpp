// A killed search continued with the argument quarnCampaign computes, and a campaign run here
// one unit after another, then asked to do what it refuses: the real quarnMain and quarnCampaign
// with the stand-in client, whose request logs show every pair sent.
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "campaign/test/campaign_support.h"
#include "common/lock_file.h"

namespace {

const std::vector<std::string> kRunEnv = {"QUARN_KEY_BASE=3100", "QUARN_CLIENT_SUDO=0",
                                          "QUARN_MIN_FREE_KB=0"};
constexpr int kFormulas = 30;  // formulas_001.txt with f0..f19, formulas_002.txt with f20..f29

using CampaignRunTest = CampaignTest;

TEST_F(CampaignRunTest, AKilledSearchContinuedWithTheComputedArgumentSkipsNoPair) {
    writeCatalogue(dir, {20, 10});
    placeClient(dir, "pass=f7\ndelay_ms=1000\n");  // slow enough for a progress line first
    Process first(dir, {kQuarnMain}, kRunEnv);
    // Killed, the search continues from its last progress line: wait for one.
    ASSERT_TRUE(waitFor(
        [&] {
            return requested(dir).size() > 300 &&
                   readFile(path("logfile.txt")).find("log. M") != std::string::npos;
        },
        60));
    kill(first.pid, SIGKILL);
    EXPECT_EQ(128 + SIGKILL, first.wait(120).status);
    RunResult resume = runProgram(dir, {kCampaign, "resume-argument", "."});
    ASSERT_EQ(0, resume.status) << resume.out;
    resume.out.pop_back();
    EXPECT_EQ(0, runProgram(dir, {kQuarnMain, resume.out}, kRunEnv).status);

    EXPECT_EQ("finished: all done\n", runProgram(dir, {kCampaign, "resume-argument", "."}).out);
    std::filesystem::create_directory(path("fifo"));
    ASSERT_EQ(0, mkfifo(path("fifo/logfile.txt").c_str(), 0600));  // never waited on
    EXPECT_EQ("quarnCampaign: cannot read fifo/logfile.txt: not a regular file\n",
              runProgram(dir, {kCampaign, "resume-argument", "fifo"}, {}, 10).err);
    std::vector<std::string> sent = requested(dir);  // up to ten seconds of pairs again
    sent.erase(std::unique(sent.begin(), sent.end()), sent.end());
    EXPECT_EQ(allPairs(kFormulas), sent);
}

TEST_F(CampaignRunTest,
       UnitsRunOneAfterAnotherAStoppedOneContinuesExactlyAndBadCommandsAreRefused) {
    writeCatalogue(path("catalogue"), {20, 10});
    ASSERT_EQ(0, runProgram(dir, {kCampaign, "plan", "campaign", "catalogue", "10"}).status);
    const std::string client = wrapperClient(path("logs"), "pass=f7\ndelay_ms=1000\n");
    const std::vector<std::string> run = {kCampaign, "run", "campaign", "--client", client};

    Process first(dir, run, kRunEnv);
    ASSERT_TRUE(waitFor([&] { return unitRequests(path("logs"), 1, 10) > 50; }, 120));
    kill(first.pid, SIGTERM);  // quarnCampaign alone: it passes the signal on to its coordinator
    const RunResult stopped = first.wait(120);
    const std::size_t unit2 = unitRequests(path("logs"), 2, 10);
    const RunResult again = runProgram(dir, run, kRunEnv, 300);

    EXPECT_EQ(3, stopped.status);  // unit 1 is not finished, and unit 2 was not started
    EXPECT_EQ(0u, unit2);
    EXPECT_EQ(0, again.status);
    EXPECT_NE(std::string::npos, again.out.find("unit 0 is done\nunit 1 in ")) << again.out;
    // Each unit's run ended after its M count, with the totals of the search carried on.
    EXPECT_EQ("0,10,0,0,300,30\n",
              runProgram(dir, {kCampaign, "resume-argument", "campaign/unit_000"}).out);
    EXPECT_EQ("1,0,0,0,600,1\n",
              runProgram(dir, {kCampaign, "resume-argument", "campaign/unit_001"}).out);

    // Bad command lines, a second plan and a catalogue changed since the plan are refused, also
    // when the change keeps the file's size (f22 becomes part of f21's field).
    std::string changed = readFile(path("catalogue/formulas_002.txt"));
    writeFile(path("catalogue/formulas_002.txt"),
              changed.replace(changed.find("f21, "), 5, "f21  "));
    const std::vector<std::string> refused[] = {
        {"plan", "c", "catalogue", "0", "whole number of M formulas"},
        {"plan", "c", "nowhere", "1", "cannot find nowhere"},
        {"plan", "campaign", "catalogue", "1", "campaign/plan.txt exists"},
        {"run", "campaign", "--units", "1-0", "bad option --units 1-0"},
        {"run", "campaign", "--units", "0-2", "has changed since it was planned"},
    };
    for (const auto &c : refused) {
        RunResult r = runProgram(dir, {kCampaign, c[0], c[1], c[2], c[3]});
        EXPECT_EQ(1, r.status) << c[4];
        EXPECT_NE(std::string::npos, r.err.find(c[4])) << r.err;
    }
    EXPECT_EQ(allPairs(kFormulas), requested(path("logs")));
}

TEST_F(CampaignRunTest, AUnitWhoseRecordsCannotComeBackOrWhoseCoordinatorRefusesHasFailed) {
    writeCatalogue(path("catalogue"), {10});
    ASSERT_EQ(0, runProgram(dir, {kCampaign, "plan", "campaign", "catalogue", "5"}).status);
    const std::string client = wrapperClient(path("logs"), "pass=f1\n");
    const std::vector<std::string> env = {"TMPDIR=" + dir, "QUARN_MIN_FREE_KB=0"};
    // The first rename puts the client in place; every later one fails as on a full disk.
    RunResult full = runProgram(dir,
                                {"/usr/bin/strace", "-o", "/dev/null", "-e", "trace=rename", "-e",
                                 "inject=rename:error=ENOSPC:when=2+", kCampaign, "step",
                                 "campaign", "0", "--client", client},
                                env);
    char said[256];  // a second run of unit 0 while one holds it, and no search in a folder
    const int held =
        takeLockFile(path("campaign/unit_000/unit.lock").c_str(), 0644, "us", said, sizeof said);
    RunResult second =
        runProgram(dir, {kCampaign, "step", "campaign", "0", "--client", client}, env);
    close(held);
    EXPECT_EQ(1, second.status);
    EXPECT_EQ("quarnCampaign: unit 0 is being run already (us)\n", second.err);
    EXPECT_EQ(4, runProgram(dir, {kCampaign, "resume-argument", "logs"}).status);
    auto badBase = env;
    badBase.push_back("QUARN_KEY_BASE=x");
    RunResult refused =
        runProgram(dir, {kCampaign, "step", "campaign", "1", "--client", client}, badBase);
    const std::string shown = runProgram(dir, {kCampaign, "status", "campaign"}).out;

    EXPECT_EQ(1, full.status);
    EXPECT_EQ(3, refused.status);
    EXPECT_NE(std::string::npos, shown.find("units: 0 done, 0 running, 0 waiting, 2 failed\n"))
        << shown;
    EXPECT_NE(std::string::npos, shown.find("unit 0: failed, 0 of 50 pairs (0.0%), 0 passes; "
                                            "failed (M count done); the records could "
                                            "not be copied back (cannot put in place " +
                                            dir +
                                            "/campaign/unit_000/best.txt: No space "
                                            "left on device); scratch kept in " +
                                            dir + "/quarn-unit0-"))
        << shown;
    EXPECT_NE(std::string::npos,
              shown.find("unit 1: failed, 0 of 50 pairs (0.0%), 0 passes; failed, coordinator "
                         "status 1: quarnMain: QUARN_KEY_BASE must be auto"))
        << shown;
    writeFile(path("campaign/unit_001/best.txt"),
              "M = f5, V = f1\nM = f6, V =");  // torn at its end
    RunResult merged = runProgram(dir, {kCampaign, "collect", "campaign"});
    EXPECT_EQ("M = f5, V = f1\n", readFile(path("campaign/best.txt")));
    EXPECT_NE(std::string::npos,
              merged.err.find("unit_001/best.txt ends in a torn line, left out: M = f6, V ="));
    const auto scratch = std::filesystem::directory_iterator(dir);  // the only full best.txt stays
    EXPECT_EQ(1, std::count_if(begin(scratch), end(scratch), [](auto &e) {
                  return e.path().filename().string().starts_with("quarn-unit0-") &&
                         readFile(e.path() / "best.txt").size() > 0;
              }));
}

}  // namespace
