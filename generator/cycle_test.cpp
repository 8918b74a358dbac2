// The generation cycle: whole runs of the four kinds of raw candidate against the run
// table, the worked example, and the signature of a first run, drawn fast and literally.
#include "generator/test/testutil.h"

TEST(GeneratorCycle, RunsOfTheFourKindsFollowTheRunTable) {
    // The last two have a second placeholder right behind the first '(': "log(1" must not
    // keep an n for a letter of "log".
    // clang-format off
    std::pair<std::string, size_t> cases[] = {{"v+M*m-V", 1}, {"(M+V)*m-v", 31},
        {"N+(M-V)*m/v", 31}, {"n*M+V*m-v", 19}, {"(M+V)*m-v/n", 559}, {"(M+V)(m+v)*n", 559},
        {"(n+M)*m-V/v", 559}, {"n*(n+M)*m-V/v", 559}, {"(M+n)*m-V/v+n", 559}};
    // clang-format on
    std::vector<std::string> run;
    for (auto &[x, length] : cases) {
        zindel(1, nullptr);
        load(symblNumTbl, x);
        symblNumTbl[0]--;  // one step before x, whose first code is above 1
        run = {zindel(0, nullptr)};
        while (presConstantNum != 0 || presFunctNum != 0) run.push_back(zindel(0, nullptr));
        EXPECT_EQ(run.size(), length) << x;
        EXPECT_EQ(run, expectedRun(x)) << x;
    }
    // The worked example, the last case above.
    EXPECT_EQ(run[0] + run[558], "(M+1.0E-13)*m-V/v+1(M+9.1093837015E31)*m-V/v+1");
    EXPECT_EQ(run[1] + run[19] + run[20], "log(M+pi)*m-V/v+1log(M+pi)*m-V/v+1sqrt(M+e)*m-V/v+1");
}

// fnv1a of count formulas, each followed by ", ", after a start (start empty) or a resume,
// which goes on from the table as it finds it: cleared first, as in a new process.
static std::uint64_t signature(int fast, std::string start, long count) {
    resetCycle(fast);
    if (!start.empty()) zindel(2, start.data());
    std::uint64_t hash = fnv1a("");
    for (long n = 0; n < count; n++) hash = fnv1a(zindel(0, nullptr) + std::string(", "), hash);
    resetCycle(1);
    return hash;
}

TEST(GeneratorCycle, FirstRunSignatureAndAgreementOfBothDraws) {
    EXPECT_EQ(signature(1, "", 1400000), FIRST_RUN_SIGNATURE);
    EXPECT_EQ(signature(0, "", 200), signature(1, "", 200));
    EXPECT_EQ(signature(0, "MMMMM*(V+m)", 3000), signature(1, "MMMMM*(V+m)", 3000));
}
