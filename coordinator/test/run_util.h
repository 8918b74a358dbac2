// Test helpers for the coordinator: a fresh temporary directory per test, small file helpers,
// and running a program in that directory with its output captured.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

std::string makeTempDir();
void removeTree(const std::string &path);
void writeFile(const std::string &path, const std::string &content);
std::string readFile(const std::string &path);  // empty when the file does not exist
bool fileExists(const std::string &path);

struct RunResult {
    int status = -1;    // exit status, or 128 + signal number
    bool timedOut = false;
    std::string out;    // standard output
    std::string err;    // standard error
};

// Starts argv[0] with the given arguments in `dir`, in a process group of its own, with
// standard output and error going to files in `outDir` and `extraEnv` ("NAME=value") added
// to the environment. Returns the process id (which is also the process group id).
pid_t startProgram(const std::string &dir, const std::vector<std::string> &argv,
                   const std::vector<std::string> &extraEnv, const std::string &outDir);

// Waits up to timeoutS for `pid`; on time-out kills its process group. Collects the output
// files that startProgram made in `outDir`.
RunResult waitProgram(pid_t pid, int timeoutS, const std::string &outDir);

// startProgram + waitProgram, with the output files kept outside `dir`.
RunResult runProgram(const std::string &dir, const std::vector<std::string> &argv,
                     const std::vector<std::string> &extraEnv = {}, int timeoutS = 60);

// A test with its own temporary working directory, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override { dir = makeTempDir(); }
    void TearDown() override { removeTree(dir); }
    std::string path(const std::string &name) const { return dir + "/" + name; }
    std::string dir;
};
