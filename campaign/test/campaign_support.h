// Support of the campaign's process tests: whole searches in an IPC namespace of their own
// (test/whole_search.h) with the first range of keys (1000-1049) held by the test program, so that
// QUARN_KEY_BASE=auto takes 1050 and up, and the pairs the stand-in clients were asked for.
#pragma once

#include <string>
#include <vector>

#include "test/whole_search.h"

const std::string kCampaign = QUARN_BIN_DIR "/quarnCampaign";

class CampaignTest : public FarmTest {
  protected:
    static void SetUpTestSuite();
    // A client for quarnCampaign --client: the stand-in, logging its requests in `logs` and
    // following the rule there.
    std::string wrapperClient(const std::string &logs, const std::string &rule);
    // Of the pairs requested in `at`, those whose M is one of unit `unit`'s, when units have
    // mPerUnit M formulas.
    static std::size_t unitRequests(const std::string &at, int unit, int mPerUnit);
};
