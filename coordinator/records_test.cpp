// The run records and probes against real files in a temporary directory.
#include "records.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "in_dir_fixture.h"

namespace {

class RecordsTest : public InDirTest {};

TEST_F(RecordsTest, LogAppendEndsEveryRecordWithOneLineEnd) {
    struct Case {
        const char *text;
        const char *line;
    } cases[] = {{"abc", "abc\n"}, {"abc\n", "abc\n"}, {"", "\n"}, {"a\nb", "a\nb\n"}};
    std::string expected;
    for (const Case &c : cases) {
        logAppend(c.text);
        expected += c.line;
        EXPECT_EQ(readFile("logfile.txt"), expected) << c.text;
    }
}

TEST_F(RecordsTest, AppendBestWritesOneLinePerPair) {
    struct Case {
        const char *m, *v;
        const char *line;
    } cases[] = {
        {"a", "b", "M = a, V = b\n"},
        {"a\n", "b", "M = a , V = b\n"},
        {"a", "b\n", "M = a, V = b\n"},
        {"a\nb", "c", "M = a\nb, V = c\n"},
        {"a\nb\n", "c", "M = a b , V = c\n"},
    };
    std::string expected;
    for (const Case &c : cases) {
        char m[16];
        std::strcpy(m, c.m);
        appendBest(m, c.v);
        expected += c.line;
        EXPECT_EQ(readFile("best.txt"), expected) << c.m;
    }
}

TEST_F(RecordsTest, UnopenableRecordFilesAreReportedAndTheRunGoesOn) {
    ASSERT_EQ(mkdir("logfile.txt", 0700), 0);
    ASSERT_EQ(mkdir("best.txt", 0700), 0);
    char m[] = "a";
    testing::internal::CaptureStdout();
    logAppend("x");
    appendBest(m, "b");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error opening logfile\nError opening best file\n");
}

TEST(RecordTexts, EndsWithNewLineAndRmNewline) {
    EXPECT_EQ(endsWithNewLine("a\n"), 1);
    EXPECT_EQ(endsWithNewLine("\n"), 1);
    EXPECT_EQ(endsWithNewLine("a"), 0);
    EXPECT_EQ(endsWithNewLine("a\nb"), 0);
    EXPECT_EQ(endsWithNewLine(""), 0);
    char text[] = "\na\n\nb\n";
    rmNewline(text);
    EXPECT_STREQ(text, " a  b ");
}

TEST_F(RecordsTest, IsStopSeesAnyEntryNamedStopTxt) {
    EXPECT_EQ(isStop(), 0);
    writeFile("stop.txt", "");
    EXPECT_EQ(isStop(), 1);
    ASSERT_EQ(unlink("stop.txt"), 0);
    EXPECT_EQ(isStop(), 0);
    ASSERT_EQ(mkdir("stop.txt", 0700), 0);
    EXPECT_EQ(isStop(), 1);
    ASSERT_EQ(rmdir("stop.txt"), 0);
    EXPECT_EQ(isStop(), 0);
}

TEST_F(RecordsTest, MemLeftReadsTheFirstMemFreeLine) {
    struct Case {
        const char *content;
        long expected;
    } cases[] = {
        {"MemTotal:       16000000 kB\nMemFree:         1234 kB\nMemAvailable:  9 kB\n", 1234},
        {"MemFree:1234 kB\n", 1234},
        {"MemFree: 5\nMemFree: 6 kB\n", 5},
        {"MemTotal: 1 kB\nMemAvailable: 99 kB\n", 0},
        {"XMemFree: 7 kB\nMemFree: x kB\n", 0},
        {"", 0},
    };
    for (const Case &c : cases) {
        writeFile("meminfo", c.content);
        EXPECT_EQ(memLeftFrom("meminfo"), c.expected) << c.content;
    }
}

TEST_F(RecordsTest, MemLeftIsZeroWhenTheFileCannotBeOpened) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(memLeftFrom("missing"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Failed to open missing: No such file or directory\n");
}

TEST(RecordTexts, LocalTimeStamp) {
    const char *oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    char stamp[STAMP_SIZE];
    formatLocalTime(stamp, 1796514274);  // 2026-12-05 23:44:34 UTC
    EXPECT_STREQ(stamp, "y2026m12d05 23:44:34");
    formatLocalTime(stamp, 0);
    EXPECT_STREQ(stamp, "y1970m01d01 00:00:00");
    if (oldTz) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
    tzset();
}

}  // namespace
