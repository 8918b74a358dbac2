// Test helpers for the coordinator (see run_util.h).
#include "run_util.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

std::string makeTempDir() {
    char pattern[] = "/tmp/quarn_test_XXXXXX";
    const char *made = mkdtemp(pattern);
    if (made == nullptr) {
        perror("mkdtemp");
        std::abort();
    }
    return made;
}

void removeTree(const std::string &path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void writeFile(const std::string &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool fileExists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

pid_t startProgram(const std::string &dir, const std::vector<std::string> &argv,
                   const std::vector<std::string> &extraEnv, const std::string &outDir) {
    const std::string outPath = outDir + "/stdout.txt";
    const std::string errPath = outDir + "/stderr.txt";
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        if (chdir(dir.c_str()) != 0) _exit(126);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        for (const auto &e : extraEnv) putenv(const_cast<char *>(e.c_str()));
        std::vector<char *> args;
        for (const auto &a : argv) args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (pid > 0) setpgid(pid, pid);
    return pid;
}

RunResult waitProgram(pid_t pid, int timeoutS, const std::string &outDir) {
    RunResult result;
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutS);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.status = 128 + WTERMSIG(status);
    result.out = readFile(outDir + "/stdout.txt");
    result.err = readFile(outDir + "/stderr.txt");
    return result;
}

RunResult runProgram(const std::string &dir, const std::vector<std::string> &argv,
                     const std::vector<std::string> &extraEnv, int timeoutS) {
    const std::string outDir = makeTempDir();
    RunResult result = waitProgram(startProgram(dir, argv, extraEnv, outDir), timeoutS, outDir);
    removeTree(outDir);
    return result;
}
