// Tests of the scorer: against the literal field simulation and, step by step, against the
// library-based scorer over the pair corpus, with its signature, and its memory of the texts
// that did not compile.
#include "client/field.h"

#include <matheval.h>

#include <cmath>

#include "client/failed_texts.h"
#include "client/test/literal.h"
#include "generator/cycle.h"
#include "test/support.h"

int compiles;  // calls of the library's compile
extern "C" void *__real_evaluator_create(char *);
// Every compile passes through here (the test links with --wrap=evaluator_create); a text
// beginning with '!' fails without asking the library.
extern "C" void *__wrap_evaluator_create(char *text) {
    ++compiles;
    return text[0] == '!' ? nullptr : __real_evaluator_create(text);
}

namespace {

const int ready = setupClientState();  // the scorer's state for every test; 0 when set up

// The result, the steps and the newest field of a scored pair as bytes; every NaN counts as
// one (which NaN operand an addition passes on depends on the compiler's operand order).
std::string outcome(int result, int steps, const Cell *field) {
    std::string text = std::to_string(result) + " " + std::to_string(steps) + " ";
    for (const Cell *cell = field; cell < field + CELL_COUNT; ++cell) {
        for (double value : {cell->m, cell->v})
            text.append(std::isnan(value) ? "NaN_NaN_" : reinterpret_cast<const char *>(&value), 8);
    }
    return text;
}

TEST(Field, ScorerMatchesTheLiteralSimulationOnTheCorpus) {
    ASSERT_EQ(0, ready);
    testing::internal::CaptureStdout();
    std::uint64_t signature = fnv1a("");
    std::string mismatches;
    for (const auto &[m, v] : loadCorpus()) {
        int result;
        std::string fast = sameAsLibrary(m.c_str(), v.c_str(), &result) ? "" : "steps differ ";
        fast += outcome(result, fieldReach, lastT);
        result = literalEvaluate(m.c_str(), v.c_str());
        if (fast != outcome(result, literalCycles, literalLastT)) mismatches += m + " " + v + "\n";
        signature = fnv1a(fast, signature);
    }
    // All three print a line for each of the 127 passes. The signature is a checksum over the
    // 1591 pairs; a change of it is a change of the client's answers.
    EXPECT_EQ(3 * 127, count(testing::internal::GetCapturedStdout(), "\n"));
    EXPECT_EQ("", mismatches);
    EXPECT_EQ(0x7b1634cd35b35542u, signature);
}

// Pairs of the generator's first 140,000 formulas (numbers, named constants, functions, texts
// that do not compile): two M formulas, each with every 28th formula as V, in the search's
// order; the catalogue_proof benchmark runs ten million.
TEST(Field, TheFieldIsTheLibrarysAtEveryStepOnPairsOfTheCatalogue) {
    std::vector<std::string> catalogue;
    for (zindel(1, nullptr); catalogue.size() < 140000;) catalogue.push_back(zindel(0, nullptr));
    testing::internal::CaptureStdout();
    for (std::size_t pair = 0; pair < 2 * catalogue.size(); pair += 28) {
        const std::string &m = catalogue[pair / catalogue.size() * 70000];
        const std::string &v = catalogue[pair % catalogue.size()];
        int result;
        EXPECT_TRUE(sameAsLibrary(m.c_str(), v.c_str(), &result)) << m << " " << v;
    }
    testing::internal::GetCapturedStdout();
}

// Member pairs of the classes of the generator's first 3003 formulas, each against its class
// pair: every class of several members whose first member is among the first 300 formulas,
// with every such class; catalogue_proof compares the first catalogue's.
TEST(Field, EveryMemberPairHasTheFieldOfItsClassPairAtEveryStep) {
    std::vector<std::string> texts;
    for (zindel(1, nullptr); texts.size() < 3003;) texts.push_back(zindel(0, nullptr));
    std::vector<int> classOf;
    std::vector<std::vector<int>> classes = formulaClasses(texts, &classOf), several;
    for (const std::vector<int> &c : classes)
        if (c.size() > 1 && c[0] < 300) several.push_back(c);
    EXPECT_EQ(1816u, classes.size());  // the class table grew twice on the way
    testing::internal::CaptureStdout();
    int passes = 0, result;
    for (const std::vector<int> &ms : several)
        for (const std::vector<int> &vs : several)
            for (int m : ms)
                for (int v : vs) {
                    EXPECT_TRUE(sameAsClassPair(texts[m].c_str(), texts[v].c_str(),
                                                texts[ms[0]].c_str(), texts[vs[0]].c_str(),
                                                &result))
                        << texts[m] << " " << texts[v];
                    passes += result == PASS_SCORE;
                }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(2 * 16, passes);  // of 123,904 member pairs
}

// The library compiles only the texts the compiler leaves it, and a text that fails once.
// Defined last: it leaves the table full.
TEST(Field, TheLibraryCompilesWhatTheCompilerLeavesAndAFailedTextOnceUntilTheTableIsFull) {
    testing::internal::CaptureStdout();  // the library also prints the bytes it skips
    for (const auto &[m, v, expected] :
         std::vector<std::tuple<const char *, const char *, int>>{{"M+m+V+v", "v*m-V*M", 0},
                                                                  {"M+m+V+v$", "v*m-V*M", 1},
                                                                  {"v*m-V*M", "V+v-M-m$", 1},
                                                                  {"M*m", "V", 0},
                                                                  {"m-M*v+V", "M+(V", 1}}) {
        compiles = 0;
        int result = evaluateFunction(m, v);
        EXPECT_EQ(expected, compiles) << m << " " << v;
        EXPECT_EQ(1, sameAsLibrary(m, v, &result)) << m << " " << v;
    }
    const int room = FAILED_TEXT_MAX - failedTextCount;  // the corpus may have taken some
    compiles = 0;
    for (int i = 0; i < room + 2; ++i) {  // the last two find the table full
        std::string text = "!" + std::to_string(i);
        EXPECT_EQ(nullptr, compileFormula(text.c_str()));
        EXPECT_EQ(nullptr, compileFormula(text.c_str()));
    }
    EXPECT_EQ(nullptr, compileFormula("!0"));  // still remembered: its bytes were not reused
    EXPECT_EQ(room + 4, compiles);
    for (int twice = 0; twice < 2; ++twice) evaluator_destroy(compileFormula(MB_SEED_FORMULA));
    EXPECT_EQ(room + 6, compiles);
    // The library prints the '$' it skips at each compile: M's once in each scorer, V's in
    // each of the three scorings.
    EXPECT_EQ("$$$$$\rclient 0: the table of texts that do not compile is full\n",
              testing::internal::GetCapturedStdout());
}

}  // namespace
