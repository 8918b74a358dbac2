// Run records and probes: logfile.txt, best.txt, stop.txt, free memory (see records.h).
#include "coordinator/records.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/pair_line.h"
#include "coordinator/constants.h"

namespace {

constexpr std::size_t TAIL_CHUNK = 512;  // bytes read at a time when looking for a torn tail

// Cuts a tail without its line end off the regular file open for writing as fd (size bytes):
// what is left of a record whose append failed and could not be taken back. The file is read
// through a second descriptor of the same open file. Returns the new size, or -1.
off_t cutTornTail(int fd, off_t size) {
    char self[TAIL_CHUNK];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    const int in = open(self, O_RDONLY | O_CLOEXEC);
    if (in < 0) return -1;
    char chunk[TAIL_CHUNK];
    off_t end = size, kept = 0;
    while (end > 0) {
        const off_t from = end > static_cast<off_t>(sizeof chunk) ? end - sizeof chunk : 0;
        const ssize_t n = pread(in, chunk, static_cast<std::size_t>(end - from), from);
        if (n != end - from) {
            kept = -1;
            break;
        }
        while (end > from && chunk[end - from - 1] != '\n') --end;
        if (end > from) {
            kept = end;
            break;
        }
    }
    close(in);
    return kept == size || (kept >= 0 && ftruncate(fd, kept) == 0) ? kept : -1;
}

// Appends `text` (len bytes, one or more whole lines) to the record file `name`, creating it.
// The open does not wait for a reader when the name is a FIFO; it fails instead. The text goes
// out in one write; when it does not reach a regular file whole (a full disk), the part that did
// is cut off again, so the file never ends inside a record. Returns 1; 0 after printing
// `openFailure`, or "Error writing <name>".
int appendRecord(const char *name, const char *text, std::size_t len, const char *openFailure) {
    int fd = open(name, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::puts(openFailure);
        return 0;
    }
    struct stat st;
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    off_t size = regular && st.st_size > 0 ? cutTornTail(fd, st.st_size) : 0;
    ssize_t written = size < 0 ? -1 : write(fd, text, len);
    if (written > 0 && written != static_cast<ssize_t>(len) && regular) {
        if (ftruncate(fd, size) != 0) written = -1;
    }
    if ((close(fd) != 0) | (written != static_cast<ssize_t>(len))) {
        std::printf("Error writing %s\n", name);
        return 0;
    }
    return 1;
}

// The length of a line built into a LOG_LINE_SIZE buffer; a text cut to fit keeps its line end.
std::size_t lineLength(int built) {
    return built < static_cast<int>(LOG_LINE_SIZE) ? static_cast<std::size_t>(built)
                                                   : LOG_LINE_SIZE - 1;
}

// Appends the pair line of (m, v) to the record file `name`.
int appendPair(const char *name, const char *m, const char *v, const char *openFailure) {
    char line[LOG_LINE_SIZE];
    return appendRecord(name, line, formatPairLine(line, sizeof line, m, v), openFailure);
}

}  // namespace

int logAppend(const char *text) {
    char line[LOG_LINE_SIZE];
    const std::size_t len =
        lineLength(std::snprintf(line, sizeof line, endsWithNewLine(text) ? "%s" : "%s\n", text));
    line[len - 1] = '\n';
    return appendRecord(LOG_FILE_NAME, line, len, "Error opening logfile");
}

int endsWithNewLine(const char *text) {
    if (text == nullptr || text[0] == '\0') return 0;
    return text[std::strlen(text) - 1] == '\n' ? 1 : 0;
}

int isStop() { return access(STOP_FILE_NAME, F_OK) == 0 ? 1 : 0; }

void rmNewline(char *text) {
    for (char *p = std::strchr(text, '\n'); p != nullptr; p = std::strchr(p + 1, '\n')) *p = ' ';
}

int appendBest(char *m, const char *v) {
    if (endsWithNewLine(m)) rmNewline(m);
    return appendPair(BEST_FILE_NAME, m, v, "Error opening best file");
}

int appendUnevaluated(const char *m, const char *v) {
    return appendPair(UNEVALUATED_FILE_NAME, m, v, "Error opening unevaluated file");
}

long meminfoKb(const char *path, const char *label) {
    FILE *info = std::fopen(path, "r");
    if (info == nullptr) {
        char what[MEMINFO_LINE_SIZE];
        std::snprintf(what, sizeof what, "Failed to open %s", path);
        std::perror(what);
        return 0;
    }
    char line[MEMINFO_LINE_SIZE];
    const std::size_t len = std::strlen(label);
    long kb = 0;
    while (std::fgets(line, sizeof line, info) != nullptr) {
        char *end = nullptr;
        if (std::strncmp(line, label, len) != 0 || line[len] != ':') continue;
        const long value = std::strtol(line + len + 1, &end, 10);
        if (end == line + len + 1) continue;  // a line with the label but no number
        kb = value;
        break;
    }
    std::fclose(info);
    return kb;
}

long memLeftFrom(const char *path) { return meminfoKb(path, "MemFree"); }

long memLeft() { return memLeftFrom(MEMINFO_PATH); }
