// Support of the campaign's process tests (see campaign_support.h).
#include "campaign_support.h"

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <filesystem>

#include "keylock.h"
#include "mailbox.h"

void CampaignTest::SetUpTestSuite() {
    FarmTest::SetUpTestSuite();
    char path[256];
    keyLockPath(path, sizeof path, MB_KEY_BASE);
    const int held = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);  // kept until the end
    ASSERT_EQ(0, flock(held, LOCK_EX | LOCK_NB));
}

std::string CampaignTest::wrapperClient(const std::string &logs, const std::string &rule) {
    std::filesystem::create_directories(logs);
    writeFile(logs + "/fake_rule.txt", rule);
    const std::string client = path("client.sh");
    writeFile(client, "#!/bin/sh\ncd " + logs + " && exec " + kFakeClient + " \"$@\"\n");
    std::filesystem::permissions(client, std::filesystem::perms::owner_all);
    return client;
}

std::size_t CampaignTest::unitRequests(const std::string &at, int unit, int mPerUnit) {
    auto pairs = requested(at);
    return std::count_if(pairs.begin(), pairs.end(),
                         [&](auto &r) { return std::atoi(r.c_str() + 3) / mPerUnit == unit; });
}
