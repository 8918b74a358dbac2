// The generation cycle: whole runs of the four kinds of raw candidate against the run
// table, the worked example, the start, and the sequence signature.
#include "cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../../test/run_oracle.h"
#include "odometer.h"
#include "state.h"

namespace {

char noText[] = "";

// Starts the cycle and sets the odometer one step before x, so the next draw meets x.
void standBefore(const std::string &x) {
    zindel(1, noText);
    for (size_t i = 0; i < x.size(); i++) {
        symblNumTbl[i] = (int)(strchr(symbolChars + 1, x[i]) - symbolChars);
    }
    // The step backwards: the first entry above 1 goes down by one, those before it to 12.
    size_t i = 0;
    while (symblNumTbl[i] == 1) symblNumTbl[i++] = 12;
    symblNumTbl[i]--;
}

// The formulas of one run: the call that draws and every call until both counters are 0.
std::vector<std::string> takeRun() {
    std::vector<std::string> run{zindel(0, nullptr)};
    while (presConstantNum != 0 || presFunctNum != 0) run.push_back(zindel(0, nullptr));
    return run;
}

uint64_t checksum(int count) {
    uint64_t hash = 1469598103934665603ULL;
    for (int n = 0; n < count; n++) {
        for (const char *p = zindel(0, nullptr); *p != '\0'; p++) {
            hash = (hash ^ (unsigned char)*p) * 1099511628211ULL;
        }
        hash = (hash ^ ',') * 1099511628211ULL;
        hash = (hash ^ ' ') * 1099511628211ULL;
    }
    return hash;
}

TEST(GeneratorCycle, RunsOfTheFourKindsMatchTheRunTable) {
    struct Case {
        const char *x;
        size_t length;
    } cases[] = {
        {"M+V*m-v", 1},
        {"(M+V)*m-v", 31},
        {"n*M+V*m-v", 19},
        {"(M+n)*m-V/v+n", 559},
        {"(M+V)*m-v/n", 559},      // a function with an n stands left of the placeholder
        {"(M+V)(m+v)*n", 559},     // only the first '(' gets a function
        {"N+(M-V)*m/v", 31},
    };
    for (const Case &c : cases) {
        standBefore(c.x);
        std::vector<std::string> run = takeRun();
        EXPECT_EQ(run.size(), c.length) << c.x;
        EXPECT_EQ(run, expectedRun(c.x)) << c.x;
        EXPECT_STREQ(oldFormula, c.x);
        // The call after the run draws a new candidate.
        zindel(0, nullptr);
        EXPECT_STRNE(oldFormula, c.x);
    }
}

TEST(GeneratorCycle, WorkedExampleComesOutExactly) {
    standBefore("(M+n)*m-V/v+n");
    std::vector<std::string> run = takeRun();
    ASSERT_EQ(run.size(), 559u);
    EXPECT_EQ(run[0], "(M+1.0E-13)*m-V/v+1");
    EXPECT_EQ(run[1], "log(M+pi)*m-V/v+1");
    EXPECT_EQ(run[2], "log(M+e)*m-V/v+1");
    EXPECT_EQ(run.back(), "(M+9.1093837015E31)*m-V/v+1");
    EXPECT_EQ(std::count(run.begin(), run.end(), "sin(M+ln2)*m-V/v+1"), 1);
    EXPECT_EQ(std::count(run.begin(), run.end(), "log(M+pi)*m-V/v+1"), 2);
    EXPECT_EQ(std::count(run.begin(), run.end(), "(M+pi)*m-V/v+1"), 0);
    for (const std::string &f : run) {
        EXPECT_EQ(f.rfind("exp(", 0), std::string::npos) << f;  // entry 0 is never inserted
        EXPECT_EQ(f.find("1.0E-13") == std::string::npos, &f != &run[0]) << f;
        EXPECT_EQ(f.substr(f.size() - 2), "+1") << f;  // the second placeholder
    }
}

TEST(GeneratorCycle, StartYieldsTheFirstAcceptedCandidate) {
    EXPECT_STREQ(zindel(1, noText), "");
    EXPECT_STREQ(oldFormula, "");
    EXPECT_STREQ(zindel(0, nullptr), "v+m+V+M");
    EXPECT_STREQ(zindel(0, nullptr), "v-m+V+M");
}

TEST(GeneratorCycle, SignatureOfTheFirstFiftyThousandFormulas) {
    // Any change of the sequence changes this; a commit that changes it says why.
    zindel(1, noText);
    EXPECT_EQ(checksum(50000), 0x942547ec98d01185ULL);
}

TEST(GeneratorCycle, LiteralAndFastDrawingGiveTheSameFormulas) {
    // From inside length 11, where candidates with parentheses are dense.
    char start[] = "MMMMM*(V+m)";
    next_try(1);
    zindel(2, start);
    std::vector<std::string> fast;
    for (int n = 0; n < 3000; n++) fast.push_back(zindel(0, nullptr));
    drawFast = 0;
    next_try(1);
    zindel(2, start);
    for (int n = 0; n < 3000; n++) ASSERT_EQ(zindel(0, nullptr), fast[n]) << n;
    drawFast = 1;
}

}  // namespace
