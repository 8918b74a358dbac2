// The scorer against the literal field simulation over the pair corpus: the same results,
// the same newest field bit for bit, the same number of steps and the same printed lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "corpus.h"
#include "field.h"
#include "literal.h"

namespace {

struct Outcome {
    int result;
    int cycles;
    std::uint64_t fieldHash;  // FNV-1a over the whole newest field
};

// Hashes every value bit for bit, except that all NaNs count as one: which of two NaN
// operands an addition passes on depends on the compiler's operand order.
std::uint64_t hashField(const Cell *field) {
    std::uint64_t hash = 14695981039346656037ull;
    for (int cell = 0; cell < CELL_COUNT; ++cell) {
        for (double value : {field[cell].m, field[cell].v}) {
            if (std::isnan(value)) value = std::numeric_limits<double>::quiet_NaN();
            unsigned char bytes[sizeof value];
            std::memcpy(bytes, &value, sizeof value);
            for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
        }
    }
    return hash;
}

class Differential : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, setupClientState());
        corpus = loadCorpus();
        ASSERT_GT(corpus.size(), 4000u);
    }
    void TearDown() override { freeClientState(); }

    // Scores the pairs in the given order with the scorer, collecting what it printed.
    std::vector<Outcome> runFast(const std::vector<std::size_t> &order, std::string *printed) {
        std::vector<Outcome> outcomes(corpus.size());
        testing::internal::CaptureStdout();
        for (std::size_t i : order) {
            int result = evaluateFunction(corpus[i].m.c_str(), corpus[i].v.c_str());
            outcomes[i] = {result, fieldReach, hashField(lastT)};
        }
        *printed = testing::internal::GetCapturedStdout();
        return outcomes;
    }

    std::vector<CorpusPair> corpus;
};

TEST_F(Differential, ScorerMatchesTheLiteralSimulationOnTheCorpus) {
    std::vector<std::size_t> order(corpus.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::string printedFast;
    std::vector<Outcome> fast = runFast(order, &printedFast);

    testing::internal::CaptureStdout();
    std::vector<Outcome> literal(corpus.size());
    for (std::size_t i = 0; i < corpus.size(); ++i) {
        int result = literalEvaluate(corpus[i].m.c_str(), corpus[i].v.c_str());
        literal[i] = {result, literalCycles, hashField(literalLastT)};
    }
    std::string printedLiteral = testing::internal::GetCapturedStdout();

    std::map<std::pair<int, int>, int> kinds;  // (result, cycles) -> pairs
    for (std::size_t i = 0; i < corpus.size(); ++i) {
        const std::string pair = corpus[i].m + " " + corpus[i].v;
        ASSERT_EQ(literal[i].result, fast[i].result) << pair;
        ASSERT_EQ(literal[i].cycles, fast[i].cycles) << pair;
        ASSERT_EQ(literal[i].fieldHash, fast[i].fieldHash) << pair;
        ++kinds[{fast[i].result, fast[i].cycles}];
    }
    EXPECT_EQ(printedLiteral, printedFast);

    // The corpus reaches every way out: not compiling, wrong variable count, each outcome of
    // the spread check, all 100 cycles, and passes at cycle 16 and later.
    int passes = 0;
    for (const auto &[kind, count] : kinds)
        if (kind.first == PASS_SCORE) passes += count;
    auto count = [&](int result, int cycles) { return kinds[std::make_pair(result, cycles)]; };
    EXPECT_GT(count(-1, 0), 100);
    EXPECT_GT(count(0, 0), 100);
    EXPECT_GT(count(0, SPREAD_CYCLE + 1), 1000);
    EXPECT_GT(count(1, SPREAD_CYCLE + 1), 100);
    EXPECT_GT(count(0, CYCLE_COUNT), 10);
    EXPECT_GT(count(PASS_SCORE, FIRST_REBOUND_CYCLE + 1), 0);
    EXPECT_GT(passes, 100);
    std::string expectedLines;
    for (int i = 0; i < passes; ++i) expectedLines += "*** Passed !!!!! ***\n";
    EXPECT_EQ(expectedLines, printedFast);
}

TEST_F(Differential, OrderOfThePairsChangesNothing) {
    // Any order: M changing at every pair, and long runs followed by short ones, must give the
    // same outcomes as the corpus order.
    std::vector<std::size_t> order(corpus.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::string printed;
    std::vector<Outcome> inOrder = runFast(order, &printed);

    std::uint64_t state = 12345;
    for (std::size_t i = order.size() - 1; i > 0; --i) {  // a fixed shuffle
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        std::swap(order[i], order[(state >> 33) % (i + 1)]);
    }
    std::vector<Outcome> shuffled = runFast(order, &printed);
    for (std::size_t i = 0; i < corpus.size(); ++i) {
        ASSERT_EQ(inOrder[i].result, shuffled[i].result) << corpus[i].m << " " << corpus[i].v;
        ASSERT_EQ(inOrder[i].fieldHash, shuffled[i].fieldHash) << corpus[i].m << " " << corpus[i].v;
    }
}

}  // namespace
