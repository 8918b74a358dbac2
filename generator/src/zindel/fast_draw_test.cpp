// seekAccepted against its definition: literal odometer steps, each string judged by
// preTest. Every accepted string must come out, in the same order, and nothing else.
#include "fast_draw.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "filter.h"
#include "odometer.h"
#include "state.h"

#ifndef DIFFERENTIAL_MAX_LEN
#define DIFFERENTIAL_MAX_LEN 7
#endif

namespace {

// The sanitizer build walks a shorter way: fewer strings, fewer random cases.
constexpr bool FULL_WALK = DIFFERENTIAL_MAX_LEN >= 8;

std::string render(const int *tbl) {
    std::string s;
    for (int i = 0; i < SYMBL_TBL_SIZE && tbl[i] != 0; i++) s += symbolChars[tbl[i]];
    return s;
}

void load(int *tbl, const std::string &text) {
    memset(tbl, 0, SYMBL_TBL_SIZE * sizeof(int));
    for (size_t i = 0; i < text.size(); i++) {
        tbl[i] = (int)(strchr(symbolChars + 1, text[i]) - symbolChars);
    }
}

// Odometer order of two strings of at most 98 symbols: shorter first, then the rightmost
// symbol is the most significant.
bool before(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) return a.size() < b.size();
    for (size_t i = a.size(); i-- > 0;) {
        int ca = (int)(strchr(symbolChars + 1, a[i]) - symbolChars);
        int cb = (int)(strchr(symbolChars + 1, b[i]) - symbolChars);
        if (ca != cb) return ca < cb;
    }
    return false;
}

// Steps the global table literally `steps` times from `start` and, in lock step, a local
// table by stepTbl + seekAccepted: every string preTest accepts must be the next one
// seekAccepted yields, and the one after the last must lie beyond the literal walk.
// Returns the number of accepted strings met.
long compareFrom(const std::string &start, long steps) {
    int fast[SYMBL_TBL_SIZE];
    load(symblNumTbl, start);
    load(fast, start);
    long accepted = 0;
    for (long n = 0; n < steps; n++) {
        char *text = next_try(0);
        if (!preTest(text)) continue;
        accepted++;
        stepTbl(fast);
        seekAccepted(fast);
        std::string got = render(fast);
        if (got != text) {
            ADD_FAILURE() << "step " << n << " from " << start << ": literal " << text
                          << ", fast " << got;
            return accepted;
        }
    }
    stepTbl(fast);
    seekAccepted(fast);
    std::string walkEnd = render(symblNumTbl);
    EXPECT_TRUE(before(walkEnd, render(fast)))
        << "fast " << render(fast) << " is not beyond the walk's end " << walkEnd;
    return accepted;
}

TEST(GeneratorFastDraw, SameAcceptedStringsAsLiteralSteppingFromTheStart) {
    // From the empty table through the last string of the longest length walked.
    long steps = 0;
    long power = 1;
    for (int len = 1; len <= DIFFERENTIAL_MAX_LEN; len++) steps += (power *= 12);
    long accepted = compareFrom("", steps);
    // The shortest acceptable strings are the 4! * 4^3 of length 7 ("M+V+m+v" and so on).
    if (DIFFERENTIAL_MAX_LEN >= 7) {
        EXPECT_EQ(accepted, 1536);
    }
}

TEST(GeneratorFastDraw, SameAcceptedStringsFromResumePositions) {
    // Positions of length 9 to 15, with parentheses, placeholders and N nearby. A walk of
    // 12^6 steps from a start whose first six symbols are M covers every string sharing
    // its symbols from position 6 on; the others start in the middle of such a block.
    // NNNNNNNNN crosses into length 10, where the block holds no acceptable string.
    const char *starts[] = {
        "MMMMMMm+v",     "(M+V)*m+v",     "v*(m-V)/M",       "NNNNNNNNN",
        "N+M)(V+v)*m",   "M+((m*V))/v",   "nnnnnn(m+v)",     "(M+V)*(m+v)",
        "(M+V)(m+v+n)",  "MMMMMM(m+v))",  "MMMMMMv+m*M)",    "(M+n)*(m-V)/v",
        "(M+n)*m-V/v+n", "M/v+(m-N)*(V+n)",
    };
    long steps = FULL_WALK ? 12L * 12 * 12 * 12 * 12 * 12 : 12L * 12 * 12 * 12;
    long total = 0;
    for (const char *start : starts) {
        long accepted = compareFrom(start, steps);
        if (FULL_WALK) {
            EXPECT_TRUE(accepted > 0 || strcmp(start, "NNNNNNNNN") == 0) << start;
        }
        total += accepted;
    }
    EXPECT_GT(total, FULL_WALK ? 10000 : 10);
}

TEST(GeneratorFastDraw, WrapsAtTheLastLengthLikeTheOdometer) {
    // 99 symbols, all N but the lowest four: the walk runs past the last string of length
    // 99 onto 99 times M, and no string in it is acceptable.
    std::string start(99, 'N');
    start.replace(0, 4, "M+V(");
    EXPECT_EQ(compareFrom(start.substr(0, 99), 12 * 12 * 12 * 12 + 500), 0);
    // What follows the wrap is the first acceptable string of length 99.
    int wrapped[SYMBL_TBL_SIZE];
    load(wrapped, start);
    stepTbl(wrapped);
    seekAccepted(wrapped);
    int first[SYMBL_TBL_SIZE];
    load(first, std::string(99, 'M'));
    seekAccepted(first);
    EXPECT_EQ(render(wrapped), render(first));
    EXPECT_EQ(render(first).size(), 99u);
    EXPECT_EQ(preTest(render(first).data()), 1);
}

TEST(GeneratorFastDraw, DeadSuffixesHaveNoAcceptedCompletion) {
    // Random strings of length 5 to 12; for each position k <= 4 that suffixDead marks,
    // every one of the 12^k strings sharing the suffix is rejected.
    std::mt19937 rng(12345);
    int tbl[SYMBL_TBL_SIZE];
    int checked = 0;
    int rounds = FULL_WALK ? 3000 : 100;
    for (int round = 0; round < rounds; round++) {
        int len = 5 + (int)(rng() % 8);
        memset(tbl, 0, sizeof tbl);
        for (int i = 0; i < len; i++) tbl[i] = 1 + (int)(rng() % 12);
        for (int k = 1; k <= 4; k++) {
            if (!suffixDead(tbl, len, k)) continue;
            checked++;
            long combos = 1;
            for (int i = 0; i < k; i++) combos *= 12;
            for (long c = 0; c < combos; c++) {
                long x = c;
                for (int i = 0; i < k; i++, x /= 12) tbl[i] = 1 + (int)(x % 12);
                std::string text = render(tbl);
                ASSERT_EQ(preTest(text.data()), 0) << text << " passes, suffix from " << k;
            }
        }
    }
    EXPECT_GT(checked, rounds / 3);
}

}  // namespace
