// The run records and probes against real files in a temporary directory.
#include "records.h"

#include <sys/stat.h>

#include "run_util.h"

namespace {

class RecordsTest : public InDirTest {};

TEST_F(RecordsTest, LogAndBestLines) {
    for (const char *text : {"abc", "abc\n", ""}) logAppend(text);
    EXPECT_EQ(readFile("logfile.txt"), "abc\nabc\n\n");
    const struct {
        const char *m, *v;
    } pairs[] = {{"a", "b"}, {"a\n", "b"}, {"a", "b\n"}, {"a\nb", "c"}};
    for (const auto &p : pairs) {
        char m[8];
        appendBest(std::strcpy(m, p.m), p.v);
    }
    EXPECT_EQ(readFile("best.txt"), "M = a, V = b\nM = a , V = b\nM = a, V = b\nM = a\nb, V = c\n");
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

TEST_F(RecordsTest, IsStopSeesAnyEntryNamedStopTxt) {
    EXPECT_EQ(isStop(), 0);
    ASSERT_EQ(mkdir("stop.txt", 0700), 0);
    EXPECT_EQ(isStop(), 1);
    ASSERT_EQ(rmdir("stop.txt"), 0);
    EXPECT_EQ(isStop(), 0);
}

TEST_F(RecordsTest, MemLeftReadsTheFirstMemFreeLine) {
    const std::pair<const char *, long> cases[] = {
        {"MemTotal:  16000000 kB\nMemFree:         1234 kB\nMemAvailable:  9 kB\n", 1234},
        {"MemFree:77\nMemFree: 6 kB\n", 77},
        {"MemAvailable: 99 kB\nXMemFree: 7 kB\nMemFree: x kB\n", 0},
    };
    for (const auto &[content, want] : cases) {
        writeFile("meminfo", content);
        EXPECT_EQ(memLeftFrom("meminfo"), want) << content;
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(memLeftFrom("missing"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Failed to open missing: No such file or directory\n");
}

TEST(RecordTexts, LocalTimeStamp) {
    setenv("TZ", "UTC", 1);
    tzset();
    char stamp[STAMP_SIZE];
    formatLocalTime(stamp, 1796514274);
    EXPECT_STREQ(stamp, "y2026m12d05 23:44:34");
    unsetenv("TZ");
    tzset();
}

}  // namespace
