// Support of the campaign's process tests (see campaign_support.h).
#include "campaign_support.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "keylock.h"
#include "mailbox.h"

namespace {

int heldRange = -1;     // the lock of keys 1000-1049, held by the test program
bool isolated = false;  // the IPC namespace is the test program's own

}  // namespace

void CampaignTest::SetUpTestSuite() {
    ASSERT_TRUE(isolated = unshare(CLONE_NEWIPC) == 0)
        << "the campaign tests need root for a private IPC namespace";
    char path[256];
    keyLockPath(path, sizeof path, MB_KEY_BASE);
    heldRange = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ(0, flock(heldRange, LOCK_EX | LOCK_NB));
}

void CampaignTest::TearDownTestSuite() {
    if (!isolated) return;  // never the machine's own keys
    // The ranges "auto" may take and the tests' own: their segments and their key locks.
    for (int base = MB_KEY_BASE; base < 3500; base += MB_NUM_CLIENTS) {
        for (int key = base; key < base + MB_NUM_CLIENTS; ++key)
            shmctl(shmget(key, 0, 0), IPC_RMID, nullptr);
        char path[256];
        keyLockPath(path, sizeof path, base);
        unlink(path);
    }
    close(heldRange);
}

void CampaignTest::TearDown() {
    std::vector<pid_t> left;  // a stand-in left behind would poll for ever
    auto working = [&] {
        left.clear();
        for (const auto &e : std::filesystem::directory_iterator("/proc")) {
            std::error_code ec;
            auto cwd = std::filesystem::read_symlink(e.path() / "cwd", ec).string();
            if (!ec && cwd.starts_with(dir)) left.push_back(std::atoi(e.path().filename().c_str()));
        }
        return left.empty();
    };
    waitFor(working, 10);
    for (pid_t pid : left) kill(pid, SIGKILL);
    EXPECT_TRUE(left.empty()) << left.size() << " processes left behind";
    TempDirTest::TearDown();
}

void CampaignTest::writeCatalogue(const std::string &at, const std::vector<int> &sizes) {
    std::filesystem::create_directories(at);
    int next = 0;
    for (std::size_t f = 0; f < sizes.size(); ++f) {
        std::string text;
        for (int i = 0; i < sizes[f]; ++i)
            text += "f" + std::to_string(next++) + (i % 7 == 6 ? ", \n" : ", ");
        writeFile(at + "/formulas_00" + std::to_string(f + 1) + ".txt", text + "\n\n");
    }
}

std::string CampaignTest::wrapperClient(const std::string &logs, const std::string &rule) {
    std::filesystem::create_directories(logs);
    writeFile(logs + "/fake_rule.txt", rule);
    const std::string client = path("client.sh");
    writeFile(client, "#!/bin/sh\ncd " + logs + " && exec " + kFakeClient + " \"$@\"\n");
    std::filesystem::permissions(client, std::filesystem::perms::owner_all);
    return client;
}

std::vector<std::string> CampaignTest::requested(const std::string &at) {
    std::vector<std::string> pairs;
    for (const auto &e : std::filesystem::directory_iterator(at))
        if (e.path().filename().string().starts_with("requests_"))
            for (auto &line : lines(readFile(e.path())))
                if (line != "r M+m+V+v M+m+V+v") pairs.push_back(line);
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

std::size_t CampaignTest::unitRequests(const std::string &at, int unit, int mPerUnit) {
    auto pairs = requested(at);
    return std::count_if(pairs.begin(), pairs.end(),
                         [&](auto &r) { return std::atoi(r.c_str() + 3) / mPerUnit == unit; });
}

std::vector<std::string> CampaignTest::allPairs(int n) {
    std::vector<std::string> pairs;
    for (int m = 0; m < n; ++m)
        for (int v = 0; v < n; ++v)
            pairs.push_back((pairs.size() == 500 ? "t f" : "r f") + std::to_string(m) + " f" +
                            std::to_string(v));
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}
