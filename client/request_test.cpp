// Tests of the request splitter: well-formed requests, the two malformed forms, and the cut
// lengths where a formula stops fitting whole.
#include "request.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "state.h"

namespace {

const char *textM() { return formulas + FORMULA_M_OFFSET; }
const char *textV() { return formulas + FORMULA_V_OFFSET; }

// Runs getFormulas on `text` with the formula buffers filled with '#', returning its result
// and the line it printed.
int split(const std::string &text, std::string *printed = nullptr) {
    std::memset(formulas, '#', sizeof formulas);
    formulas[FORMULA_M_OFFSET] = formulas[FORMULA_V_OFFSET] = '\0';
    key = 4711;
    testing::internal::CaptureStdout();
    int result = getFormulas(text.c_str());
    std::string out = testing::internal::GetCapturedStdout();
    if (printed) *printed = out;
    return result;
}

TEST(GetFormulas, SplitsWellFormedRequests) {
    struct Case {
        const char *text;
        const char *m;
        const char *v;
    } cases[] = {
        {"r,M+m+V+v,M+m+V+v", "M+m+V+v", "M+m+V+v"},
        {"r,M+m+V+v,M+m+V+v\n", "M+m+V+v", "M+m+V+v"},  // a line end ends V like a NUL
        {"r,M+m+V+v,M*v\nleftover", "M+m+V+v", "M*v"},
        {"r,,", "", ""},
        {"t,a,b", "a", "b"},
    };
    for (const Case &c : cases) {
        std::string printed;
        EXPECT_EQ(0, split(c.text, &printed)) << c.text;
        EXPECT_STREQ(c.m, textM()) << c.text;
        EXPECT_STREQ(c.v, textV()) << c.text;
        EXPECT_EQ("", printed) << c.text;
    }
}

TEST(GetFormulas, RejectsOtherThanThreePartsWithTheMessage) {
    struct Case {
        const char *text;
        const char *message;
    } cases[] = {
        {"r,a,b,c", "\rclient 4711 Error, more than three comma seperated parts: r,a,b,c\n"},
        {"r,a,b,", "\rclient 4711 Error, more than three comma seperated parts: r,a,b,\n"},
        {"r,a", "\rclient 4711 Error, fewer than three comma seperated parts: r,a\n"},
        {"r", "\rclient 4711 Error, fewer than three comma seperated parts: r\n"},
        {"r,a\n,b", "\rclient 4711 Error, fewer than three comma seperated parts: r,a\n,b\n"},
    };
    for (const Case &c : cases) {
        std::string printed;
        EXPECT_EQ(1, split(c.text, &printed)) << c.text;
        EXPECT_EQ(c.message, printed);
    }
}

TEST(GetFormulas, TakesFormulasWholeUpToTheCutLengthsOnly) {
    const std::string m493(LONGEST_WHOLE_M, 'M');
    const std::string v492(LONGEST_WHOLE_V, 'V');
    EXPECT_EQ(0, split("r," + m493 + "," + v492));
    EXPECT_EQ(m493, textM());
    EXPECT_EQ(v492, textV());

    struct Case {
        std::string m;
        std::string v;
    } tooLong[] = {
        {m493 + "M", "v"},
        {m493 + std::string(600, 'M'), "v"},
        {"m", v492 + "V"},
        {m493, v492 + std::string(600, 'V')},
    };
    for (const Case &c : tooLong) {
        std::string text = "r," + c.m + "," + c.v;
        text.resize(std::min(text.size(), MB_SIZE - 1));  // what a mailbox can hold
        std::string printed;
        EXPECT_EQ(1, split(text, &printed)) << c.m.size() << " " << c.v.size();
        EXPECT_EQ("\rclient 4711 Error, formula too long: " + text + "\n", printed);
        // Never beyond the bounds: the last byte of each buffer keeps its filler.
        EXPECT_EQ('#', formulas[FORMULA_M_OFFSET + FORMULA_BUF_SIZE - 1]);
        EXPECT_EQ('#', formulas[FORMULA_V_OFFSET + FORMULA_BUF_SIZE - 1]);
        EXPECT_LE(std::strlen(textM()), static_cast<std::size_t>(LONGEST_WHOLE_M + 1));
        EXPECT_LE(std::strlen(textV()), static_cast<std::size_t>(LONGEST_WHOLE_V + 1));
    }
}

TEST(GetFormulas, LongFirstPartsStayWithinTheScratchAndFormulaBuffers) {
    // Not what the coordinator writes, but the scan must stay in bounds for any text.
    for (std::size_t first : {0u, 1u, 300u, 495u, 496u, 900u}) {
        std::string text = std::string(first, 'r') + "," + std::string(900, 'M') + ",v";
        text.resize(MB_SIZE - 1);
        EXPECT_EQ(1, split(text)) << first;
        EXPECT_LT(std::strlen(textM()), FORMULA_BUF_SIZE);
        EXPECT_EQ('#', formulas[FORMULA_V_OFFSET + 1]);  // the scan never reached V
    }
    EXPECT_EQ(0, split(",M,V"));
    EXPECT_STREQ("M", textM());
}

}  // namespace
