// Results of the pairs in the mailboxes: collecting a passing reply into the output and
// best.txt, and marking a pair's result as recorded. Used by the dispatch loop, which reuses
// mailboxes, and by the farm, which replaces clients.
#pragma once

#include "coordinator/state.h"

// Collects the 's' reply that record c's mailbox holds for the pair last sent to it: prints
// the score line, appends the pair to best.txt and counts it in numPassed. A pair that cannot
// be appended is noted (noteUnrecorded).
void collectScore(ClientInfo &c);

// Notes that the result of the pair (m, v) at `place` could not be recorded: sets recordFailed,
// and makes the pair unrecordedPair when it is the earliest such pair of the run (a seed pair
// has no place and is not kept).
void noteUnrecorded(const char *m, const char *v, const PairPlace &place);

// Records the result of c's last pair when it has arrived (the mailbox's `letter` is idle): an
// 's' reply is collected, any other idle letter carries nothing. Returns 1 when the mailbox is
// idle (its pair, if any, settled), 0 while the pair is still with the client.
int settleReply(ClientInfo &c, char letter);
