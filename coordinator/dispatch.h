// The dispatch loop: every M formula with every V formula, each pair to the first idle mailbox,
// passing replies collected into best.txt, progress lines, stop-file and free-memory checks.
#pragma once

#include "state.h"

// Runs the search over the catalogue until the M stream is exhausted, stop.txt exists, free
// memory runs low or Ctrl+C is pressed; then collects the last replies and shuts down. Never
// returns. Needs the start-up and the farm (startUp, buildFarm) done.
[[noreturn]] void runSearch();

// Collects the 's' reply that record `c`'s mailbox holds for the pair last sent to it: prints
// the score line, appends the pair to best.txt and counts it in numPassed.
void collectScore(ClientInfo &c);

// Collects every 's' reply waiting in the mailboxes of started clients. With waitS > 0 it also
// waits up to that many seconds for mailboxes still at 'r' or 't' (it stops waiting on Ctrl+C),
// so that no evaluated pair is lost at the end of a search. Each mailbox is dealt with once.
void collectLastReplies(int waitS);
