// Whole searches in tests: the real quarnMain with the stand-in client of
// coordinator/test/fake_client.cpp, which logs every request it takes as "<letter> <M> <V>" to
// requests_<key>.log in its working directory. A FarmTest program moves into an IPC namespace
// of its own (this needs root): its mailbox keys, segments and key locks are its own and go with
// it, so whole-search tests run side by side on the default keys without touching the machine's.
#pragma once

#include "test/support.h"

const std::string kQuarnMain = QUARN_BIN_DIR "/quarnMain";
const std::string kFakeClient = QUARN_TEST_BIN_DIR "/fake_client";

class FarmTest : public TempDirTest {
  protected:
    static void SetUpTestSuite();
    // Fails the test when a process still works in its directory (a client left behind would
    // poll for ever) or a segment is left, and ends those processes and removes the segments.
    void TearDown() override;
    // The ids of the shared-memory segments in the test's IPC namespace.
    static std::vector<int> segmentsLeft();
    // Processes whose working directory is `at` or lies below it.
    static std::vector<pid_t> processesIn(const std::string &at);
    // Formula files formulas_001.txt, ... in `at` with sizes[i] formulas each: f0, f1, ...
    // numbered on across the files, laid out as the generator writes them.
    static void writeCatalogue(const std::string &at, const std::vector<int> &sizes);
    // The stand-in client as quarnClient in `at`, serving by `rule` (its fake_rule.txt).
    static void placeClient(const std::string &at, const std::string &rule);
    // Pairs "<letter> <M> <V>" the stand-ins logged in `at`, seed requests left out, sorted.
    static std::vector<std::string> requested(const std::string &at);
    // Every pair of f0 .. f(n-1) as a search from zero sends it (the 501st 't'), sorted.
    static std::vector<std::string> allPairs(int n);
};
