// Results of the pairs in the mailboxes: collecting a passing reply into the output and
// best.txt, and marking a pair's result as recorded. Used by the dispatch loop, which reuses
// mailboxes, and by the farm, which replaces clients.
#pragma once

#include "state.h"

// Collects the 's' reply that record c's mailbox holds for the pair last sent to it: prints
// the score line, appends the pair to best.txt and counts it in numPassed.
void collectScore(ClientInfo &c);

// Records the result of c's last pair when it has arrived (the mailbox's `letter` is idle): an
// 's' reply is collected, any other idle letter carries nothing. Returns 1 when the mailbox is
// idle (its pair, if any, settled), 0 while the pair is still with the client.
int settleReply(ClientInfo &c, char letter);
