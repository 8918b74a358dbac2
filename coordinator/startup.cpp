// The coordinator's start-up and resume (see startup.h).
#include "coordinator/startup.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "coordinator/catalogue.h"
#include "coordinator/runlog.h"
#include "coordinator/settings.h"
#include "coordinator/state.h"
#include "coordinator/streams.h"

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

void announceRun() {
    std::printf("quarnMain with %d background processes. Press Ctrl+C to exit.\n", MB_NUM_CLIENTS);
    if (std::getenv(KEY_BASE_VAR) != nullptr)
        std::printf("mailbox keys %d to %d\n", keyBase, keyBase + MB_NUM_CLIENTS - 1);
}

void listCatalogue() {
    buildCatalogue(".");
    std::printf("Found %d files:\n", numFiles);
    for (int i = 0; i < numFiles; i++) std::puts(filenames[i]);
    std::puts("");
}

RunEnd positionStreams(int argc, char **argv) {
    resetStream(streamM);
    resetStream(streamV);
    startFileNumM = startFormulaNumM = startFileNumV = startFormulaNumV = 0;
    totalFormulas = 0;
    numPassed = 0;
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
    writePositionedLine();
    return END_NONE;
}

RunEnd startUp(int argc, char **argv) {
    const time_t startTime = std::time(nullptr);
    announceRun();
    listCatalogue();
    writeStartLine(startTime);
    return positionStreams(argc, argv);
}
