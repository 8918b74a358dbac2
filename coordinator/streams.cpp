// The M and V formula streams: line reader and field walk (see streams.h).
//
// The dispatch loop asks the V stream for a formula about 10^12 times in a long search, so the
// per-formula path allocates nothing and copies nothing but the formula. Each call walks the
// line from its start to the field it wants: a line holds a handful of short fields, and the
// walk costs far less than one evaluation of a pair.
#include "coordinator/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "coordinator/fields.h"

namespace {

// True for a line that holds no formulas: its first byte is a comma, LF or CR.
inline bool skipLine(const char *line) {
    return line[0] == ',' || line[0] == '\n' || line[0] == '\r';
}

// True when the text is SHORT_LINE_LEN bytes long or shorter; looks at no more than that.
inline bool isShortLine(const char *line) {
    static_assert(SHORT_LINE_LEN == 3, "the test below looks at 3 bytes and a terminator");
    return line[0] == '\0' || line[1] == '\0' || line[2] == '\0' || line[3] == '\0';
}

inline bool endsFormula(char c) {
    return c == '\0' || c == ',' || c == ' ' || c == '\r' || c == '\n';
}

enum OpenResult { OPENED, NOT_REGULAR, OPEN_FAILED };

// Opens catalogue file presFileNum of the stream (in catalogueDir) as its current file. Only a
// regular file is opened: a FIFO, device or directory under a formula file's name counts as a file
// without formulas (NOT_REGULAR, nothing open), and no open waits for a writer. OPEN_FAILED after
// reporting the failure.
OpenResult openCatalogueFile(FormulaStream &s) {
    char name[PATH_MAX + FILENAME_SIZE];
    std::snprintf(name, sizeof name, "%s/%s", catalogueDir, filenames[s.presFileNum]);
    struct stat st;
    int fd = -1;
    if (stat(name, &st) == 0 && !S_ISREG(st.st_mode)) return NOT_REGULAR;
    fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        return NOT_REGULAR;
    }
    s.current_file = fd < 0 ? nullptr : fdopen(fd, "r");
    if (s.current_file == nullptr) {
        std::perror("Error opening file");
        if (fd >= 0) close(fd);
        s.openFailed = 1;
        return OPEN_FAILED;
    }
    return OPENED;
}

inline bool inCatalogue(int fileNum) { return fileNum >= 0 && fileNum < numFiles; }

// Takes field number presFormulaInLine of presFormulaLine into presFormula (left empty when
// that field does not exist or finishes the line).
void takeField(FormulaStream &s) {
    // The walk goes on from the end of the field taken last when that is the field before this
    // one, else it starts at the line's start: both find the same field.
    const bool goesOn = s.walkField == s.presFormulaInLine;
    const char *p = s.presFormulaLine + (goesOn ? s.walkOffset : 0);
    for (int field = goesOn ? s.walkField : 1;; field++) {
        p = skipCommas(p);
        if (*p == '\0') return;  // no such field: the line is finished
        while (*p == ' ') p++;
        if (*p == '\0' || *p == ',' || *p == '\r' || *p == '\n') return;  // empty, or line end
        if (field == s.presFormulaInLine) break;
        p = fieldEnd(p);
    }
    s.walkField = s.presFormulaInLine + 1;
    s.walkOffset = static_cast<int>(fieldEnd(p) - s.presFormulaLine);
    std::size_t len = 0;
    while (!endsFormula(p[len])) len++;
    std::memcpy(s.presFormula, p, len);
    s.presFormula[len] = '\0';
}

}  // namespace

void resetStream(FormulaStream &s) {
    getNextFormulaLine(s, STREAM_REWIND);
    s.presFormulaInLine = 0;
    s.presFormulaLine[0] = '\0';
    s.presFormula[0] = '\0';
}

char *getNextFormulaLine(FormulaStream &s, int mode) {
    if (mode == STREAM_REWIND) {
        if (s.current_file != nullptr) std::fclose(s.current_file);
        s.current_file = nullptr;
        s.presFileNum = 0;
        s.presFormulaNum = 0;
        return nullptr;
    }
    if (mode != STREAM_NEXT) return nullptr;
    s.openFailed = 0;

    if (s.current_file == nullptr) {
        bool known = inCatalogue(s.presFileNum);
        if (s.isM)
            std::printf("getNextFormulaLineM() open first file, filename = %s\n",
                        known ? filenames[s.presFileNum] : "");
        if (!known || openCatalogueFile(s) == OPEN_FAILED) return nullptr;
        s.presFormulaNum = 0;
    }
    for (;;) {
        // The coordinator is single-threaded: the read needs no stream lock.
        while (s.current_file != nullptr &&
               fgets_unlocked(s.current_formula, static_cast<int>(LINE_BUF_SIZE), s.current_file) !=
                   nullptr) {
            if (!skipLine(s.current_formula)) return s.current_formula;
        }
        // End of this file: move on to the next one in the catalogue.
        if (s.current_file != nullptr) std::fclose(s.current_file);
        s.current_file = nullptr;
        s.presFormulaNum = 0;
        s.presFileNum++;
        if (!inCatalogue(s.presFileNum)) {
            if (!s.isM) s.presFileNum = 0;
            return nullptr;
        }
        if (openCatalogueFile(s) == OPEN_FAILED) return nullptr;
    }
}

char *getNextFormula(FormulaStream &s, int mode) {
    if (mode == STREAM_REWIND) {
        s.presFormulaInLine = 0;
        getNextFormulaLine(s, STREAM_REWIND);
        return nullptr;
    }
    if (mode != STREAM_NEXT) return nullptr;

    for (;;) {
        if (isShortLine(s.presFormulaLine)) s.presFormulaInLine = 0;
        if (s.presFormulaInLine == 0) {
            const char *line = getNextFormulaLine(s, STREAM_NEXT);
            if (line == nullptr) {
                if (!s.isM) getNextFormulaLine(s, STREAM_REWIND);
                return nullptr;
            }
            std::memcpy(s.presFormulaLine, line, std::strlen(line) + 1);
            s.presFormulaInLine = 1;
            s.walkField = 0;
        }
        s.presFormula[0] = '\0';
        takeField(s);
        s.presFormulaInLine++;
        if (s.presFormula[0] != '\0') {
            s.presFormulaNum++;
            return s.presFormula;
        }
        s.presFormulaInLine = 0;  // the line is finished: read the next one
    }
}

char *getNextFormulaM(int mode) { return getNextFormula(streamM, mode); }
char *getNextFormulaV(int mode) { return getNextFormula(streamV, mode); }
char *getNextFormulaLineM(int mode) { return getNextFormulaLine(streamM, mode); }
char *getNextFormulaLineV(int mode) { return getNextFormulaLine(streamV, mode); }
