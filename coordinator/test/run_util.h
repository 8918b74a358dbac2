// Test helpers for the coordinator: a temporary directory per test, file helpers, and running
// a program there with its output captured.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

std::string makeTempDir();
void removeTree(const std::string &path);
void writeFile(const std::string &path, const std::string &content);
std::string readFile(const std::string &path);  // empty when the file does not exist

struct RunResult {
    int status = -1;  // exit status; -1 after a time-out, 128 + n after signal n
    std::string out, err;
};

// A program started in `dir` with `env` ("NAME=value") added, in a process group of its own
// (its pid is the group id), its output going to files in a directory of its own.
struct Process {
    Process(const std::string &dir, const std::vector<std::string> &argv,
        const std::vector<std::string> &env = {});
    std::string out() const;         // standard output so far
    RunResult wait(int timeoutS);    // on time-out kills the whole group
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

// A TempDirTest that works inside its directory, with both formula streams rewound, the
// catalogue empty and no interrupt pending.
class InDirTest : public TempDirTest {
protected:
    void SetUp() override;
    void TearDown() override;
    static void clearState();
    // Writes the files (name, content) and makes them the catalogue, in this order.
    static void setCatalogue(const std::vector<std::pair<std::string, std::string>> &files);
    std::string oldCwd;
};
