// The coordinator's start-up and resume (see startup.h).
#include "startup.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "catalogue.h"
#include "records.h"
#include "runlog.h"
#include "shutdown.h"
#include "state.h"
#include "streams.h"

namespace {

// A file number that names a catalogue file. Negative numbers are refused too: a stream
// positioned there would index outside the catalogue.
bool isFileNum(long fileNum) { return fileNum >= 0 && fileNum < numFiles; }

bool isTotal(long total) { return total >= 0 && total <= MAX_RESUME_TOTAL; }

// Drops `count` formulas of a stream: 1 when done, 0 when it ran out first, -1 on a signal.
int skipFormulas(char *(*next)(int), int count) {
    for (int i = 0; i < count; i++) {
        if (sigintReceived) return -1;
        if (next(STREAM_NEXT) == nullptr) return 0;
    }
    return 1;
}

}  // namespace

void printUsage() {
    std::puts("");
    std::puts("---------------------------------------------------");
    std::puts("if no args, both M and V will start at file = 0, formula = 0");
    std::puts("if arg is present, example:");
    std::puts(" ./quarnOneD_01 3,4,5,6,7,8");
    std::puts(" M will start at file 3, formula 4 and V will start at file 5, formula 6");
    std::puts("The total formulas processed will start at 7, numPassed will start at 8");
}

int resumeFrom(const char *arg) {
    std::printf("received: %s\n", arg);
    // The six fields in order, each with its message when it is missing. The field after a
    // file number also fails when that number does not name a catalogue file, and a total
    // fails when it cannot grow.
    static const char *const failures[6] = {
        "could not parse startFileNumM",
        "could not parse startFormulaNumM, or startFileNumM > numFiles",
        "could not parse startFileNumV",
        "could not parse startFileNumV, or startFileNumV > numFiles",
        "could not parse total formulas processed",
        "could not parse total number passed",
    };
    long values[6];
    const int found = readResumeFields(arg, values);
    for (int i = 0; i < 6; i++) {
        const bool badFileNum = (i == 1 || i == 3) && !isFileNum(values[i - 1]);
        if (i >= found || badFileNum || (i >= 4 && !isTotal(values[i]))) {
            std::printf("\n*********\n%s\n", failures[i]);
            return 0;
        }
    }
    startFileNumM = static_cast<int>(values[0]);
    startFormulaNumM = static_cast<int>(values[1]);
    startFileNumV = static_cast<int>(values[2]);
    startFormulaNumV = static_cast<int>(values[3]);
    totalFormulas = values[4];
    numPassed = values[5];

    std::printf(
        "startFileNumM = %d, startFormulaNumM = %d, startFileNumV = %d, "
        "startFormulaNumV = %d, totalFormulas = %ld, numPassed = %ld\n",
        startFileNumM, startFormulaNumM, startFileNumV, startFormulaNumV, totalFormulas, numPassed);

    getNextFormulaM(STREAM_REWIND);
    getNextFormulaV(STREAM_REWIND);
    presFileNumM = startFileNumM;
    presFileNumV = startFileNumV;
    int skipped = skipFormulas(getNextFormulaM, startFormulaNumM);
    if (skipped == 0) {
        std::printf("\n*********\nrequested startFormulaNumM, %d, returned NULL\n",
                    startFormulaNumM);
        return 0;
    }
    if (skipped > 0) skipped = skipFormulas(getNextFormulaV, startFormulaNumV);
    if (skipped == 0) {
        std::printf("\n*********\nrequested startFormulaNumV, %d, returned NULL\n",
                    startFormulaNumV);
        return 0;
    }
    return skipped;
}

RunEnd startUp(int argc, char **argv) {
    const time_t startTime = std::time(nullptr);
    if (std::signal(SIGINT, sigint_handler) == SIG_ERR) std::perror("signal(SIGINT)");
    std::signal(SIGHUP, sigint_handler);
    std::signal(SIGTERM, sigint_handler);
    // Output to a closed pipe (a pager or tee that ended) must not end the run without the
    // shutdown: the write fails quietly instead.
    std::signal(SIGPIPE, SIG_IGN);
    std::printf("quarnMain with %d background processes. Press Ctrl+C to exit.\n", MB_NUM_CLIENTS);
    if (std::getenv("QUARN_KEY_BASE") != nullptr)
        std::printf("mailbox keys %d to %d\n", keyBase, keyBase + MB_NUM_CLIENTS - 1);

    resetStream(streamM);
    resetStream(streamV);
    startFileNumM = startFormulaNumM = startFileNumV = startFormulaNumV = 0;

    numFiles = getFileNames();
    sortFileNames(filenames, numFiles);
    std::printf("Found %d files:\n", numFiles);
    for (int i = 0; i < numFiles; i++) std::puts(filenames[i]);
    std::puts("");

    presFileNumM = presFileNumV = 0;
    presFormulaNumM = presFormulaNumV = 0;
    totalFormulas = 0;
    numPassed = 0;

    char stamp[STAMP_SIZE];
    formatLocalTime(stamp, startTime);
    char line[LOG_LINE_SIZE];
    std::snprintf(line, sizeof line, "Started new run: %s\n", stamp);
    logAppend(line);

    const int resumed = argc == 2 ? resumeFrom(argv[1]) : 1;
    if (resumed == 0) {
        printUsage();
        std::fflush(stdout);
        return END_BAD_RESUME;
    }
    // Until the first pair is sent, a continuation starts where this run started.
    nextPair = {};
    nextPair.place = {startFileNumM, startFormulaNumM < INT_MAX ? startFormulaNumM + 1 : INT_MAX,
                      startFileNumV, startFormulaNumV < INT_MAX ? startFormulaNumV + 1 : INT_MAX,
                      totalFormulas};
    if (resumed < 0) return END_SIGNAL;
    if (argc == 2) writeReceivedLine(argv[1]);

    std::snprintf(line, sizeof line,
                  "startFileNumM = %d, startFormulaNumM = %d, startFileNumV = %d, "
                  "startFormulaNumV = %d\n",
                  startFileNumM, startFormulaNumM, startFileNumV, startFormulaNumV);
    logAppend(line);
    std::fputs(line, stdout);
    std::fflush(stdout);
    return END_NONE;
}
