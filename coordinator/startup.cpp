// The coordinator's start-up and resume (see startup.h).
#include "startup.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "catalogue.h"
#include "records.h"
#include "shutdown.h"
#include "state.h"
#include "streams.h"

namespace {

// The next field of a comma-separated text from `pos` on, as strtok with "," finds it (runs of
// commas are one separator); null when there is none. The field is not terminated: a reader
// of numbers stops at its closing comma anyway. `pos` moves behind the field.
const char *nextField(const char *text, int &pos) {
    while (text[pos] == ',') pos++;
    if (text[pos] == '\0') return nullptr;
    const char *field = text + pos;
    while (text[pos] != ',' && text[pos] != '\0') pos++;
    return field;
}

// A field read as atoi reads it; numbers beyond the int range read as INT_MAX / INT_MIN.
int readInt(const char *field) {
    long value = std::strtol(field, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

long readLong(const char *field) { return std::strtol(field, nullptr, 10); }

// A file number that names a catalogue file. Negative numbers are refused too: a stream
// positioned there would index outside the catalogue.
bool isFileNum(int fileNum) { return fileNum >= 0 && fileNum < numFiles; }

// Drops `count` formulas of a stream; 0 when it ran out first.
int skipFormulas(char *(*next)(int), int count) {
    for (int i = 0; i < count; i++) {
        pollInterrupt();
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
    // file number also fails when that number does not name a catalogue file.
    static const char *const failures[6] = {
        "could not parse startFileNumM",
        "could not parse startFormulaNumM, or startFileNumM > numFiles",
        "could not parse startFileNumV",
        "could not parse startFileNumV, or startFileNumV > numFiles",
        "could not parse total formulas processed",
        "could not parse total number passed",
    };
    long values[6];
    int pos = 0;
    for (int i = 0; i < 6; i++) {
        const char *field = nextField(arg, pos);
        const bool badFileNum = (i == 1 || i == 3) && !isFileNum(static_cast<int>(values[i - 1]));
        if (field == nullptr || badFileNum) {
            std::printf("\n*********\n%s\n", failures[i]);
            return 0;
        }
        values[i] = i < 4 ? readInt(field) : readLong(field);
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
    if (!skipFormulas(getNextFormulaM, startFormulaNumM)) {
        std::printf("\n*********\nrequested startFormulaNumM, %d, returned NULL\n",
                    startFormulaNumM);
        return 0;
    }
    if (!skipFormulas(getNextFormulaV, startFormulaNumV)) {
        std::printf("\n*********\nrequested startFormulaNumV, %d, returned NULL\n",
                    startFormulaNumV);
        return 0;
    }
    return 1;
}

void startUp(int argc, char **argv) {
    const time_t startTime = std::time(nullptr);
    if (std::signal(SIGINT, sigint_handler) == SIG_ERR) std::perror("signal(SIGINT)");
    std::signal(SIGHUP, sigint_handler);
    std::signal(SIGTERM, sigint_handler);
    // Output to a closed pipe (a pager or tee that ended) must not end the run without the
    // shutdown: the write fails quietly instead.
    std::signal(SIGPIPE, SIG_IGN);
    std::printf("quarnMain with %d background processes. Press Ctrl+C to exit.\n", MB_NUM_CLIENTS);

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

    if (argc == 2 && !resumeFrom(argv[1])) {
        printUsage();
        std::fflush(stdout);
        std::exit(0);
    }

    std::snprintf(line, sizeof line,
                  "startFileNumM = %d, startFormulaNumM = %d, startFileNumV = %d, "
                  "startFormulaNumV = %d\n",
                  startFileNumM, startFormulaNumM, startFileNumV, startFormulaNumV);
    logAppend(line);
    std::fputs(line, stdout);
    std::fflush(stdout);
}
