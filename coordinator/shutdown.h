// The end of every run: the one shutdown that main runs whatever ended the run.
#pragma once

#include "coordinator/runlog.h"

// The words that end the line announcing the shutdown after a signal ("Received SIGINT
// (Ctrl+C). Now closing all processes."): a program that runs the coordinator waits for them.
constexpr char CLOSING_WORDS[] = "Now closing all processes.";

// Ends the run that `end` says ended: after a search that ran to an end of its own (any but a
// signal, no clients left or no farm) prints "all done." and pauses 3 seconds; names a signal,
// settles the last pairs (waiting up to COLLECT_WAIT_S seconds for replies), logs and prints the
// last progress line (the first pair never sent) and the "Run ended" line, stops the clients
// (waiting up to STOP_LIMIT_S for their confirmations), removes the mailboxes whose clients are
// gone and returns the exit status: 1 when the farm could not be built, no client was left or a
// result could not be recorded (the run then ends "record not written", its continuation at the
// first such pair), else 0.
int finishRun(RunEnd end);
