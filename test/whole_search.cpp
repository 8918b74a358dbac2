// Whole searches in tests (see whole_search.h).
#include "test/whole_search.h"

#include <sched.h>
#include <signal.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

void FarmTest::SetUpTestSuite() {
    ASSERT_EQ(0, unshare(CLONE_NEWIPC)) << "whole-search tests need root for an IPC namespace";
}

void FarmTest::TearDown() {
    std::vector<pid_t> left;
    waitFor([&] { return (left = processesIn(dir)).empty(); }, 10);
    for (pid_t pid : left) kill(pid, SIGKILL);
    EXPECT_TRUE(left.empty()) << left.size() << " processes left behind";
    // A run removes its mailboxes: a segment left in the test's namespace is a fault.
    const std::vector<int> segments = segmentsLeft();
    for (int id : segments) shmctl(id, IPC_RMID, nullptr);
    EXPECT_TRUE(segments.empty()) << segments.size() << " segments left behind";
    TempDirTest::TearDown();
}

std::vector<int> FarmTest::segmentsLeft() {
    std::vector<int> ids;
    for (const std::string &line : lines(readFile("/proc/sysvipc/shm"))) {
        int key = 0, id = -1;
        if (std::sscanf(line.c_str(), "%d %d", &key, &id) == 2) ids.push_back(id);
    }
    return ids;
}

std::vector<pid_t> FarmTest::processesIn(const std::string &at) {
    std::vector<pid_t> found;
    for (const auto &e : std::filesystem::directory_iterator("/proc")) {
        std::error_code ec;
        auto cwd = std::filesystem::read_symlink(e.path() / "cwd", ec).string();
        if (!ec && cwd.starts_with(at)) found.push_back(std::atoi(e.path().filename().c_str()));
    }
    return found;
}

void FarmTest::writeCatalogue(const std::string &at, const std::vector<int> &sizes) {
    std::filesystem::create_directories(at);
    int next = 0;
    for (std::size_t f = 0; f < sizes.size(); ++f) {
        std::string text;
        for (int i = 0; i < sizes[f]; ++i)
            text +=
                "f" + std::to_string(next++) + (i % 7 == 6 || i + 1 == sizes[f] ? ", \n" : ", ");
        writeFile(at + "/formulas_00" + std::to_string(f + 1) + ".txt", text + "\n");
    }
}

void FarmTest::placeClient(const std::string &at, const std::string &rule) {
    std::filesystem::copy_file(kFakeClient, at + "/quarnClient",
                               std::filesystem::copy_options::overwrite_existing);
    writeFile(at + "/fake_rule.txt", rule);
}

std::vector<std::string> FarmTest::requested(const std::string &at) {
    std::vector<std::string> pairs;
    for (const auto &e : std::filesystem::directory_iterator(at))
        if (e.path().filename().string().starts_with("requests_"))
            for (auto &line : lines(readFile(e.path())))
                if (line != "r M+m+V+v M+m+V+v") pairs.push_back(line);
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

std::vector<std::string> FarmTest::allPairs(int n) {
    std::vector<std::string> pairs;
    for (int m = 0; m < n; ++m)
        for (int v = 0; v < n; ++v)
            pairs.push_back((pairs.size() == 500 ? "t f" : "r f") + std::to_string(m) + " f" +
                            std::to_string(v));
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}
