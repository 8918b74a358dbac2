// The formula catalogue: listing and sorting the formula files (see catalogue.h).
#include "coordinator/catalogue.h"

#include <dirent.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "coordinator/state.h"

namespace {

constexpr std::size_t PREFIX_LEN = sizeof(CATALOGUE_PREFIX) - 1;
constexpr std::size_t NUMBER_AT = 9;  // the character after "formulas_"

bool isCatalogueName(const char *name) {
    return std::strncmp(name, CATALOGUE_PREFIX, PREFIX_LEN) == 0;
}

// Copies `src` into a catalogue entry, cut to FILENAME_SIZE - 1 characters.
void copyName(char *dst, const char *src) {
    std::size_t len = std::strlen(src);
    if (len > FILENAME_SIZE - 1) len = FILENAME_SIZE - 1;
    std::memcpy(dst, src, len);
    dst[len] = '\0';
}

// The entries of `path` whose names begin with "formulas" into `filenames` (see getFileNames).
int listNames(const char *path) {
    DIR *dir = opendir(path);
    if (dir == nullptr) return 0;
    int count = 0;
    while (count < MAX_FILES) {
        const struct dirent *entry = readdir(dir);
        if (entry == nullptr) break;
        if (!isCatalogueName(entry->d_name)) continue;
        copyName(filenames[count], entry->d_name);
        count++;
    }
    closedir(dir);
    return count;
}

}  // namespace

int getFileNames() { return listNames(catalogueDir); }

int buildCatalogue(const char *dir) {
    std::snprintf(catalogueDir, sizeof catalogueDir, "%s", dir);
    numFiles = getFileNames();
    sortFileNames(filenames, numFiles);
    return numFiles;
}

int countCatalogueNames(const char *dir) {
    DIR *d = opendir(dir);
    if (d == nullptr) return -1;
    int n = 0;
    while (const dirent *e = readdir(d)) n += isCatalogueName(e->d_name);
    closedir(d);
    return n;
}

int fileNameNumber(const char *name) {
    // The bare name "formulas" ends before its 10th character: reading there would run past
    // its terminator into whatever the buffer held before.
    if (strnlen(name, NUMBER_AT) < NUMBER_AT) return 0;
    long value = std::strtol(name + NUMBER_AT, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int compare_filenames(const void *a, const void *b) {
    long long diff = static_cast<long long>(fileNameNumber(static_cast<const char *>(a))) -
                     fileNameNumber(static_cast<const char *>(b));
    if (diff > INT_MAX) return INT_MAX;
    if (diff < INT_MIN) return INT_MIN;
    return static_cast<int>(diff);
}

void sortFileNames(char (*names)[FILENAME_SIZE], int count) {
    if (count <= 0) return;
    for (int i = 0; i < count; i++) names[i][FILENAME_SIZE - 1] = '\0';
    std::qsort(names, static_cast<std::size_t>(count), FILENAME_SIZE, compare_filenames);
}
