// The client's side of the mailbox: attaching to the segment of its key and the endless
// service loop that answers requests until it is told to stop.
//
// Uses the process-wide state of state.h: key, mailboxId, mailbox, formulas, score,
// yieldOnIdlePoll.
//
// - attachMailbox() gets the existing segment of `key` (no create, bits 0666) into mailboxId
//   and attaches it to `mailbox`. Result 0 on success; 1 after reporting the failure with
//   perror.
// - detachMailbox() detaches `mailbox` (if attached) and sets it to null.
// - decidePolling() sets yieldOnIdlePoll: 1 when the process may run on fewer processors than
//   there are pollers in a full farm.
// - serveRequests() polls the letter and answers 'r' and 't' requests until the letter reads
//   'k', then writes the stop confirmation, detaches the segment and frees the client's state.
//   While idle it asks about once a second whether any other process is still attached to
//   the segment; when none is (its coordinator is gone) it prints one line saying so,
//   detaches and frees its state without a confirmation. Its result is the exit status, 0.
#pragma once

int attachMailbox();
void detachMailbox();
void decidePolling();
int serveRequests();
