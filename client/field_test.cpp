// Tests of the scorer: the rules of one step and of a cycle's checks on chosen cells, and the
// scorer against the literal field simulation over the pair corpus, with its signature.
#include "field.h"

#include <gtest/gtest.h>
#include <matheval.h>

#include <algorithm>
#include <bit>
#include <cmath>

#include "literal.h"

namespace {

const double inf = INFINITY, bg = BACKGROUND_VALUE, sp = SPIKE_VALUE;
const char *const seed = MB_SEED_FORMULA;
const int ready = setupClientState();  // the scorer's state for every test; 0 when set up

// The bits of a value; every NaN counts as one: which of two NaN operands an addition passes
// on depends on the compiler's operand order.
std::uint64_t bits(double value) {
    return std::isnan(value) ? 0x7FF8000000000000u : std::bit_cast<std::uint64_t>(value);
}

// A step of FNV-1a over 64-bit words.
std::uint64_t mix(std::uint64_t hash, std::uint64_t word) { return (hash ^ word) * 1099511628211u; }

TEST(Field, OneStepAndTheChecksOfACycle) {
    ASSERT_EQ(0, ready);
    for (const auto &[formula, left, cell, right, m, v] :  // the formula serves as M and V
         std::vector<std::tuple<const char *, Cell, Cell, Cell, double, double>>{
             {seed, {bg, 0}, {sp, 0}, {bg, 0}, 3.0218293998630026, 0},  // the seed pair's first
             {seed, {sp, 0}, {bg, 0}, {bg, 0}, 1.007276466621004, -1.0072764666210012},  // step
             {seed, {2, 5}, {2, 5}, {3, 7}, (2 + 17) + 2, (5 - 5) + 17},  // equal: the cell itself
             {seed, {-0.0, 5}, {0.0, 1}, {0.0, 1}, 0, (1 - 0) + 1},       // zero m: +0.0, +0.0
             {seed, {-3, 0}, {1, 0}, {1, -5}, 0.0, (0 + 2) - 3},          // m < 0 becomes +0.0
             {seed, {-inf, 0}, {1, 0}, {inf, 0}, NAN, inf},               // NaN stays
             {"m*(1+0*M*v*V)", {-0.0, 1}, {-0.0, 1}, {1, 2}, -0.0, 0.0}}) {  // -0.0 stays
        void *evaluator = evaluator_create(const_cast<char *>(formula));
        arrayA[300] = left, arrayA[301] = cell, arrayA[302] = right;
        runAlgorithm(arrayA, arrayB, 301, 301, evaluator, evaluator);
        evaluator_destroy(evaluator);
        EXPECT_EQ(bits(m), bits(arrayB[301].m)) << arrayB[301].m;
        EXPECT_EQ(bits(v), bits(arrayB[301].v)) << arrayB[301].v;
    }
    fillFields();  // the hand-made cells are gone before the next score
    const double up = 0.25;
    for (const auto &[cycle, left, centre, right, verdict] :
         std::vector<std::tuple<int, double, double, double, int>>{
             {5, up, 0.5, up, FIELD_GOES_ON},           // dropped and spread evenly
             {5, up, 0.5, std::nextafter(up, 1.0), 0},  // the rises differ in the last bit
             {4, up, 2.0, up, FIELD_GOES_ON},           // the spread check is cycle 5's
             {15, 0.9, 0.7, 0.9, FIELD_GOES_ON},        // no rebound check before cycle 16
             {16, 0.9, 0.7, 0.9, PASS_SCORE},           // the minimum 0.7f is below 0.7
             {16, 0.9, 0.5, 0.9, FIELD_GOES_ON},        // 0.5f is 0.5
             {16, 0.9, 0.7, 0.7, FIELD_GOES_ON}}) {     // not a strict local minimum
        Cell field[CELL_COUNT] = {};
        field[499].m = left, field[500].m = centre, field[501].m = right;
        float minimum = START_MINIMUM;
        EXPECT_EQ(verdict, checkCycle(cycle, field, &minimum)) << cycle << " " << centre;
    }
}

// Scores the corpus in order; per pair a checksum of its result, its steps and its newest
// field; the printed lines in `printed`.
std::vector<std::uint64_t> scoreCorpus(bool literal, std::string *printed) {
    std::vector<std::uint64_t> sums;
    testing::internal::CaptureStdout();
    for (const auto &[m, v] : loadCorpus()) {
        int result = literal ? literalEvaluate(m.c_str(), v.c_str())
                             : evaluateFunction(m.c_str(), v.c_str());
        std::uint64_t sum = (result + 2) * 1000 + (literal ? literalCycles : fieldReach);
        for (const Cell *c = literal ? literalLastT : lastT, *end = c + CELL_COUNT; c < end; ++c)
            sum = mix(mix(sum, bits(c->m)), bits(c->v));
        sums.push_back(sum);
    }
    *printed = testing::internal::GetCapturedStdout();
    return sums;
}

TEST(Field, ScorerMatchesTheLiteralSimulationOnTheCorpus) {
    std::string printedFast, printedLiteral;
    std::vector<std::uint64_t> fast = scoreCorpus(false, &printedFast);
    EXPECT_EQ(fast, scoreCorpus(true, &printedLiteral));
    EXPECT_EQ(printedLiteral, printedFast);
    // The signature: pairs, passes and a checksum; a change is a change of the client's answers.
    std::uint64_t checksum = 0;
    for (std::uint64_t sum : fast) checksum = mix(checksum, sum);
    EXPECT_EQ(1591u, fast.size());
    EXPECT_EQ(127, std::count(printedFast.begin(), printedFast.end(), '\n'));
    EXPECT_EQ(0xe1bb03624d07b827u, checksum);
}

}  // namespace
