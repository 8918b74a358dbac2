// The main of every test program: runs the GoogleTest tests and makes a premature end of the
// process a failure. Code under test that calls exit() in the middle of a test (the generator
// ends on a failed insertion, say) would otherwise end the test program with status 0, and
// CTest would count the unfinished test as passed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

namespace {

pid_t testProcess;   // the process that runs the tests (not a death test's child)
bool testsFinished;  // set once RUN_ALL_TESTS has returned

void failUnfinishedRun() {
    if (testsFinished || getpid() != testProcess) return;
    std::fflush(stdout);
    std::fputs("\nFAILED: the test process exited before its tests finished\n", stderr);
    _exit(1);
}

}  // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    // A death test's child may end the process as it likes: its parent checks how it ended.
    if (GTEST_FLAG_GET(internal_run_death_test).empty()) {
        testProcess = getpid();
        std::atexit(failUnfinishedRun);
    }
    int status = RUN_ALL_TESTS();
    testsFinished = true;
    return status;
}
