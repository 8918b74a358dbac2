// Writing formula files: choosing a free name and writing one file's lines.
#include "generator/formula_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "generator/cycle.h"
#include "generator/state.h"

int freeFilename(char *filename) {
    struct stat st;
    for (int n = 1; n <= MAX_FILE_NUM; n++) {
        snprintf(filename, FILENAME_SIZE, "formulas_%03d.txt", n);
        if (lstat(filename, &st) != 0) return 1;  // a link, even a dangling one, takes the name
    }
    return 0;
}

int writeFormulaFile(const char *filename) {
    // Only a new file: nothing that took the name meanwhile (a link, say) is written through.
    int fd = open(filename, O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    FILE *fp = fd < 0 ? nullptr : fdopen(fd, "a");
    if (fp == nullptr) {
        if (fd >= 0) close(fd);
        return WRITE_OPEN_FAILED;
    }
    setvbuf(fp, fileBuf, _IOFBF, sizeof fileBuf);
    for (int line = 0; line < LINES_PER_FILE; line++) {
        for (int f = 0; f < FORMULAS_PER_LINE; f++) {
            fputs_unlocked(zindel(0, nullptr), fp);
            fputs_unlocked(", ", fp);
        }
        fputc_unlocked('\n', fp);
    }
    fputc_unlocked('\n', fp);
    // stdio drops a buffer it could not write (a full disk, say) and goes on with the next
    // one, so a single failed write tears a hole into the middle of the file. A torn file is
    // removed: a reader would take its broken lines for formulas.
    bool failed = ferror_unlocked(fp) != 0 || fflush_unlocked(fp) != 0;
    if (fclose(fp) != 0 || failed) {
        if (remove(filename) != 0) perror(filename);
        return WRITE_CLOSE_FAILED;
    }
    return WRITE_OK;
}
