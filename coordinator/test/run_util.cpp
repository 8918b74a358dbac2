// Test helpers for the coordinator's in-process tests (see run_util.h).
#include "coordinator/test/run_util.h"

#include <filesystem>

#include "coordinator/streams.h"

void InDirTest::SetUp() {
    TempDirTest::SetUp();
    oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    clearState();
}

void InDirTest::TearDown() {
    clearState();
    std::filesystem::current_path(oldCwd);
    TempDirTest::TearDown();
}

void InDirTest::clearState() {
    resetStream(streamM);
    resetStream(streamV);
    numFiles = 0;
    sigintReceived = 0;
}

void InDirTest::setCatalogue(const std::vector<std::pair<std::string, std::string>> &files) {
    numFiles = 0;
    for (const auto &[name, content] : files) {
        writeFile(name, content);
        std::snprintf(filenames[numFiles++], FILENAME_SIZE, "%s", name.c_str());
    }
}
