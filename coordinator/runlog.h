// The run log, logfile.txt: this module writes every line of it and reads the log back. It is
// the run's outside face: quarnCampaign and scripts read a search's state through it only.
//
// Lines a run writes, in this order:
//   Started new run: y2026m12d07 10:11:12                      (start-up)
//   received: 0,437,0,218,447705,4                              (resumed runs only)
//   startFileNumM = 0, startFormulaNumM = 437, startFileNumV = 0, startFormulaNumV = 218
//   log. M = <M>, V = <V>, fileM = 0, formulaM = 438, fileNumV = 0, formulaNumV = 219,
//        total = 447705, numPassed = 4                          (every 10 s, one line)
//   client 1003 is gone; its pair M = ..., V = ... is handed on  (client faults, any time)
//   **** Memory too low: y2026m12d07 10:21:39 Exiting ****      (when memory runs low)
//   log. M = ...                                                (last one, at the end)
//   Run ended: y2026m12d07 10:21:40, stop file
//
// A progress line names a pair by its place: every pair before it has a recorded result, and
// total counts the pairs sent before it. The last progress line of a run names the first pair
// the run never sent (texts empty when the run ended before it took one). Resuming with
// "fileM,formulaM-1,fileNumV,formulaNumV-1,total,numPassed" starts with that pair.
#pragma once

#include <ctime>

#include "coordinator/state.h"

// Why a run ended. Every loop of the coordinator returns one of these to main.
enum RunEnd {
    END_NONE,           // not ended: go on
    END_ALL_DONE,       // the M stream ran out: the search is complete
    END_M_COUNT,        // the run took its QUARN_M_COUNT M formulas
    END_STOP_FILE,      // stop.txt appeared
    END_LOW_MEMORY,     // free memory fell below the threshold
    END_SIGNAL,         // SIGINT, SIGTERM or SIGHUP (sigintReceived says which)
    END_FARM_FAILED,    // the mailboxes or clients could not be set up
    END_NO_CLIENTS,     // every key was given up after repeated client deaths
    END_UNREADABLE,     // a formula file could not be opened
    END_RECORD_FAILED,  // a result could not be written to best.txt or unevaluated.txt
    END_BAD_RESUME,     // the resume argument was refused (the run never started)
    END_UNKNOWN,        // read back: a "Run ended" line with a reason this program does not write
};

// The reason's text in the "Run ended" line: "all done", "M count done", "stop file",
// "low memory", "SIGINT", "SIGTERM", "SIGHUP" (the signal in sigintReceived), "farm not
// built", "no clients left", "formula file unreadable", "record not written".
const char *endReasonText(RunEnd end);

// 1 when a run that ended so ended for a fault (it cannot go on by itself when run again
// unchanged): END_FARM_FAILED, END_NO_CLIENTS, END_UNREADABLE, END_RECORD_FAILED.
int isFaultEnd(RunEnd end);

// "y%04dm%02dd%02d %02d:%02d:%02d" (the local time of `when`: year, month 1-12, day, hour,
// minute, second) into `out`; an empty text when the time cannot be converted.
void formatLocalTime(char (&out)[STAMP_SIZE], time_t when);

// The lines above, each appended to the log. The positioned, progress, memory, fault and end
// lines are also printed; a fault line after a carriage return.
void writeStartLine(time_t start);
void writeReceivedLine(const char *arg);  // the run's resume argument
void writePositionedLine();               // the start values of state.h
void writeProgressLine(const char *m, const char *v, const PairPlace &place);  // numPassed now
void writeMemoryLine();
void writeFaultLine(const char *format, ...) __attribute__((format(printf, 1, 2)));
void writeEndLine(RunEnd end);

// Reads the fields of a resume argument: six comma-separated numbers (runs of commas are one
// separator, commas at either end are ignored, fields after the sixth too; a field that does
// not begin with a number reads as 0; numbers beyond their type saturate). The first four are
// ints, the last two longs. Returns the number of fields found, 0 to 6.
int readResumeFields(const char *arg, long values[6]);

// What a working directory's log says about its search, from the last run that got as far as
// positioning its streams (runs refused at their resume argument are passed over).
struct RunLogSummary {
    int runs;                     // runs that positioned their streams
    RunEnd end;                   // how the last of them ended; END_NONE without a "Run ended" line
    int finished;                 // 1 when it ended END_ALL_DONE or END_M_COUNT
    char endText[END_TEXT_SIZE];  // the reason as the line gives it; empty without one
    long resume[6];               // the resume argument that continues the search
    int fromProgress;             // 1: resume comes from a progress line; 0: from the run's start
    time_t startedAt;             // when the last run started (-1 when unreadable)
    time_t endedAt;               // when it ended (-1 when it did not end in order)
    long startTotal;              // pairs sent before the last run started
};

// Reads the log at `path`; only whole lines count (a last line without its line end is passed
// over). Returns 1 and fills *out when the log holds a run; 0 when there is no log or it holds
// no run; -1 when it cannot be read (errno set; EINVAL when it is not a regular file: a FIFO is
// never waited on).
int readRunLog(const char *path, RunLogSummary *out);
