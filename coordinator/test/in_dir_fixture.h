// A test run inside its own temporary directory (chdir there, back afterwards), with the
// formula streams rewound (files closed), the catalogue emptied and no interrupt pending on
// both sides.
#pragma once

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "run_util.h"
#include "streams.h"

class InDirTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        ASSERT_NE(getcwd(oldCwd, sizeof oldCwd), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        clearState();
    }
    void TearDown() override {
        clearState();
        ASSERT_EQ(chdir(oldCwd), 0);
        TempDirTest::TearDown();
    }
    static void clearState() {
        resetStream(streamM);
        resetStream(streamV);
        numFiles = 0;
        sigintReceived = 0;
    }
    // Writes the files (name, content) and makes them the catalogue, in this order.
    static void setCatalogue(const std::vector<std::pair<std::string, std::string>> &files) {
        numFiles = 0;
        for (const auto &[name, content] : files) {
            writeFile(name, content);
            std::snprintf(filenames[numFiles++], FILENAME_SIZE, "%s", name.c_str());
        }
    }
    char oldCwd[PATH_MAX] = {};
};
