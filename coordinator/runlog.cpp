// The run log's own lines and their reading back (see runlog.h).
#include "coordinator/runlog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "coordinator/fields.h"
#include "coordinator/records.h"

namespace {

constexpr char PROGRESS_PREFIX[] = "log. M = ";
constexpr char PROGRESS_PLACE[] = ", fileM = ";  // cannot occur in a formula: it holds a blank
constexpr char START_PREFIX[] = "Started new run: ";
constexpr char RECEIVED_PREFIX[] = "received: ";
constexpr char POSITIONED_PREFIX[] = "startFileNumM = ";
constexpr char END_PREFIX[] = "Run ended: ";
constexpr std::size_t READ_SIZE = 4096;  // longer log lines are none of the lines read here

char lineBuf[LOG_LINE_SIZE];  // the lines written are built here

template <std::size_t N>
bool startsWith(const char *line, const char (&prefix)[N]) {
    return std::strncmp(line, prefix, N - 1) == 0;
}

// A local time "y2026m12d07 10:11:12" at `text`; -1 when it does not read as one.
time_t readStamp(const char *text) {
    struct tm t = {};
    if (std::sscanf(text, "y%dm%dd%d %d:%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour,
                    &t.tm_min, &t.tm_sec) != 6)
        return -1;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    t.tm_isdst = -1;
    return mktime(&t);
}

// The reasons of the "Run ended" line, each with its end; a signal has one text per signal.
struct EndName {
    RunEnd end;
    int signal;  // for END_SIGNAL: the signal the text names
    const char *text;
};
const EndName END_NAMES[] = {
    {END_ALL_DONE, 0, "all done"},
    {END_M_COUNT, 0, "M count done"},
    {END_STOP_FILE, 0, "stop file"},
    {END_LOW_MEMORY, 0, "low memory"},
    {END_SIGNAL, SIGINT, "SIGINT"},
    {END_SIGNAL, SIGTERM, "SIGTERM"},
    {END_SIGNAL, SIGHUP, "SIGHUP"},
    {END_FARM_FAILED, 0, "farm not built"},
    {END_NO_CLIENTS, 0, "no clients left"},
    {END_UNREADABLE, 0, "formula file unreadable"},
    {END_RECORD_FAILED, 0, "record not written"},
};

// The facts of one run, as its lines arrive.
struct RunFacts {
    int positioned;
    long start[6];
    long progress[6];
    int hasProgress;
    RunEnd end;
    char endText[END_TEXT_SIZE];
    time_t startedAt;
    time_t endedAt;
};

// Appends the line built in lineBuf to the log and, with `shown`, prints it too.
void writeLine(int shown) {
    logAppend(lineBuf);
    if (!shown) return;
    std::fputs(lineBuf, stdout);
    std::fflush(stdout);
}

void readProgress(const char *line, RunFacts &run) {
    const char *place = nullptr;
    for (const char *p = std::strstr(line, PROGRESS_PLACE); p;
         p = std::strstr(p + 1, PROGRESS_PLACE))
        place = p;
    int fileM, formulaM, fileV, formulaV;
    long total, passed;
    if (place == nullptr ||
        std::sscanf(place,
                    ", fileM = %d, formulaM = %d, fileNumV = %d, formulaNumV = %d, "
                    "total = %ld, numPassed = %ld",
                    &fileM, &formulaM, &fileV, &formulaV, &total, &passed) != 6)
        return;
    const long values[6] = {fileM, formulaM - 1L, fileV, formulaV - 1L, total, passed};
    std::memcpy(run.progress, values, sizeof values);
    run.hasProgress = 1;
}

void readEnd(const char *line, RunFacts &run) {
    const char *stamp = line + sizeof END_PREFIX - 1;
    run.endedAt = readStamp(stamp);
    const char *reason = std::strstr(stamp, ", ");
    std::snprintf(run.endText, sizeof run.endText, "%s", reason ? reason + 2 : "?");
    run.endText[std::strcspn(run.endText, "\n")] = '\0';
    run.end = END_UNKNOWN;
    for (const EndName &name : END_NAMES)
        if (std::strcmp(run.endText, name.text) == 0) run.end = name.end;
}

void summarize(const RunFacts &run, int runs, RunLogSummary *out) {
    out->runs = runs;
    out->end = run.end;
    out->finished = run.end == END_ALL_DONE || run.end == END_M_COUNT;
    std::memcpy(out->endText, run.endText, sizeof out->endText);
    std::memcpy(out->resume, run.hasProgress ? run.progress : run.start, sizeof out->resume);
    out->fromProgress = run.hasProgress;
    out->startedAt = run.startedAt;
    out->endedAt = run.endedAt;
    out->startTotal = run.start[4];
}

}  // namespace

const char *endReasonText(RunEnd end) {
    for (const EndName &name : END_NAMES)
        if (name.end == end && (end != END_SIGNAL || name.signal == sigintReceived ||
                                (name.signal == SIGINT && sigintReceived == 0)))
            return name.text;
    return "?";
}

int isFaultEnd(RunEnd end) {
    return end == END_FARM_FAILED || end == END_NO_CLIENTS || end == END_UNREADABLE ||
           end == END_RECORD_FAILED;
}

void formatLocalTime(char (&out)[STAMP_SIZE], time_t when) {
    out[0] = '\0';
    struct tm local;
    if (localtime_r(&when, &local) == nullptr) return;
    std::snprintf(out, STAMP_SIZE, "y%04dm%02dd%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

void writeStartLine(time_t start) {
    char stamp[STAMP_SIZE];
    formatLocalTime(stamp, start);
    std::snprintf(lineBuf, sizeof lineBuf, "%s%s\n", START_PREFIX, stamp);
    writeLine(0);
}

void writeReceivedLine(const char *arg) {
    std::snprintf(lineBuf, sizeof lineBuf, "%s%s\n", RECEIVED_PREFIX, arg);
    writeLine(0);
}

void writePositionedLine() {
    std::snprintf(lineBuf, sizeof lineBuf,
                  "%s%d, startFormulaNumM = %d, startFileNumV = %d, startFormulaNumV = %d\n",
                  POSITIONED_PREFIX, startFileNumM, startFormulaNumM, startFileNumV,
                  startFormulaNumV);
    writeLine(1);
}

void writeProgressLine(const char *m, const char *v, const PairPlace &place) {
    std::snprintf(lineBuf, sizeof lineBuf,
                  "%s%s, V = %s, fileM = %d, formulaM = %d, fileNumV = %d, formulaNumV = %d, "
                  "total = %ld, numPassed = %ld\n",
                  PROGRESS_PREFIX, m, v, place.fileM, place.formulaM, place.fileV, place.formulaV,
                  place.seq, numPassed);
    writeLine(1);
}

void writeMemoryLine() {
    char stamp[STAMP_SIZE];
    formatLocalTime(stamp, std::time(nullptr));
    std::snprintf(lineBuf, sizeof lineBuf, "**** Memory too low: %s Exiting ****\n", stamp);
    writeLine(1);
}

void writeFaultLine(const char *format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(lineBuf, sizeof lineBuf, format, args);
    va_end(args);
    logAppend(lineBuf);
    std::printf("\r%s", lineBuf);
    std::fflush(stdout);
}

void writeEndLine(RunEnd end) {
    char stamp[STAMP_SIZE];
    formatLocalTime(stamp, std::time(nullptr));
    std::snprintf(lineBuf, sizeof lineBuf, "%s%s, %s\n", END_PREFIX, stamp, endReasonText(end));
    writeLine(1);
}

int readResumeFields(const char *arg, long values[6]) {
    const char *p = arg;
    for (int i = 0; i < 6; i++) {
        p = skipCommas(p);
        if (*p == '\0') return i;
        long value = std::strtol(p, nullptr, 10);
        if (i < 4) value = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
        values[i] = value;
        p = fieldEnd(p);
    }
    return 6;
}

int readRunLog(const char *path, RunLogSummary *out) {
    // Only a regular file, opened without waiting: a FIFO under the log's name blocks no reader.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0) return errno == ENOENT ? 0 : -1;
    FILE *log = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? fdopen(fd, "r") : nullptr;
    if (log == nullptr) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    RunFacts last = {}, run = {};
    int runs = 0;
    char line[READ_SIZE];
    bool atLineStart = true;
    while (std::fgets(line, sizeof line, log) != nullptr) {
        bool lineStart = atLineStart;
        atLineStart = std::strchr(line, '\n') != nullptr;
        // The rest of a line too long to be one of ours, or a last line without its line end:
        // a line being written, or one whose writing failed, says nothing yet.
        if (!lineStart || !atLineStart) continue;
        if (startsWith(line, START_PREFIX)) {
            if (run.positioned) last = run, ++runs;
            run = {};
            run.startedAt = readStamp(line + sizeof START_PREFIX - 1);
            run.endedAt = -1;
        } else if (startsWith(line, RECEIVED_PREFIX)) {
            line[std::strcspn(line, "\n")] = '\0';
            readResumeFields(line + sizeof RECEIVED_PREFIX - 1, run.start);
        } else if (startsWith(line, POSITIONED_PREFIX)) {
            run.positioned = 1;
        } else if (startsWith(line, PROGRESS_PREFIX) && run.positioned) {
            readProgress(line, run);
        } else if (startsWith(line, END_PREFIX) && run.positioned) {
            readEnd(line, run);
        }
    }
    std::fclose(log);
    if (run.positioned) last = run, ++runs;
    if (runs == 0) return 0;
    summarize(last, runs, out);
    return 1;
}
