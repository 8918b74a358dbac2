// Test helpers for the coordinator's in-process tests: a test that works inside its own
// temporary directory with the coordinator's process-wide state cleared.
#pragma once

#include "test/support.h"

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
