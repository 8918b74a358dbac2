// Settings of the coordinator read once at start-up, before anything else: the free-memory
// threshold (environment variable QUARN_MIN_FREE_KB) and whether idle polls yield the processor.
#pragma once

// Sets minFreeKb and yieldWhenIdle (state.h). A QUARN_MIN_FREE_KB that is not a non-negative
// whole number ends the program with a message on standard error and exit status 1.
void readSettings();

// Parses a non-negative decimal number of kB (digits only, no sign, no blanks). Returns 1 and
// sets *kb on success, 0 otherwise.
int parseFreeKb(const char *text, long *kb);
