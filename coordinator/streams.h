// The two formula streams, M and V: independent readers over the catalogue that yield the
// formulas of its files in order (file, then line, then position in the line).
//
// A formula file is plain text; lines end with LF. The generator writes 10000 lines of 7
// formulas, each as "%s, ", then one empty line. The reader takes a line in pieces of at most
// LINE_BUF_SIZE - 1 bytes, each piece treated as a line of its own, and:
//   - skips a line whose first byte is a comma, LF or CR (this holds for every line, the first
//     line of a file entered by moving on from the previous file included);
//   - splits a line into fields at commas, a run of commas being one separator and a comma at
//     either end making no field;
//   - in each field skips leading blanks (spaces only); a field that is then empty or starts
//     with CR or LF finishes the line; otherwise the formula runs up to its first blank, CR or
//     LF, and the rest of the field is dropped;
//   - takes only the first formula of a line of SHORT_LINE_LEN bytes or fewer.
//
// State: each stream is a FormulaStream (state.h: streamM / streamV and their named references
// presFileNumM, presFormulaNumV, ...). The streams share only the catalogue (`filenames`,
// `numFiles`), which must be built before the first call. The M and V functions are twins over
// the shared implementation; they differ only in the M stream's first-open message and in what
// each does at its end (V rewinds itself, M stays at its end).
#pragma once

#include "coordinator/state.h"

constexpr int STREAM_NEXT = 0;    // mode: the next formula / line
constexpr int STREAM_REWIND = 2;  // mode: back to the start of file 0, nothing open

// Mode STREAM_NEXT: the next formula, which is the stream's presFormula buffer itself (valid
// until the stream's next call; copy what you keep), or null at the end of the stream or when a
// file cannot be opened. On a formula, presFormulaNum is its 1-based position in file
// presFileNum. At its end the V stream rewinds itself, so its next call starts at file 0
// again; the M stream stays at its end.
// Mode STREAM_REWIND: rewinds (in-line position 0, line reader rewound) and returns null.
char *getNextFormula(FormulaStream &s, int mode);
char *getNextFormulaM(int mode);
char *getNextFormulaV(int mode);

// The line reader under a stream. Mode STREAM_NEXT: the next line that is not skipped, moving
// on across file ends (a file with no lines is passed over); the text is the stream's
// current_formula buffer, valid until the stream's next call. Null when the catalogue is used
// up (presFileNum then stays at numFiles for M and goes back to 0 for V) or when a file cannot
// be opened ("Error opening file" through perror; the stream then has no open file). When the
// stream has no open file, the M stream first prints
// "getNextFormulaLineM() open first file, filename = %s\n".
// Only regular files are opened: any other kind of entry under a catalogue name reads as a file
// without formulas, and no open waits. After a null, the stream's openFailed is 1 when a file
// could not be opened (0 at the end of the catalogue).
// Mode STREAM_REWIND: closes the open file, sets presFileNum and presFormulaNum to 0, returns
// null.
char *getNextFormulaLine(FormulaStream &s, int mode);
char *getNextFormulaLineM(int mode);
char *getNextFormulaLineV(int mode);

// Start-up state of one stream: its line reader rewound (no file open), in-line position 0,
// presFormulaLine and presFormula empty.
void resetStream(FormulaStream &s);
