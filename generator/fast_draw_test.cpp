// seekAccepted against its definition: literal odometer steps, each string judged by
// preTest. Every accepted string must come out, in the same order, and nothing else.
#include "generator/test/testutil.h"

// DIFFERENTIAL_MAX_LEN comes from the build: 8, or 7 in the slower sanitizer build.
constexpr bool FULL_WALK = DIFFERENTIAL_MAX_LEN >= 8;

// Steps symblNumTbl literally `steps` times from start, and a second table by stepTbl and
// seekAccepted whenever preTest accepts: both must meet the same strings. Seeking from the
// walk's end must then find what the second table finds next. Adds up the accepted.
static std::string seekNext(int *tbl) { return stepTbl(tbl), seekAccepted(tbl), render(tbl); }

static void compareFrom(const std::string &start, long steps, long &accepted) {
    int fast[SYMBL_TBL_SIZE], fromEnd[SYMBL_TBL_SIZE];
    load(symblNumTbl, start);
    load(fast, start);
    for (long n = 0; n < steps; n++) {
        if (!preTest(next_try(0))) continue;
        accepted++;
        ASSERT_EQ(seekNext(fast), genFormula) << "from " << start;
    }
    std::copy(symblNumTbl, symblNumTbl + SYMBL_TBL_SIZE, fromEnd);
    EXPECT_EQ(seekNext(fast), seekNext(fromEnd)) << "from " << start;
}

TEST(GeneratorFastDraw, SameAcceptedStringsAsLiteralStepping) {
    // From the start through every string of the longest length walked: the first acceptable
    // strings are the 4! * 4^3 of length 7 ("M+V+m+v" and so on).
    long steps = 0, accepted = 0;
    for (long len = 1, power = 1; len <= DIFFERENTIAL_MAX_LEN; len++) steps += (power *= 12);
    compareFrom("", steps, accepted);
    EXPECT_EQ(accepted, 1536);
    // From resume positions of length 9 to 15 with parentheses, placeholders and N nearby. A
    // walk of 12^6 steps from a start whose first six symbols are M covers every string
    // sharing its symbols from position 6 on; the others start in the middle of such a block.
    // NNNNNNNNN crosses into length 10; the last start wraps to 99 times M.
    // clang-format off
    std::string starts[] = {"MMMMMMm+v", "(M+V)*m+v", "v*(m-V)/M", "NNNNNNNNN", "N+M)(V+v)*m",
        "M+((m*V))/v", "nnnnnn(m+v)", "(M+V)*(m+v)", "(M+V)(m+v+n)", "MMMMMM(m+v))", "MMMMMMv+m*M)",
        "(M+n)*(m-V)/v", "(M+n)*m-V/v+n", "M/v+(m-N)*(V+n)", "M+V(" + std::string(95, 'N')};
    // clang-format on
    for (auto &start : starts) compareFrom(start, FULL_WALK ? 2985984 : 20736, accepted);
    EXPECT_GT(accepted, FULL_WALK ? 11536 : 1546);  // after 12^6 or 12^4 steps from each
}
