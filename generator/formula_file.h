// Formula files, the writer's side. Names are "formulas_%03d.txt" with numbers 1..999, the
// lowest free one taken for every new file. A file holds exactly 10000 lines, each of 7
// formulas written as "%s, " and a LF, then one empty line (a lone LF); no CR, no header.
// A formula never holds a comma, blank, CR or LF, so a reader splits lines at ", ".
// Uses fileBuf (state.h) as the open file's stdio buffer.
#pragma once

#include "generator/constants.h"

// Fills filename (FILENAME_SIZE bytes) with the lowest "formulas_%03d.txt", n = 1..999, that
// names no entry (a link, even one that leads nowhere, takes its name). Returns 1 when one is
// free, 0 when all exist (filename then holds the last name tried, formulas_999.txt).
int freeFilename(char *filename);

// Results of writeFormulaFile.
constexpr int WRITE_OK = 0;
constexpr int WRITE_OPEN_FAILED = 1;
constexpr int WRITE_CLOSE_FAILED = 2;

// Creates filename (only a new file: a name taken meanwhile fails the open) and writes one
// file's lines, taking each formula from zindel(0, ...) as it is needed, through a large stdio
// buffer (flushed also when the process exits midway, so an incomplete file keeps everything
// written up to then).
// Returns WRITE_OK, WRITE_OPEN_FAILED, or WRITE_CLOSE_FAILED when a write, the last flush or
// the close failed; the torn file is then removed (reported with perror if that fails too).
int writeFormulaFile(const char *filename);
