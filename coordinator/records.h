// The run records and probes of the coordinator: the run log "logfile.txt", the list of passing
// pairs "best.txt", the stop file "stop.txt" and the machine's free memory.
//
// Record files live in the working directory, are opened in append mode for each record and
// closed at once; nothing stays open between calls and nothing is kept in process-wide state.
// Record files are opened without blocking: a FIFO under a record's name cannot hold up a run.
// Each record goes out in one write. A record that does not reach its file whole (a full disk)
// is taken back again, so a record file never ends inside a record; a torn tail that could not
// be taken back is cut off before the next record. A record that cannot be written is reported
// on standard output and its function returns 0: the caller decides whether the run goes on.
//
//   logfile.txt      one line per event, each ending with LF (built by their callers, runlog.h)
//   best.txt         one line per passing pair: "M = %s, V = %s\n"
//   unevaluated.txt  one line per pair the search gave up without a result, the same layout
#pragma once

#include <cstddef>
#include <ctime>

constexpr char LOG_FILE_NAME[] = "logfile.txt";
constexpr char BEST_FILE_NAME[] = "best.txt";
constexpr char UNEVALUATED_FILE_NAME[] = "unevaluated.txt";
constexpr char STOP_FILE_NAME[] = "stop.txt";
constexpr char MEMINFO_PATH[] = "/proc/meminfo";
constexpr int MEMINFO_LINE_SIZE = 256;  // a /proc/meminfo line is read 255 bytes at a time

// Appends `text` to logfile.txt as one line: unchanged when it ends with LF, else followed by
// LF. Returns 1; 0 after printing "Error opening logfile" or "Error writing logfile.txt".
int logAppend(const char *text);

// 1 when `text` is not empty and its last character is LF, else 0 (also for null).
int endsWithNewLine(const char *text);

// 1 when an entry named stop.txt exists in the working directory (any kind of entry), else 0.
int isStop();

// Appends the pair to best.txt: "M = %s, V = %s\n", without the final LF when v already ends
// with one. An m ending with LF has every LF in it replaced by a blank first, in place.
// Returns 1; 0 after printing "Error opening best file" or "Error writing best.txt".
int appendBest(char *m, const char *v);

// Appends a pair that the search gives up without a result to unevaluated.txt, laid out as in
// best.txt. Returns 1; 0 after printing "Error opening unevaluated file" or "Error writing
// unevaluated.txt".
int appendUnevaluated(const char *m, const char *v);

// Replaces every LF in `text` by a blank, in place.
void rmNewline(char *text);

// Free memory of the machine in kB: the number of the first "MemFree:" line of /proc/meminfo,
// or 0 when there is none or the file cannot be read (perror "Failed to open /proc/meminfo").
long memLeft();

// memLeft over the file at `path` (perror "Failed to open <path>" when it cannot be opened).
long memLeftFrom(const char *path);

// The number of the first line of the meminfo file at `path` that begins with `label`, a colon
// and a number ("MemFree", "MemTotal"): kB. 0 when there is none (the file cannot be opened:
// perror "Failed to open <path>").
long meminfoKb(const char *path, const char *label);
