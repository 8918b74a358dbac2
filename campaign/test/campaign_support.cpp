// Support of the campaign's process tests (see campaign_support.h).
#include "campaign/test/campaign_support.h"

#include <algorithm>
#include <filesystem>

#include "common/mailbox.h"
#include "coordinator/keylock.h"

void CampaignTest::SetUpTestSuite() {
    FarmTest::SetUpTestSuite();
    ASSERT_LE(0, lockKeyRange(MB_KEY_BASE));  // held until the test program ends
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
