// Searches continued with the argument quarnCampaign computes, a campaign run here one unit
// after another, and refused settings: the real quarnMain and quarnCampaign with the stand-in
// client, whose request logs show every pair sent.
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "campaign_support.h"

namespace {

const std::vector<std::string> kRunEnv = {"QUARN_KEY_BASE=3100", "QUARN_CLIENT_SUDO=0",
                                          "QUARN_MIN_FREE_KB=0"};
constexpr int kFormulas = 30;  // formulas_001.txt with f0..f19, formulas_002.txt with f20..f29
constexpr int kMCount = 22;    // a first run bounded to f0..f21, across the end of a file

using CampaignRunTest = CampaignTest;

// The totals of the last progress line of a log.
std::pair<long, long> lastTotals(const std::string &log) {
    long total = -1, passed = -1;
    std::sscanf(log.c_str() + log.rfind("total = "), "total = %ld, numPassed = %ld", &total,
                &passed);
    return {total, passed};
}

// How the first run of a search ends: in order after its M count (signal 0), in order on
// SIGTERM, or killed. Each is a test of its own, so that they run side by side.
class ContinuationTest : public CampaignTest, public testing::WithParamInterface<int> {};

INSTANTIATE_TEST_SUITE_P(EveryKindOfEnd, ContinuationTest, testing::Values(0, SIGTERM, SIGKILL),
                         [](const testing::TestParamInfo<int> &p) {
                             return std::string(p.param ? sigabbrev_np(p.param) : "MCount");
                         });

TEST_P(ContinuationTest, AStoppedSearchContinuedWithTheComputedArgumentSendsEveryPairOnce) {
    const int signal = GetParam();
    writeCatalogue(dir, {20, 10});
    // Slow enough clients for a progress line before the end.
    placeClient(dir, signal == SIGKILL ? "pass=f7\ndelay_ms=1000\n" : "pass=f7\ndelay_ms=300\n");
    std::vector<std::string> env = kRunEnv;
    if (signal == 0) env.push_back("QUARN_M_COUNT=" + std::to_string(kMCount));
    Process first(dir, {kQuarnMain}, env);
    if (signal != 0) {
        // Killed, the search continues from its last progress line: wait for one.
        ASSERT_TRUE(waitFor(
            [&] {
                return requested(dir).size() > 300 &&
                       (signal != SIGKILL ||
                        readFile(path("logfile.txt")).find("log. M") != std::string::npos);
            },
            60));
        kill(first.pid, signal);
    }
    EXPECT_EQ(signal == SIGKILL ? 128 + SIGKILL : 0, first.wait(120).status);
    if (signal == 0) {  // exactly the M formulas counted, then the end a unit's run has
        const std::size_t counted = kMCount * kFormulas;
        EXPECT_EQ(counted, unitRequests(dir, 0, kMCount));
        EXPECT_EQ(counted, requested(dir).size());
        EXPECT_TRUE(readFile(path("logfile.txt")).ends_with(", M count done\n"));
    }
    RunResult resume = runProgram(dir, {kCampaign, "resume-argument", "."});
    ASSERT_EQ(0, resume.status) << resume.out;
    resume.out.pop_back();
    EXPECT_EQ(0, runProgram(dir, {kQuarnMain, resume.out}, kRunEnv).status);

    EXPECT_EQ("finished: all done\n", runProgram(dir, {kCampaign, "resume-argument", "."}).out);
    std::vector<std::string> sent = requested(dir);
    const auto [total, passed] = lastTotals(readFile(path("logfile.txt")));
    EXPECT_EQ(kFormulas * kFormulas, total);
    if (signal == SIGKILL) {  // up to ten seconds of pairs again, none skipped
        sent.erase(std::unique(sent.begin(), sent.end()), sent.end());
        EXPECT_LE(kFormulas + 1, passed);
    } else {
        EXPECT_EQ(kFormulas + 1, passed);  // f7 with every V, and the self-test pair
        EXPECT_EQ(kFormulas + 1, static_cast<long>(lines(readFile(path("best.txt"))).size()));
    }
    EXPECT_EQ(allPairs(kFormulas), sent);
}

TEST_F(CampaignRunTest, UnitsRunOneAfterAnotherAndARunStoppedInAUnitContinuesItExactly) {
    writeCatalogue(path("catalogue"), {20, 10});
    ASSERT_EQ(0, runProgram(dir, {kCampaign, "plan", "campaign", "catalogue", "10"}).status);
    const std::string client = wrapperClient(path("logs"), "pass=f7\ndelay_ms=400\n");
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
    EXPECT_EQ(allPairs(kFormulas), requested(path("logs")));
    // Unit 1's totals carry on from its first run: its 300 pairs after unit 0's 300.
    EXPECT_EQ(600, lastTotals(readFile(path("campaign/unit_001/logfile.txt"))).first);
}

TEST_F(CampaignRunTest, BadCommandLinesAndAChangedCatalogueAreRefused) {
    writeCatalogue(path("catalogue"), {7});
    ASSERT_EQ(0, runProgram(dir, {kCampaign, "plan", "campaign", "catalogue", "3"}).status);
    const std::vector<std::string> cases[] = {
        {"plan", "c", "catalogue", "0", "whole number of M formulas"},
        {"plan", "c", "nowhere", "1", "cannot find nowhere"},
        {"plan", "campaign", "catalogue", "1", "campaign/plan.txt exists"},
        {"run", "campaign", "--units", "2-3", "the plan has units 0 to 2"},
    };
    for (const auto &c : cases) {
        RunResult r = runProgram(dir, {kCampaign, c[0], c[1], c[2], c[3]});
        EXPECT_EQ(1, r.status) << c[4];
        EXPECT_NE(std::string::npos, r.err.find(c[4])) << r.err;
    }
    writeFile(path("catalogue/formulas_001.txt"),
              "grown, " + readFile(path("catalogue/formulas_001.txt")));
    RunResult changed = runProgram(dir, {kCampaign, "run", "campaign"});
    EXPECT_EQ(1, changed.status);
    EXPECT_NE(std::string::npos, changed.err.find("has changed since it was planned"));
    EXPECT_FALSE(std::filesystem::exists(path("campaign/unit_000/logfile.txt")));
}

}  // namespace
