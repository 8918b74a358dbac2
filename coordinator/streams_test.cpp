// The formula streams over small files: line and field rules, counters across files, both
// stream ends, rewinds, the M stream's first-open message and unopenable files.
#include "coordinator/streams.h"

#include "coordinator/test/run_util.h"

namespace {

// Every formula of a stream up to its first null, "|"-joined; with counters as "f@file.num".
std::string drain(FormulaStream &s, bool counters = false) {
    std::string all;
    while (const char *f = getNextFormula(s, STREAM_NEXT)) {
        all += (all.empty() ? "" : "|") + std::string(f);
        if (counters)
            all += "@" + std::to_string(s.presFileNum) + "." + std::to_string(s.presFormulaNum);
    }
    return all;
}

class StreamsTest : public InDirTest {};

TEST_F(StreamsTest, LineAndFieldRules) {
    const std::string a493(493, 'a'), a495(495, 'a'), z(90, 'z');
    const std::string line600 = a493 + ",bcdef, " + z + ", " + std::string(6, ' ') + "\n";
    ASSERT_EQ(line600.size(), 600u);  // taken as 493 + ",b" and then the other 105 bytes
    const std::pair<std::string, std::string> cases[] = {
        {"F1, F2, F3, F4, F5, F6, F7, \n\n", "F1|F2|F3|F4|F5|F6|F7"},
        {" a ,b\n", "a|b"},
        {"a, ,b\n", "a"},
        {",a,b\n", ""},
        {"a,,,b,\n", "a|b"},
        {"x,\na,b", "x|a"},
        {"ab cd,e\tf\n", "ab|e\tf"},
        {"\r\na,b\r\n", "a|b"},
        {"a,\r,b\n", "a"},
        {"\ra,b\n", ""},
        {line600, a493 + "|b|cdef|" + z},
        {a495 + ",b,\nc\n", a495 + "|c"},
    };
    for (const auto &[content, want] : cases) {
        setCatalogue({{"formulas_001.txt", content}});
        EXPECT_EQ(drain(streamM), want) << content;
        clearState();
    }
}

TEST_F(StreamsTest, CountersAcrossFilesAndTheTwoStreamEnds) {
    setCatalogue({{"formulas_001.txt", "a1, a2, \n\n"},
                  {"formulas_002.txt", ""},
                  {"formulas_003.txt", "\n"},
                  {"formulas_004.txt", ",x, \nb1, \n"},
                  {"formulas_005.txt", "c1"}});
    const std::string all = "a1@0.1|a2@0.2|b1@3.1|c1@4.1";
    testing::internal::CaptureStdout();
    EXPECT_EQ(drain(streamM, true), all);
    EXPECT_EQ(presFileNumM, 5);
    EXPECT_EQ(getNextFormulaM(STREAM_NEXT), nullptr);  // M stays at its end
    getNextFormulaM(STREAM_REWIND);
    EXPECT_STREQ(getNextFormulaM(STREAM_NEXT), "a1");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "getNextFormulaLineM() open first file, filename = formulas_001.txt\n"
              "getNextFormulaLineM() open first file, filename = \n"
              "getNextFormulaLineM() open first file, filename = formulas_001.txt\n");
    EXPECT_EQ(drain(streamV, true), all);
    EXPECT_EQ(presFileNumV, 0);
    EXPECT_EQ(drain(streamV, true), all);  // V rewound itself
    getNextFormulaV(STREAM_NEXT);
    getNextFormulaV(STREAM_REWIND);
    presFileNumV = 3;  // a rewind followed by a start file, as a resume does it
    EXPECT_EQ(drain(streamV, true), "b1@3.1|c1@4.1");
}

TEST_F(StreamsTest, UnopenableFileEndsTheWalkAndIsRetriedAsAFirstOpen) {
    setCatalogue({{"formulas_001.txt", "a, \n"}});
    std::strcpy(filenames[1], "formulas_002.txt");  // listed, but gone
    numFiles = 2;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(drain(streamM), "a");
    EXPECT_EQ(1, streamM.openFailed);
    EXPECT_EQ(getNextFormulaM(STREAM_NEXT), nullptr);
    EXPECT_EQ(drain(streamV), "a");
    EXPECT_EQ(1, streamV.openFailed);
    EXPECT_EQ(drain(streamV), "a");  // the V walk ended there and starts over
    presFileNumM = -1;               // out of the catalogue: nothing is indexed
    EXPECT_EQ(getNextFormulaM(STREAM_NEXT), nullptr);
    std::string errors;
    for (int i = 0; i < 4; i++) errors += "Error opening file: No such file or directory\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), errors);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "getNextFormulaLineM() open first file, filename = formulas_001.txt\n"
              "getNextFormulaLineM() open first file, filename = formulas_002.txt\n"
              "getNextFormulaLineM() open first file, filename = \n");
}

}  // namespace
