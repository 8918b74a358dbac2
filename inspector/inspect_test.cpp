// Tests of the inspector in process: its score and step count are the client's over the pair
// corpus, the reason in words for each kind of result (and the client's refusal rules), the
// picture and the CSV of a known pair.
#include "inspector/inspect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "client/field.h"
#include "client/test/literal.h"
#include "inspector/csv.h"
#include "inspector/image.h"
#include "inspector/picture.h"
#include "inspector/state.h"
#include "test/support.h"

namespace {

const int ready = setupShowState();  // 0 when set up
const std::string seed = MB_SEED_FORMULA, passM = "sin(M*V-m*v)/e", passV = "V-m-M*v";

TEST(Inspect, ScoreAndStepsAreTheClientsOnTheCorpus) {
    ASSERT_EQ(0, ready);
    for (const auto &[m, v] : loadCorpus()) {
        Inspection in;
        inspectPair(m.c_str(), v.c_str(), 0, &in);
        ASSERT_EQ(in.steps, recordedSteps) << m << " " << v;
        fieldRecorder = nullptr;  // the client as it runs in a search
        EXPECT_EQ(evaluateFunction(m.c_str(), v.c_str()), in.score) << m << " " << v;
        fieldRecorder = recordStep;
        EXPECT_EQ(fieldReach, in.steps) << m << " " << v;
    }
}

TEST(Inspect, SaysWhichCheckDecidedAndAtWhichStep) {
    // M one character too long is refused in the program's own test.
    const std::string tanhM = "tanh(v*m-V*M)*100";
    const std::string m493 = passM + std::string(LONGEST_WHOLE_M - passM.size(), ' ');
    const std::string v492 = passV + std::string(LONGEST_WHOLE_V - passV.size(), ' ');
    // The reason, the score, the steps and a fact the words must carry (not their sentences).
    for (const auto &[m, v, status, reason, score, steps, fact] :
         std::vector<std::tuple<std::string, std::string, int, int, int, int, std::string>>{
             {m493, v492, EXIT_EVALUATED, REASON_PASSED, 4, 96, "(0.11654431934142695 at step 57)"},
             {passM, "V-m,M*v", EXIT_REFUSED, REASON_REFUSED, 0, 0, "V holds a comma"},
             {tanhM, "cot(M+m-V*v)*6.62607015E−34", EXIT_NOT_EVALUATED, REASON_NOT_COMPILED, -1, 0,
              "cannot read V"},
             {tanhM, "M*V-m*v+N", EXIT_NOT_EVALUATED, REASON_WRONG_VARIABLES, 0, 0,
              "V uses 5 (M, N, V, m, v)"},
             {seed, seed, EXIT_EVALUATED, REASON_SPREAD, 0, 6,
              "centre - left = -2080.0259035723675"},
             {tanhM, "(v+V)+M/m", EXIT_EVALUATED, REASON_NOT_FINITE, 0, 6,
              "from step 3 (cell 498, v = NaN)"},
             {"atan(v*m-V*M)*log10e", "log2e*tan(V-M*v-m)", EXIT_EVALUATED, REASON_NO_PASS, 0, 100,
              "at 2 of 84 steps"}}) {
        Inspection in;
        EXPECT_EQ(status, inspectPair(m.c_str(), v.c_str(), 0, &in)) << m << " " << v;
        EXPECT_EQ(reason, in.reason) << m << " " << v;
        EXPECT_EQ(score, in.score) << m << " " << v;
        EXPECT_EQ(steps, in.steps) << m << " " << v;
        EXPECT_NE(std::string(in.words).find(fact), std::string::npos) << in.words;
    }
}

class Files : public TempDirTest {};

TEST_F(Files, PictureAndCsvOfTheSeedPairHoldItsSizeTextsColoursAndValues) {
    Inspection in;
    ASSERT_EQ(EXIT_EVALUATED, inspectPair(seed.c_str(), seed.c_str(), 0, &in));
    ASSERT_EQ(0, drawPicture(path("seed.png").c_str(), 1, seed.c_str(), seed.c_str(), in, 0));
    PngView view;
    ASSERT_EQ(0, readPng(path("seed.png").c_str(), 1, &view));
    // Cells 489..511 (the zone 494..506 and 5 on each side) and 6 steps in blocks of 16 pixels:
    // two panels of 368 x 96 below the header, the names and the marks, then two legend rows.
    EXPECT_EQ(std::make_pair(790, 220), std::make_pair(view.width, view.height));
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"Title", "M = M+m+V+v, V = M+m+V+v"},
        {"Score", "0"},
        {"Steps", "6"},
        {"Reason", in.words}};  // then the colour scale in words, and the program
    ASSERT_LE(texts.size(), view.texts.size());
    EXPECT_TRUE(std::equal(texts.begin(), texts.end(), view.texts.begin()));
    // The signature of every pixel: labels, marks, legends and colours (cells by their values,
    // warm above 0 and cold below) as drawn today. A change of the picture changes it; the
    // commit that does so says why.
    EXPECT_EQ(0x03305b39eb718088u, fnv1a(std::string(view.rgb.begin(), view.rgb.end())));
    // The CSV: the zone of every step, one cell to a line.
    ASSERT_EQ(0, writeCsv(path("seed.csv").c_str(), in));
    std::vector<std::string> csv = lines(readFile(path("seed.csv")));
    ASSERT_EQ(1u + 6 * 23, csv.size());  // a header, then cells 489..511 of steps 1..6
    EXPECT_EQ("1,501,1.007276466621004,-1.0072764666210012", csv[1 + 12]);
    EXPECT_EQ("6,511,", csv.back().substr(0, 6));
}

}  // namespace
