// Run records and probes: logfile.txt, best.txt, stop.txt, free memory (see records.h).
#include "records.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// Opens a record file for appending, creating it. The open does not wait for a reader when
// the name is a FIFO; it fails instead. Null (after printing `failure`) when it cannot be opened.
FILE *openRecord(const char *name, const char *failure) {
    int fd = open(name, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    FILE *file = fd < 0 ? nullptr : fdopen(fd, "a");
    if (file == nullptr) {
        if (fd >= 0) close(fd);
        std::puts(failure);
    }
    return file;
}

// Closes a record file; a record that did not reach the file is reported.
void closeRecord(FILE *file, const char *name) {
    if (std::ferror(file) | std::fclose(file)) std::printf("Error writing %s\n", name);
}

}  // namespace

void logAppend(const char *text) {
    FILE *log = openRecord(LOG_FILE_NAME, "Error opening logfile");
    if (log == nullptr) return;
    std::fputs(text, log);
    if (!endsWithNewLine(text)) std::fputc('\n', log);
    closeRecord(log, LOG_FILE_NAME);
}

int endsWithNewLine(const char *text) {
    if (text == nullptr || text[0] == '\0') return 0;
    return text[std::strlen(text) - 1] == '\n' ? 1 : 0;
}

int isStop() { return access(STOP_FILE_NAME, F_OK) == 0 ? 1 : 0; }

void rmNewline(char *text) {
    for (char *p = std::strchr(text, '\n'); p != nullptr; p = std::strchr(p + 1, '\n')) *p = ' ';
}

void appendBest(char *m, const char *v) {
    FILE *best = openRecord(BEST_FILE_NAME, "Error opening best file");
    if (best == nullptr) return;
    if (endsWithNewLine(m)) rmNewline(m);
    if (endsWithNewLine(v))
        std::fprintf(best, "M = %s, V = %s", m, v);
    else
        std::fprintf(best, "M = %s, V = %s\n", m, v);
    closeRecord(best, BEST_FILE_NAME);
}

void appendUnevaluated(const char *m, const char *v) {
    FILE *file = openRecord(UNEVALUATED_FILE_NAME, "Error opening unevaluated file");
    if (file == nullptr) return;
    std::fprintf(file, "M = %s, V = %s\n", m, v);
    closeRecord(file, UNEVALUATED_FILE_NAME);
}

long memLeftFrom(const char *path) {
    FILE *info = std::fopen(path, "r");
    if (info == nullptr) {
        char what[MEMINFO_LINE_SIZE];
        std::snprintf(what, sizeof what, "Failed to open %s", path);
        std::perror(what);
        return 0;
    }
    char line[MEMINFO_LINE_SIZE];
    long freeKb = 0;
    while (std::fgets(line, sizeof line, info) != nullptr) {
        long value;
        if (std::sscanf(line, "MemFree: %ld", &value) == 1) {
            freeKb = value;
            break;
        }
    }
    std::fclose(info);
    return freeKb;
}

long memLeft() { return memLeftFrom(MEMINFO_PATH); }

void formatLocalTime(char (&out)[STAMP_SIZE], time_t when) {
    out[0] = '\0';
    struct tm local;
    if (localtime_r(&when, &local) == nullptr) return;
    std::snprintf(out, STAMP_SIZE, "y%04dm%02dd%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}
