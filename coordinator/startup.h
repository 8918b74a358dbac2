// The coordinator's start-up: everything from process start until the client farm is built.
// Announces the program, builds and prints the catalogue, logs the start of the run, and
// positions both formula streams, from the start or from a resume argument.
//
// Sets the process-wide catalogue (`filenames`, `numFiles`), both streams' state, the start
// values `startFileNumM`, `startFormulaNumM`, `startFileNumV`, `startFormulaNumV`, and the run
// totals `totalFormulas`, `numPassed` (state.h).
//
// The resume argument is six comma-separated numbers (runs of commas are one separator, commas
// at either end are ignored, fields after the sixth too): M file, M formulas to skip, V file,
// V formulas to skip, pairs sent so far, passes so far; the six numbers of a progress line.
// A field that does not begin with a number reads as 0. A file number must lie in
// 0..numFiles-1; a total must lie in 0..MAX_RESUME_TOTAL, so that it can grow.
#pragma once

#include "coordinator/runlog.h"

// The whole start-up, its four jobs in order: announceRun, listCatalogue, the log's start line
// (with the time of the call), positionStreams. Returns as positionStreams.
RunEnd startUp(int argc, char **argv);

// Prints the program's first line, and the mailbox keys when QUARN_KEY_BASE chose them.
void announceRun();

// Builds the catalogue of the working directory and prints it: "Found %d files:", a name a line,
// an empty line.
void listCatalogue();

// Positions both streams and sets the run totals: exactly one argument (argc == 2) resumes from
// argv[1]; none, or two or more, start from zero. Sets nextPair to the start position and logs
// the positioned line. Returns END_NONE when the streams are positioned; END_BAD_RESUME after
// printing the failure message and the usage text (the log then holds only the start line);
// END_SIGNAL when a signal came while skipping.
RunEnd positionStreams(int argc, char **argv);

// Resumes from `arg`: prints "received: ...", reads the six fields, prints the six values,
// rewinds both streams, sets them to their start files and drops the formulas to skip (a
// signal is honoured between formulas). Returns 1 when positioned; 0 after printing the
// failure message (the caller prints the usage text and ends the run); -1 on a signal.
int resumeFrom(const char *arg);

// The seven-line usage text that follows every resume failure.
void printUsage();
