// The end of every run: the signal handler, and the one shutdown that main runs whatever
// ended the run. Signals only set a flag; every loop polls it and returns to main.
#pragma once

#include "runlog.h"

// The handler of SIGINT, and of SIGHUP and SIGTERM (a lost terminal or a plain kill must not
// leave 50 clients polling): records the first signal in sigintReceived and counts signals.
void sigint_handler(int signal);

// Ends the run that `end` says ended: names a signal, settles the last pairs (waiting up to
// COLLECT_WAIT_S seconds for replies), logs and prints the last progress line (the first pair
// never sent) and the "Run ended" line, stops the clients (waiting up to STOP_LIMIT_S for their
// confirmations), removes the mailboxes whose clients are gone and returns the exit status: 1
// when the farm could not be built, no client was left or a result could not be recorded (the
// run then ends "record not written", its continuation at the first such pair), else 0.
int finishRun(RunEnd end);
