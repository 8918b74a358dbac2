// The run records and probes against real files in a temporary directory.
#include "coordinator/records.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "coordinator/test/run_util.h"

namespace {

class RecordsTest : public InDirTest {};

TEST_F(RecordsTest, LogAndBestLines) {
    for (const char *text : {"abc", "abc\n", ""}) logAppend(text);
    EXPECT_EQ("abc\nabc\n\n", readFile("logfile.txt"));
    const std::pair<const char *, const char *> pairs[] = {
        {"a", "b"}, {"a\n", "b"}, {"a", "b\n"}, {"a\nb", "c"}};
    for (const auto &[m, v] : pairs) appendBest(std::string(m).data(), v);
    EXPECT_EQ("M = a, V = b\nM = a , V = b\nM = a, V = b\nM = a\nb, V = c\n", readFile("best.txt"));
}

TEST_F(RecordsTest, ARecordThatDoesNotFitIsTakenBackAndATornTailIsCutBeforeTheNext) {
    writeFile("best.txt", "M = a, V = b\nM = c, V");  // an append that failed long ago
    ASSERT_EQ(1, appendBest(std::string("e").data(), "f"));
    rlimit old, small = {26 + 5, RLIM_INFINITY};  // room for five bytes of the next record
    getrlimit(RLIMIT_FSIZE, &old);
    small.rlim_max = old.rlim_max;
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStdout();
    const int written = appendBest(std::string("g").data(), "h");
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(0, written);
    EXPECT_EQ("Error writing best.txt\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ("M = a, V = b\nM = e, V = f\n", readFile("best.txt"));
}

TEST_F(RecordsTest, UnwritableRecordsAreReportedWithoutWaitingAndStopIsAnyEntry) {
    appendUnevaluated("a", "b");
    EXPECT_EQ("M = a, V = b\n", readFile("unevaluated.txt"));
    std::remove("unevaluated.txt");
    for (const char *name : {"logfile.txt", "unevaluated.txt"}) ASSERT_EQ(0, mkdir(name, 0700));
    ASSERT_EQ(0, mkfifo("best.txt", 0600));  // nobody reads it: an open for writing must not wait
    testing::internal::CaptureStdout();
    logAppend("x");
    appendBest(std::string("a").data(), "b");
    appendUnevaluated("a", "b");
    EXPECT_EQ("Error opening logfile\nError opening best file\nError opening unevaluated file\n",
              testing::internal::GetCapturedStdout());
    EXPECT_EQ(0, isStop());
    ASSERT_EQ(0, mkdir("stop.txt", 0700));
    EXPECT_EQ(1, isStop());
}

TEST_F(RecordsTest, MemLeftReadsTheFirstMemFreeLine) {
    const std::pair<const char *, long> cases[] = {
        {"MemTotal:  16000000 kB\nMemFree:         1234 kB\nMemAvailable:  9 kB\n", 1234},
        {"MemAvailable: 99 kB\nXMemFree: 7 kB\nMemFree: x kB\n", 0},
    };
    for (const auto &[content, want] : cases) {
        writeFile("meminfo", content);
        EXPECT_EQ(want, memLeftFrom("meminfo")) << content;
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, memLeftFrom("missing"));
    EXPECT_EQ("Failed to open missing: No such file or directory\n",
              testing::internal::GetCapturedStderr());
}

}  // namespace
