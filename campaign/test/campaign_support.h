// Support of the campaign's process tests: a private IPC namespace for the whole test program
// (keys, segments and key locks of its own, gone with it), the catalogues and stand-in clients
// the tests search, and the pairs the stand-ins were asked for.
#pragma once

#include <string>
#include <vector>

#include "support.h"

const std::string kCampaign = QUARN_BIN_DIR "/quarnCampaign";
const std::string kQuarnMain = QUARN_BIN_DIR "/quarnMain";
const std::string kFakeClient = QUARN_TEST_BIN_DIR "/fake_client";

// A test in a temporary directory whose program runs in an IPC namespace of its own, with the
// first range of keys (1000-1049) held, so that QUARN_KEY_BASE=auto takes 1050 and up. No
// process may be left working in the directory at the end.
class CampaignTest : public TempDirTest {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void TearDown() override;
    // Formula files of n formulas "f<i>" each, numbered on from f0, 7 to a line.
    void writeCatalogue(const std::string &at, const std::vector<int> &sizes);
    // A client for quarnCampaign --client: the stand-in, logging its requests in `logs` and
    // following the rule there.
    std::string wrapperClient(const std::string &logs, const std::string &rule);
    // Pairs "<letter> <M> <V>" the stand-ins logged in `at`, seed requests left out, sorted.
    static std::vector<std::string> requested(const std::string &at);
    // Of those, the pairs whose M is one of unit `unit`'s, when units have mPerUnit M formulas.
    static std::size_t unitRequests(const std::string &at, int unit, int mPerUnit);
    // Every pair of formulas f0..f(n-1), M in the outer loop, the 501st marked 't', sorted.
    static std::vector<std::string> allPairs(int n);
};
