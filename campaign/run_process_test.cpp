// Searches continued with the argument quarnCampaign computes, runs bounded by QUARN_M_COUNT,
// units run side by side, and refused settings: the real quarnMain and quarnCampaign with the
// stand-in client, whose request logs show every pair sent.
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "campaign_support.h"

namespace {

const std::vector<std::string> kRunEnv = {"QUARN_KEY_BASE=3100", "QUARN_CLIENT_SUDO=0",
                                          "QUARN_MIN_FREE_KB=0"};
constexpr int kFormulas = 30;  // formulas_001.txt with f0..f19, formulas_002.txt with f20..f29

using CampaignRunTest = CampaignTest;

// The totals of the last progress line of a log.
std::pair<long, long> lastTotals(const std::string &log) {
    long total = -1, passed = -1;
    std::sscanf(log.c_str() + log.rfind("total = "), "total = %ld, numPassed = %ld", &total,
                &passed);
    return {total, passed};
}

// How the first run of a search ends; each case is a test of its own, so that they run side by
// side.
struct Stop {
    const char *name;
    int signal;
    int delayMs;
    const char *reason;  // of the first run's end line
};

void PrintTo(const Stop &stop, std::ostream *out) { *out << stop.name; }

class ContinuationTest : public CampaignTest, public testing::WithParamInterface<Stop> {};

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfStop, ContinuationTest,
    testing::Values(Stop{"NotStopped", 0, 0, "all done"}, Stop{"StopFile", 0, 300, "stop file"},
                    Stop{"CtrlC", SIGINT, 300, "SIGINT"}, Stop{"Sigterm", SIGTERM, 300, "SIGTERM"},
                    Stop{"Sigkill", SIGKILL, 1000, nullptr}),
    [](const testing::TestParamInfo<Stop> &p) { return std::string(p.param.name); });

TEST_P(ContinuationTest, AStoppedSearchContinuedWithTheComputedArgumentSendsEveryPairOnce) {
    const Stop &c = GetParam();
    const std::string work = dir;
    writeCatalogue(work, {20, 10});
    placeClient(work, "pass=f7\ndelay_ms=" + std::to_string(c.delayMs) + "\n");
    Process first(work, {kQuarnMain}, kRunEnv);
    if (c.delayMs > 0) {
        // Killed, the search continues from its last progress line: wait for one.
        ASSERT_TRUE(waitFor(
            [&] {
                return requested(work).size() > 300 &&
                       (c.signal != SIGKILL ||
                        readFile(work + "/logfile.txt").find("log. M") != std::string::npos);
            },
            60));
        // Ctrl+C reaches the coordinator's whole group, which holds none of its clients.
        if (c.signal) kill(c.signal == SIGINT ? -first.pid : first.pid, c.signal);
        if (!c.signal) writeFile(work + "/stop.txt", "");
    }
    RunResult stopped = first.wait(120);
    EXPECT_EQ(c.signal == SIGKILL ? 128 + SIGKILL : 0, stopped.status);
    if (c.reason) {  // every client confirmed its stop, and the log names the reason
        EXPECT_EQ(50, count(stopped.out, "\rreceived exit confirmation from client "));
        const std::string log = readFile(work + "/logfile.txt");
        EXPECT_EQ(std::string(c.reason) + "\n", log.substr(log.rfind(", ") + 2));
    }
    std::filesystem::remove(work + "/stop.txt");
    RunResult resume = runProgram(work, {kCampaign, "resume-argument", "."});
    if (c.delayMs > 0) {
        ASSERT_EQ(0, resume.status) << resume.out;
        resume.out.pop_back();
        EXPECT_EQ(0, runProgram(work, {kQuarnMain, resume.out}, kRunEnv).status);
    }

    EXPECT_EQ("finished: all done\n", runProgram(work, {kCampaign, "resume-argument", "."}).out);
    std::vector<std::string> sent = requested(work), all = allPairs(kFormulas);
    const auto [total, passed] = lastTotals(readFile(work + "/logfile.txt"));
    EXPECT_EQ(kFormulas * kFormulas, total);
    if (c.signal == SIGKILL) {  // up to ten seconds of pairs again, none skipped
        sent.erase(std::unique(sent.begin(), sent.end()), sent.end());
        EXPECT_LE(kFormulas + 1, passed);
    } else {
        EXPECT_EQ(kFormulas + 1, passed);  // f7 with every V, and the self-test pair
        EXPECT_EQ(kFormulas + 1, static_cast<long>(lines(readFile(work + "/best.txt")).size()));
    }
    EXPECT_EQ(all, sent);
}

TEST_F(CampaignRunTest, AnMCountBoundsTheRunToThoseMFormulasThenItEndsInOrder) {
    writeCatalogue(dir, {20, 10});
    placeClient(dir, "");
    auto env = kRunEnv;
    env.push_back("QUARN_M_COUNT=3");

    RunResult r = runProgram(dir, {kQuarnMain, "0,18,0,0,540,0"}, env);  // f18, f19 and f20

    EXPECT_EQ(0, r.status);
    std::vector<std::string> expected = allPairs(kFormulas);
    std::erase_if(expected, [](auto &p) { return std::abs(std::atoi(p.c_str() + 3) - 19) > 1; });
    EXPECT_EQ(expected, requested(dir));
    EXPECT_NE(std::string::npos, r.out.find("all done.\n"));
    EXPECT_TRUE(readFile(path("logfile.txt")).ends_with(", M count done\n"));
    EXPECT_EQ("1,1,0,0,630,0\n", runProgram(dir, {kCampaign, "resume-argument", "."}).out);
}

TEST_F(CampaignRunTest, TwoUnitsRunAtOnceOnTheirOwnKeyRangesAndASignalledOneContinuesExactly) {
    writeCatalogue(path("catalogue"), {20, 10});
    ASSERT_EQ(0, runProgram(dir, {kCampaign, "plan", "campaign", "catalogue", "15"}).status);
    const std::string client = wrapperClient(path("logs"), "delay_ms=400\n");
    const std::vector<std::string> env = {"QUARN_MIN_FREE_KB=0", "TMPDIR=" + dir};  // keys: auto
    const std::vector<std::string> step1 = {kCampaign, "step", "campaign", "1", "--client", client};

    Process unit0(dir, {kCampaign, "step", "campaign", "0", "--client", client}, env),
        unit1(dir, step1, env);
    ASSERT_TRUE(waitFor([&] { return unitRequests(path("logs"), 1, 15) > 50; }, 60));
    kill(unit1.pid, SIGTERM);  // quarnCampaign alone: it passes the signal on to its coordinator
    RunResult r0 = unit0.wait(120), r1 = unit1.wait(120);
    RunResult again = runProgram(dir, step1, env);

    EXPECT_EQ(0, r0.status);
    EXPECT_EQ(3, r1.status);  // the unit is not finished
    EXPECT_NE(std::string::npos, r1.out.find("Run ended: ")) << r1.out;
    const std::string ranges = r0.out.substr(r0.out.find("mailbox keys"), 25) +
                               r1.out.substr(r1.out.find("mailbox keys"), 25);
    EXPECT_TRUE(ranges == "mailbox keys 1050 to 1099mailbox keys 1100 to 1149" ||
                ranges == "mailbox keys 1100 to 1149mailbox keys 1050 to 1099")
        << ranges;
    EXPECT_NE(std::string::npos, r1.out.find("unit 1 in " + dir + "/quarn-unit1-")) << r1.out;
    EXPECT_EQ(0, again.status);
    for (const auto &e : std::filesystem::directory_iterator(dir))  // node-local scratch removed
        EXPECT_FALSE(e.path().filename().string().starts_with("quarn-unit")) << e.path();
    EXPECT_EQ(allPairs(kFormulas), requested(path("logs")));
}

TEST_F(CampaignRunTest, BadCommandLinesAndAChangedCatalogueAreRefused) {
    writeCatalogue(path("catalogue"), {7});
    ASSERT_EQ(0, runProgram(dir, {kCampaign, "plan", "campaign", "catalogue", "3"}).status);
    const std::vector<std::string> cases[] = {
        {"plan", "c", "catalogue", "0", "whole number of M formulas"},
        {"plan", "c", "catalogue", "ten", "whole number of M formulas"},
        {"plan", "c", "nowhere", "1", "cannot find nowhere"},
        {"plan", "campaign", "catalogue", "1", "campaign/plan.txt exists"},
        {"run", "campaign", "--units", "1-0", "bad option --units 1-0"},
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
