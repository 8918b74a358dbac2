// The formula streams against small formula files: line and field rules, counters, moving
// across files, the ends of both streams, rewinds and the M stream's first-open message.
#include "streams.h"

#include <random>
#include <string>
#include <vector>

#include "in_dir_fixture.h"

namespace {

struct Taken {
    std::string formula;
    int fileNum;
    int formulaNum;
    bool operator==(const Taken &) const = default;
};

void PrintTo(const Taken &t, std::ostream *os) {
    *os << "{\"" << t.formula << "\", " << t.fileNum << ", " << t.formulaNum << "}";
}

// Every formula of a stream up to its first null, with the counters after each.
std::vector<Taken> drain(FormulaStream &s) {
    std::vector<Taken> all;
    while (const char *f = getNextFormula(s, STREAM_NEXT))
        all.push_back({f, s.presFileNum, s.presFormulaNum});
    return all;
}

std::vector<std::string> formulasOf(const std::vector<Taken> &taken) {
    std::vector<std::string> out;
    for (const auto &t : taken) out.push_back(t.formula);
    return out;
}

// The reading rules written out directly over whole file contents, the oracle for the
// streams: pieces of at most 495 bytes, the skip rule on every piece, fields split at comma
// runs, blanks skipped, a line finished by an empty or CR/LF field, a formula cut at its first
// blank/CR/LF, only the first formula of a piece of 3 bytes or fewer.
std::vector<Taken> oracle(const std::vector<std::string> &contents) {
    std::vector<Taken> out;
    for (int file = 0; file < static_cast<int>(contents.size()); file++) {
        const std::string &text = contents[file];
        int count = 0;
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = at;
            while (end < text.size() && end - at < LINE_BUF_SIZE - 1 && text[end] != '\n') end++;
            if (end < text.size() && text[end] == '\n' && end - at < LINE_BUF_SIZE - 1) end++;
            const std::string piece = text.substr(at, end - at);
            at = end;
            if (piece[0] == ',' || piece[0] == '\n' || piece[0] == '\r') continue;
            std::vector<std::string> fields;
            std::string field;
            for (char c : piece + ",") {
                if (c != ',') {
                    field += c;
                } else if (!field.empty()) {
                    fields.push_back(field);
                    field.clear();
                }
            }
            for (const std::string &f : fields) {
                std::size_t start = f.find_first_not_of(' ');
                if (start == std::string::npos || f[start] == '\r' || f[start] == '\n') break;
                std::size_t stop = f.find_first_of(" \r\n", start);
                out.push_back({f.substr(start, stop == std::string::npos ? stop : stop - start),
                               file, ++count});
                if (piece.size() <= SHORT_LINE_LEN) break;
            }
        }
    }
    return out;
}

class StreamsTest : public InDirTest {};

TEST_F(StreamsTest, LinesYieldTheirFormulas) {
    const std::string a493(493, 'a'), a495(495, 'a'), z(90, 'z');
    // 493 + ",b" is the first piece of 495 bytes; the second piece is the other 105.
    const std::string line600 = a493 + ",bcdef, " + z + ", " + std::string(6, ' ') + "\n";
    ASSERT_EQ(line600.size(), 600u);
    struct Case {
        const char *name;
        std::string content;
        std::vector<std::string> formulas;
    } cases[] = {
        {"generator line", "F1, F2, F3, F4, F5, F6, F7, \n\n", {"F1", "F2", "F3", "F4", "F5", "F6", "F7"}},
        {"leading blanks", " a ,b\n", {"a", "b"}},
        {"empty field in the middle", "a, ,b\n", {"a"}},
        {"line starting with a comma", ",a,b\n", {}},
        {"comma runs are one separator", "a,,,b,\n", {"a", "b"}},
        {"short last line without LF", "x,\na,b", {"x", "a"}},
        {"last line of four bytes", "a,bc", {"a", "bc"}},
        {"three bytes with LF", "a,\nb,c\n", {"a", "b", "c"}},
        {"rest of a field dropped", "ab cd,ef\tgh\n", {"ab", "ef\tgh"}},
        {"CR line skipped", "\r\na,b\r\n", {"a", "b"}},
        {"CR field finishes the line", "a,\r,b\n", {"a"}},
        {"line starting with CR", "\ra,b\n", {}},
        {"empty lines skipped", "\n\n\na\n", {"a"}},
        {"600-byte line as 495 + 105", line600, {a493, "b", "cdef", z}},
        {"second piece starting with a comma", a495 + ",b,\nc\n", {a495, "c"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        setCatalogue({{"formulas_001.txt", c.content}});
        const std::vector<Taken> taken = drain(streamM);
        EXPECT_EQ(formulasOf(taken), c.formulas);
        EXPECT_EQ(taken, oracle({c.content}));
        clearState();
    }
}

TEST_F(StreamsTest, GeneratorFileCountsEveryFormula) {
    std::string content;
    for (int line = 0; line < 10000; line++) {
        for (int k = 0; k < 7; k++) content += "m*M+v" + std::to_string(line * 7 + k) + ", ";
        content += "\n";
    }
    content += "\n";
    setCatalogue({{"formulas_001.txt", content}});
    std::vector<Taken> all = drain(streamM);
    ASSERT_EQ(all.size(), 70000u);
    for (int i = 0; i < 70000; i++) {
        ASSERT_EQ(all[i].formula, "m*M+v" + std::to_string(i));
        ASSERT_EQ(all[i].formulaNum, i + 1);
        ASSERT_EQ(all[i].fileNum, 0);
    }
}

TEST_F(StreamsTest, MovingAcrossFilesRestartsCountsAndSkipsEmptyFiles) {
    setCatalogue({{"formulas_001.txt", "a1, a2, \n\n"},
                  {"formulas_002.txt", ""},
                  {"formulas_003.txt", "\n"},
                  {"formulas_004.txt", ",x, \nb1, \n"},  // first line skipped like any other
                  {"formulas_005.txt", "c1"}});
    std::vector<Taken> expected = {
        {"a1", 0, 1}, {"a2", 0, 2}, {"b1", 3, 1}, {"c1", 4, 1}};
    EXPECT_EQ(drain(streamM), expected);
    EXPECT_EQ(drain(streamV), expected);
}

TEST_F(StreamsTest, StreamsAgreeWithTheRulesOnRandomFiles) {
    std::mt19937 rng(20240611);
    const char alphabet[] = {'a', 'b', 'c', ',', ',', ' ', ' ', '\r', '\n', '\n'};
    for (int round = 0; round < 300; round++) {
        SCOPED_TRACE(round);
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<std::string> contents;
        const int count = 1 + static_cast<int>(rng() % 4);
        for (int f = 0; f < count; f++) {
            std::string text;
            const int len = static_cast<int>(rng() % 60);
            for (int i = 0; i < len; i++) {
                if (rng() % 50 == 0) text += std::string(400 + rng() % 200, "ab ,"[rng() % 4]);
                text += alphabet[rng() % sizeof alphabet];
            }
            files.push_back({"formulas_" + std::to_string(f) + ".txt", text});
            contents.push_back(text);
        }
        setCatalogue(files);
        ASSERT_EQ(drain(streamV), oracle(contents));
        clearState();
    }
}

TEST_F(StreamsTest, VStreamRewindsItselfAtItsEnd) {
    setCatalogue({{"formulas_001.txt", "a, b, \n"}, {"formulas_002.txt", "c, \n"}});
    EXPECT_EQ(formulasOf(drain(streamV)), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(presFileNumV, 0);
    EXPECT_EQ(current_fileV, nullptr);
    const char *again = getNextFormulaV(STREAM_NEXT);
    ASSERT_NE(again, nullptr);
    EXPECT_STREQ(again, "a");
    EXPECT_EQ(presFileNumV, 0);
    EXPECT_EQ(presFormulaNumV, 1);
}

TEST_F(StreamsTest, MStreamStaysAtItsEnd) {
    setCatalogue({{"formulas_001.txt", "a, \n"}});
    EXPECT_EQ(formulasOf(drain(streamM)), std::vector<std::string>{"a"});
    EXPECT_EQ(presFileNumM, 1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(getNextFormulaM(STREAM_NEXT), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "getNextFormulaLineM() open first file, filename = \n");
    EXPECT_EQ(presFileNumM, 1);
}

TEST_F(StreamsTest, RewindStartsAgainAtFileZeroOrAtTheFileSetAfterIt) {
    setCatalogue({{"formulas_001.txt", "a, b, \n"}, {"formulas_002.txt", "c, d, \n"}});
    for (FormulaStream *s : {&streamM, &streamV}) {
        getNextFormula(*s, STREAM_NEXT);
        getNextFormula(*s, STREAM_NEXT);
        ASSERT_STREQ(getNextFormula(*s, STREAM_NEXT), "c");
        EXPECT_EQ(getNextFormula(*s, STREAM_REWIND), nullptr);
        EXPECT_EQ(s->current_file, nullptr);
        EXPECT_EQ(s->presFileNum, 0);
        EXPECT_EQ(s->presFormulaNum, 0);
        EXPECT_STREQ(getNextFormula(*s, STREAM_NEXT), "a");
        getNextFormula(*s, STREAM_REWIND);
        s->presFileNum = 1;
        EXPECT_STREQ(getNextFormula(*s, STREAM_NEXT), "c");
        EXPECT_EQ(s->presFormulaNum, 1);
    }
}

TEST_F(StreamsTest, StreamsDoNotDisturbEachOther) {
    setCatalogue({{"formulas_001.txt", "a, b, c, \n"}});
    EXPECT_STREQ(getNextFormulaM(STREAM_NEXT), "a");
    EXPECT_STREQ(getNextFormulaV(STREAM_NEXT), "a");
    EXPECT_STREQ(getNextFormulaV(STREAM_NEXT), "b");
    EXPECT_STREQ(getNextFormulaM(STREAM_NEXT), "b");
    getNextFormulaV(STREAM_REWIND);
    EXPECT_STREQ(getNextFormulaM(STREAM_NEXT), "c");
    EXPECT_EQ(presFormulaNumM, 3);
}

TEST_F(StreamsTest, FieldWalkFromTheLineStartMatchesTheCursor) {
    setCatalogue({{"formulas_001.txt", " a ,,b x, c,\r, d\n"}});
    EXPECT_STREQ(getNextFormulaM(STREAM_NEXT), "a");
    EXPECT_STREQ(getNextFormulaM(STREAM_NEXT), "b");
    streamM.fieldCursorNum = 0;  // forget the cursor: the walk starts over from the line start
    EXPECT_STREQ(getNextFormulaM(STREAM_NEXT), "c");
    streamM.fieldCursorNum = 0;
    EXPECT_EQ(getNextFormulaM(STREAM_NEXT), nullptr);  // the CR field finishes the line
}

TEST_F(StreamsTest, FirstOpenMessageOnlyWhenMHasNoOpenFile) {
    setCatalogue({{"formulas_001.txt", "a, \n"}, {"formulas_002.txt", "b, \n"}});
    testing::internal::CaptureStdout();
    getNextFormulaM(STREAM_NEXT);
    getNextFormulaM(STREAM_NEXT);  // moves on to the second file: no message
    getNextFormulaM(STREAM_REWIND);
    getNextFormulaM(STREAM_NEXT);
    drain(streamV);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "getNextFormulaLineM() open first file, filename = formulas_001.txt\n"
              "getNextFormulaLineM() open first file, filename = formulas_001.txt\n");
}

TEST_F(StreamsTest, UnopenableFileIsReportedAndEndsTheWalk) {
    setCatalogue({{"formulas_001.txt", "a, \n"}});
    std::strcpy(filenames[1], "formulas_002.txt");  // listed, but gone
    numFiles = 2;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_STREQ(getNextFormulaM(STREAM_NEXT), "a");
    EXPECT_EQ(getNextFormulaM(STREAM_NEXT), nullptr);  // moving on fails: no first-open text
    EXPECT_EQ(current_fileM, nullptr);
    EXPECT_EQ(getNextFormulaM(STREAM_NEXT), nullptr);  // the next request is a first open
    EXPECT_EQ(presFileNumM, 1);
    EXPECT_STREQ(getNextFormulaV(STREAM_NEXT), "a");
    EXPECT_EQ(getNextFormulaV(STREAM_NEXT), nullptr);  // the V walk ends and starts over
    EXPECT_EQ(presFileNumV, 0);
    EXPECT_STREQ(getNextFormulaV(STREAM_NEXT), "a");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "getNextFormulaLineM() open first file, filename = formulas_001.txt\n"
              "getNextFormulaLineM() open first file, filename = formulas_002.txt\n");
    const std::string once = "Error opening file: No such file or directory\n";
    EXPECT_EQ(err, once + once + once);
}

TEST_F(StreamsTest, EmptyCatalogueAndOutOfRangeFileNumbers) {
    for (int fileNum : {0, 5, -1}) {
        SCOPED_TRACE(fileNum);
        clearState();
        presFileNumM = fileNum;
        presFileNumV = fileNum;
        testing::internal::CaptureStdout();
        EXPECT_EQ(getNextFormulaM(STREAM_NEXT), nullptr);
        EXPECT_EQ(getNextFormulaV(STREAM_NEXT), nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "getNextFormulaLineM() open first file, filename = \n");
    }
}

}  // namespace
