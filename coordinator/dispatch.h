// The dispatch loop: every M formula with every V formula, each pair to the first idle mailbox,
// passing replies collected into best.txt, progress lines, stop-file, free-memory and client
// checks; and the settling of the last pairs at the end of a run.
#pragma once

#include "coordinator/runlog.h"

// Runs the search from the positioned streams with the farm built (startUp, buildFarm) until
// the M stream is exhausted, the run has taken QUARN_M_COUNT M formulas, stop.txt exists, free
// memory runs low, a formula file cannot be opened, a result cannot be recorded, a signal
// arrives or no client is left.
// Pairs of failed clients are sent before any new pair. Returns why it ended (never END_NONE),
// with nextPair set to the first pair it did not send.
RunEnd runSearch();

// At the end of a run: sends the pairs waiting to be handed on and collects every reply,
// waiting up to waitS seconds for pairs still with their clients (a further signal ends the
// wait at once). A pair still without a result then is appended to unevaluated.txt and named
// in a line on standard output; one that cannot be appended there is noted (noteUnrecorded).
void settleLastPairs(int waitS);
