// The free-memory threshold from QUARN_MIN_FREE_KB: what is accepted, and what ends the
// coordinator before it starts.
#include <gtest/gtest.h>

#include "run_util.h"
#include "settings.h"

namespace {

TEST(Settings, FreeKbIsANonNegativeWholeNumber) {
    struct Case { const char *text; int ok; long kb; } cases[] = {
        {"0", 1, 0}, {"1000000", 1, 1000000}, {"32000000", 1, 32000000},
        {"", 0, 0}, {"-1", 0, 0}, {"+5", 0, 0}, {" 5", 0, 0}, {"5 ", 0, 0}, {"5kB", 0, 0},
        {"1e6", 0, 0}, {"abc", 0, 0}, {"99999999999999999999999", 0, 0},
    };
    for (const auto &c : cases) {
        long kb = -7;
        EXPECT_EQ(c.ok, parseFreeKb(c.text, &kb)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.kb, kb) << c.text;
        }
    }
}

class SettingsProcessTest : public TempDirTest {};

TEST_F(SettingsProcessTest, ABadThresholdIsRefusedBeforeAnythingStarts) {
    RunResult r = runProgram(dir, {QUARN_BIN_DIR "/quarnMain"}, {"QUARN_MIN_FREE_KB=lots"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("quarnMain: QUARN_MIN_FREE_KB must be a non-negative whole number of kB, not \"lots\"\n", r.err);
    EXPECT_EQ("", readFile(path("logfile.txt")));
}

}  // namespace
