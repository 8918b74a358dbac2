// Run records and probes: logfile.txt, best.txt, stop.txt, free memory (see records.h).
#include "records.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

void logAppend(const char *text) {
    FILE *log = std::fopen(LOG_FILE_NAME, "a");
    if (log == nullptr) {
        std::puts("Error opening logfile");
        return;
    }
    std::fputs(text, log);
    if (!endsWithNewLine(text)) std::fputc('\n', log);
    std::fclose(log);
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
    FILE *best = std::fopen(BEST_FILE_NAME, "a");
    if (best == nullptr) {
        std::puts("Error opening best file");
        return;
    }
    if (endsWithNewLine(m)) rmNewline(m);
    if (endsWithNewLine(v))
        std::fprintf(best, "M = %s, V = %s", m, v);
    else
        std::fprintf(best, "M = %s, V = %s\n", m, v);
    std::fclose(best);
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
