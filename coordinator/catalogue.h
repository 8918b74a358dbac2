// The formula catalogue: the formula files of the working directory, listed and sorted once at
// start-up. From then on a file is known by its 0-based position in the sorted list, its file
// number; both formula streams read the files through this list.
//
// Owns nothing itself: it fills the process-wide `catalogueDir`, `filenames` and `numFiles`
// (state.h). The streams open the files by these names in catalogueDir.
#pragma once

#include "coordinator/constants.h"

constexpr char CATALOGUE_PREFIX[] = "formulas";  // what a formula file's name begins with

// Makes the formula files of folder `dir` the catalogue: catalogueDir, filenames in file-number
// order (getFileNames, sortFileNames) and numFiles. Returns numFiles.
int buildCatalogue(const char *dir);

// Fills `filenames` with the entries of catalogueDir whose names begin with "formulas"
// (case-sensitive), in listing order, at most MAX_FILES of them, each cut to FILENAME_SIZE - 1
// characters. Returns the number taken; 0 when the directory cannot be listed (no message).
int getFileNames();

// The entries of `dir` whose names begin with "formulas", however many; -1 when it cannot be
// listed. Touches no process-wide state.
int countCatalogueNames(const char *dir);

// Sorts the first `count` names of `names` in place, smallest file number first (see
// compare_filenames); names with equal numbers end in an unspecified order. Every name is cut
// to FILENAME_SIZE - 1 characters first.
void sortFileNames(char (*names)[FILENAME_SIZE], int count);

// qsort comparator over two catalogue names (each a char[FILENAME_SIZE]): the number read from
// a minus the number read from b, saturated to the int range. A name's number is read from its
// 10th character on (the one after "formulas_") as atoi does: leading white space, an optional
// sign, digits up to the first non-digit; no digits, or a name shorter than 10 characters,
// reads as 0. Numbers beyond the int range read as INT_MAX / INT_MIN.
int compare_filenames(const void *a, const void *b);

// The number compare_filenames reads from one name.
int fileNameNumber(const char *name);
