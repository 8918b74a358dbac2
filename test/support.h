// Test support shared by the tests of all programs: a fresh temporary directory per test, file
// helpers, running a real program with its output captured, waiting for an event, and a
// checksum for signatures.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A fresh directory in `parent`; somewhere other than /tmp for processes that get a /tmp of their
// own (the nodes of a test cluster).
std::string makeTempDir(const std::string &parent = "/tmp");
void removeTree(const std::string &path);
void writeFile(const std::string &path, const std::string &content);
std::string readFile(const std::string &path);  // empty when the file does not exist
std::vector<std::string> lines(const std::string &text);
int count(const std::string &text, const std::string &what);  // occurrences, overlapping too

// Polls `done` every few milliseconds for up to `limitS` seconds; its last answer.
bool waitFor(const std::function<bool()> &done, int limitS);

// A death test: `statement` must end the process with exit status `status` after printing a
// text that matches the regular expression `re` on standard output (sent to the error stream,
// which the death test reads).
#define EXPECT_EXITS(statement, status, re)                                                       \
    EXPECT_EXIT((dup2(STDERR_FILENO, STDOUT_FILENO), statement), testing::ExitedWithCode(status), \
                re)

// FNV-1a over the bytes of `text`, continuing from `hash`.
std::uint64_t fnv1a(const std::string &text, std::uint64_t hash = 14695981039346656037ull);

struct RunResult {
    int status = -1;  // exit status; -1 after a time-out, 128 + n after signal n
    std::string out, err;
    long maxRssKb = 0;  // the program's peak resident memory
};

// A program started in `dir` with `env` ("NAME=value") added, in a process group of its own
// (its pid is the group id), standard input from /dev/null and its output going to files in a
// directory of its own.
struct Process {
    Process(const std::string &dir, const std::vector<std::string> &argv,
            const std::vector<std::string> &env = {});
    std::string out() const;       // standard output so far
    RunResult wait(int timeoutS);  // on time-out kills the whole group
    pid_t pid;
    std::string outDir;
};

inline RunResult runProgram(const std::string &dir, const std::vector<std::string> &argv,
                            const std::vector<std::string> &env = {}, int timeoutS = 120) {
    return Process(dir, argv, env).wait(timeoutS);
}

class TempDirTest : public ::testing::Test {
  protected:
    void SetUp() override { dir = makeTempDir(); }
    void TearDown() override { removeTree(dir); }
    std::string path(const std::string &name) const { return dir + "/" + name; }
    std::string dir;
};
