// The run log's own lines and their reading back (see runlog.h).
#include "runlog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "records.h"

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

// The facts of one run, as its lines arrive.
struct RunFacts {
    int positioned;
    long start[6];
    long progress[6];
    int hasProgress;
    char endReason[32];
    time_t startedAt;
    time_t endedAt;
};

void readProgress(const char *line, RunFacts &run) {
    const char *place = nullptr;
    for (const char *p = std::strstr(line, PROGRESS_PLACE); p; p = std::strstr(p + 1, PROGRESS_PLACE))
        place = p;
    int fileM, formulaM, fileV, formulaV;
    long total, passed;
    if (place == nullptr ||
        std::sscanf(place, ", fileM = %d, formulaM = %d, fileNumV = %d, formulaNumV = %d, "
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
    std::snprintf(run.endReason, sizeof run.endReason, "%s", reason ? reason + 2 : "?");
    run.endReason[std::strcspn(run.endReason, "\n")] = '\0';
}

void summarize(const RunFacts &run, int runs, RunLogSummary *out) {
    out->runs = runs;
    out->ended = run.endReason[0] != '\0';
    out->finished = std::strcmp(run.endReason, endReasonText(END_ALL_DONE)) == 0 ||
                    std::strcmp(run.endReason, endReasonText(END_M_COUNT)) == 0;
    std::memcpy(out->endReason, run.endReason, sizeof out->endReason);
    std::memcpy(out->resume, run.hasProgress ? run.progress : run.start, sizeof out->resume);
    out->fromProgress = run.hasProgress;
    out->startedAt = run.startedAt;
    out->endedAt = run.endedAt;
    out->startTotal = run.start[4];
}

}  // namespace

const char *endReasonText(RunEnd end) {
    switch (end) {
        case END_ALL_DONE: return "all done";
        case END_M_COUNT: return "M count done";
        case END_STOP_FILE: return "stop file";
        case END_LOW_MEMORY: return "low memory";
        case END_SIGNAL:
            return sigintReceived == SIGTERM ? "SIGTERM" : sigintReceived == SIGHUP ? "SIGHUP" : "SIGINT";
        case END_FARM_FAILED: return "farm not built";
        case END_NO_CLIENTS: return "no clients left";
        case END_UNREADABLE: return "formula file unreadable";
        case END_RECORD_FAILED: return "record not written";
        default: return "?";
    }
}

void writeProgressLine(const char *m, const char *v, const PairPlace &place) {
    std::snprintf(lineBuf, sizeof lineBuf,
                  "log. M = %s, V = %s, fileM = %d, formulaM = %d, fileNumV = %d, "
                  "formulaNumV = %d, total = %ld, numPassed = %ld\n",
                  m, v, place.fileM, place.formulaM, place.fileV, place.formulaV, place.seq,
                  numPassed);
    logAppend(lineBuf);
    std::fputs(lineBuf, stdout);
    std::fflush(stdout);
}

void writeEndLine(RunEnd end) {
    char stamp[STAMP_SIZE];
    formatLocalTime(stamp, std::time(nullptr));
    std::snprintf(lineBuf, sizeof lineBuf, "Run ended: %s, %s\n", stamp, endReasonText(end));
    logAppend(lineBuf);
    std::fputs(lineBuf, stdout);
    std::fflush(stdout);
}

void writeReceivedLine(const char *arg) {
    std::snprintf(lineBuf, sizeof lineBuf, "received: %s\n", arg);
    logAppend(lineBuf);
}

int readResumeFields(const char *arg, long values[6]) {
    int pos = 0;
    for (int i = 0; i < 6; i++) {
        while (arg[pos] == ',') pos++;
        if (arg[pos] == '\0') return i;
        long value = std::strtol(arg + pos, nullptr, 10);
        if (i < 4) value = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
        values[i] = value;
        while (arg[pos] != ',' && arg[pos] != '\0') pos++;
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
