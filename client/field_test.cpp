// Tests of the field rules: the faces, one step, the checks of a cycle and whole scores.
#include "field.h"

#include <gtest/gtest.h>
#include <matheval.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// Sets up the client state and compiles a formula pair for the duration of a test.
class Field : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, setupClientState()); }
    void TearDown() override {
        if (evaluatorM) evaluator_destroy(evaluatorM);
        if (evaluatorV) evaluator_destroy(evaluatorV);
        freeClientState();
    }
    void compile(const char *m, const char *v) {
        evaluatorM = evaluator_create(const_cast<char *>(m));
        evaluatorV = evaluator_create(const_cast<char *>(v));
        ASSERT_NE(nullptr, evaluatorM);
        ASSERT_NE(nullptr, evaluatorV);
    }
    void *evaluatorM = nullptr;
    void *evaluatorV = nullptr;
};

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(Field, SeedPairFirstStepChangesOnlyTheSpikeAndItsNeighbours) {
    compile(MB_SEED_FORMULA, MB_SEED_FORMULA);
    runAlgorithm(arrayA, arrayB, FIRST_INNER_CELL, LAST_INNER_CELL, evaluatorM, evaluatorV);
    EXPECT_EQ(3.0218293998630026, arrayB[500].m);
    EXPECT_EQ(0.0, arrayB[500].v);
    EXPECT_EQ(1.007276466621004, arrayB[499].m);
    EXPECT_EQ(1.0072764666210012, arrayB[499].v);
    EXPECT_EQ(1.007276466621004, arrayB[501].m);
    EXPECT_EQ(-1.0072764666210012, arrayB[501].v);
    for (int cell = 0; cell < CELL_COUNT; ++cell) {
        if (cell >= 499 && cell <= 501) continue;
        EXPECT_EQ(BACKGROUND_VALUE, arrayB[cell].m) << cell;
        EXPECT_EQ(0.0, arrayB[cell].v) << cell;
    }
}

TEST_F(Field, SeedPairGrowsAndFailsTheSpreadCheck) {
    EXPECT_EQ(0, evaluateFunction(MB_SEED_FORMULA, MB_SEED_FORMULA));
    EXPECT_EQ(SPREAD_CYCLE + 1, fieldReach);
    EXPECT_GT(lastT[500].m, SPIKE_VALUE);
}

TEST_F(Field, FacesShortcutEqualCellsAndZeroMAndBindInOrder) {
    // Each variable scaled differently, so the face shows which value went where.
    compile("m+10*M+100*v+1000*V", "1000*m+100*M+10*v+V");
    struct Case {
        Cell a, n;
        double faceM, faceV;
    } cases[] = {
        {{2, 3}, {2, 3}, 2, 3},                       // equal: the cell itself, not zero
        {{0.0, 1}, {-0.0, 5}, 0.0, 0.0},              // both m zero, v differ
        {{-0.0, 7}, {-0.0, 7.5}, 0.0, 0.0},
        {{1, 2}, {3, 4}, 1 + 30 + 200 + 4000, 1000 + 300 + 20 + 4},
        {{0.0, 2}, {3, 4}, 30 + 200 + 4000, 300 + 20 + 4},  // one zero is not enough
    };
    for (const Case &c : cases) {
        double face[2];
        faceAlgorithm(&c.a, &c.n, face, evaluatorM, evaluatorV);
        EXPECT_TRUE(sameBits(c.faceM, face[0])) << c.faceM << " " << face[0];
        EXPECT_TRUE(sameBits(c.faceV, face[1])) << c.faceV << " " << face[1];
    }
    // A NaN cell never equals itself, so it is evaluated.
    Cell nan{NaN, 0};
    double face[2];
    faceAlgorithm(&nan, &nan, face, evaluatorM, evaluatorV);
    EXPECT_TRUE(std::isnan(face[0]));
}

TEST_F(Field, StepSumsFacesInOrderAndClampsNegativeM) {
    // Face m is V*M*v + 0*m, face v is M - m (finite inputs).
    compile("V*M*v+0*m", "M-m+0*v*V");
    struct Case {
        const char *what;
        Cell left, cell, right;
        double m, v;
    } cases[] = {
        // Left equals the cell: its face is the cell itself, so m = (P.m + fR.m) + P.m.
        {"equal left", {2, 5}, {2, 5}, {3, 7}, (2 + 7 * 3 * 5.0) + 2, (5 - 5) + (3 - 2)},
        {"negative m becomes +0", {3, 0}, {1, 1}, {2, -4}, 0.0, 0.0},
        {"-0.0 stays -0.0", {-0.0, 1}, {-0.0, 1}, {2, -0.0}, -0.0, (1 - 1) + 2},
        {"NaN stays NaN", {1, 0}, {1, 1}, {1, NaN}, NaN, NaN},
        // Other orders of the sums would give 4 or 3 for m, and -2 for v.
        {"order of m: (P + right) + left", {1e16 + 2, 1}, {1, 1}, {-1e16, 1}, 2.0, -2e16},
        {"order of v: (P - left) + right", {1e16 + 2, 0}, {0, 1}, {1e16, 0}, 0.0, 0.0},
    };
    for (const Case &c : cases) {
        arrayA[299] = c.left;
        arrayA[300] = c.cell;
        arrayA[301] = c.right;
        runAlgorithm(arrayA, arrayB, 300, 300, evaluatorM, evaluatorV);
        if (std::isnan(c.m)) {
            EXPECT_TRUE(std::isnan(arrayB[300].m)) << c.what;
        } else {
            EXPECT_TRUE(sameBits(c.m, arrayB[300].m)) << c.what << ": " << arrayB[300].m;
        }
        if (std::isnan(c.v)) {
            EXPECT_TRUE(std::isnan(arrayB[300].v)) << c.what;
        } else {
            EXPECT_TRUE(sameBits(c.v, arrayB[300].v)) << c.what << ": " << arrayB[300].v;
        }
    }
}

TEST(CheckCycle, SpreadCheckNeedsADropAndAnExactlySymmetricRise) {
    const double below = 0.5;
    const double up = 0.25;
    struct Case {
        const char *what;
        double left, centre, right;
        int verdict;
    } cases[] = {
        {"dropped and spread", up, below, up, FIELD_GOES_ON},
        {"spread, no drop", up, SPIKE_VALUE, up, 1},
        {"dropped, no spread", BACKGROUND_VALUE, below, BACKGROUND_VALUE, 1},
        {"neither", BACKGROUND_VALUE, 2.0, BACKGROUND_VALUE, 0},
        {"one neighbour only", up, below, BACKGROUND_VALUE, 0},
        {"rise differs in the last bit", up, below, std::nextafter(up, 1.0), 0},
        {"NaN centre", up, NaN, up, 0},
        {"infinite neighbours", Inf, below, Inf, FIELD_GOES_ON},
        {"infinite centre: no drop, equal rises", up, Inf, up, 1},
    };
    for (const Case &c : cases) {
        Cell field[CELL_COUNT] = {};
        field[499].m = c.left;
        field[500].m = c.centre;
        field[501].m = c.right;
        float minimum = START_MINIMUM;
        EXPECT_EQ(c.verdict, checkCycle(SPREAD_CYCLE, field, &minimum)) << c.what;
        // No other cycle makes the spread check.
        EXPECT_EQ(FIELD_GOES_ON, checkCycle(SPREAD_CYCLE - 1, field, &minimum)) << c.what;
    }
}

TEST(CheckCycle, ReboundCountsFromCycle16AgainstASinglePrecisionMinimum) {
    Cell field[CELL_COUNT] = {};
    field[499].m = field[501].m = 0.9;
    field[500].m = 0.7;
    // The new minimum 0.7 is stored as 0.699999988079071044921875, below 0.7 itself, so
    // the same cycle already counts the centre as above its minimum.
    float minimum = START_MINIMUM;
    EXPECT_EQ(FIELD_GOES_ON, checkCycle(FIRST_REBOUND_CYCLE - 1, field, &minimum));
    EXPECT_EQ(0.699999988079071044921875, static_cast<double>(minimum));
    minimum = START_MINIMUM;
    EXPECT_EQ(PASS_SCORE, checkCycle(FIRST_REBOUND_CYCLE, field, &minimum));
    EXPECT_EQ(PASS_SCORE, checkCycle(CYCLE_COUNT - 1, field, &minimum));

    // A centre exactly at its single-precision minimum is not above it.
    field[500].m = 0.5;
    minimum = START_MINIMUM;
    EXPECT_EQ(FIELD_GOES_ON, checkCycle(FIRST_REBOUND_CYCLE, field, &minimum));
    // Not a strict local minimum: one neighbour equal to the centre.
    field[500].m = 0.7;
    field[501].m = 0.7;
    minimum = 0.1f;
    EXPECT_EQ(FIELD_GOES_ON, checkCycle(FIRST_REBOUND_CYCLE, field, &minimum));
    // A NaN centre never passes.
    field[500].m = NaN;
    field[501].m = 0.9;
    EXPECT_EQ(FIELD_GOES_ON, checkCycle(FIRST_REBOUND_CYCLE, field, &minimum));
    EXPECT_EQ(0.1f, minimum);
}

TEST_F(Field, ScoresFailuresOfCompilingAndCounting) {
    struct Case {
        const char *m, *v;
        int score;
    } cases[] = {
        {"M+m+V+", MB_SEED_FORMULA, -1},
        {MB_SEED_FORMULA, "M+m+V+", -1},
        {"M+m+V", "M+m+V+v", 0},                  // three variables
        {"M+m+V+v", "M+m+v", 0},
        {"M+m+V+v*loge", MB_SEED_FORMULA, 0},     // loge is no constant: a fifth variable
        {MB_SEED_FORMULA, "M+m+V+v+N", 0},
        {"M*m*6.62607015E\xE2\x88\x92" "34+v-V", MB_SEED_FORMULA, -1},  // U+2212 minus
        {"M+m+V", "M+m+", 0},                     // M decides first
        {"M+m+", "M+m+V", -1},
    };
    for (const Case &c : cases) EXPECT_EQ(c.score, evaluateFunction(c.m, c.v)) << c.m << " " << c.v;
}

TEST_F(Field, PassingPairPrintsOnceAndTheNextPairStartsFresh) {
    // Passes at cycle 16, the first rebound check.
    testing::internal::CaptureStdout();
    EXPECT_EQ(PASS_SCORE, evaluateFunction("m/(M+V)+v", "csch(M+m-V*v)*1.0E-13"));
    EXPECT_EQ("*** Passed !!!!! ***\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(FIRST_REBOUND_CYCLE + 1, fieldReach);

    // The same M kept, and a changed M compiled afresh, both from a restored field.
    EXPECT_EQ(0, evaluateFunction("m/(M+V)+v", MB_SEED_FORMULA));
    EXPECT_EQ(-1, evaluateFunction("m/(M+V)+", MB_SEED_FORMULA));
    testing::internal::CaptureStdout();
    EXPECT_EQ(PASS_SCORE, evaluateFunction("m/(M+V)+v", "csch(M+m-V*v)*1.0E-13"));
    EXPECT_EQ("*** Passed !!!!! ***\n", testing::internal::GetCapturedStdout());
}

}  // namespace
