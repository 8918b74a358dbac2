// The client farm: 50 mailboxes (keys keyBase .. keyBase + 49) and one quarnClient per mailbox,
// started through the shell; the watch over the clients while the search runs; stopping them.
//
// Design note: faults of clients. A mailbox's attach count (shmctl IPC_STAT, shm_nattch) says
// whether its client is still there: the coordinator is attached to every mailbox, so a count
// below 2 means the client has gone. Once a second the farm looks at every client:
//   - a client that has not attached within CLIENT_START_LIMIT_S of its start, or has gone,
//     leaves its pair (if it held one) to be handed on, and a replacement is started on its key
//     once nothing else is attached there (never two clients on one mailbox);
//   - a client that has held one pair for holdLimitS seconds counts as hung: its pair is handed
//     on and it is told to stop; when it has gone, it is replaced;
//   - after MAX_CLIENT_RESTARTS replacements on one key the key is given up.
// Every such event is logged and printed in one line naming the client and the pair. A pair
// that is handed on waits in handOnQueue (state.h) for the dispatch loop, which sends it
// before any new pair; it keeps its place and is not counted again.
//
// Mailboxes that are not this user's own (owner or creator another user, or permission bits
// beyond 0660) are refused. A run removes the mailboxes it set up when it ends, once their
// clients are gone: nothing stays behind on a machine (a batch system does not remove
// segments); a mailbox left by a run that was killed is taken over by the next run. Processes still
// attached to a mailbox before the farm uses it are clients of an earlier coordinator that died
// (the key lock says no live coordinator has these keys): they are told to stop and must be gone
// before any client is started.
#pragma once

#include <sys/shm.h>

#include "coordinator/runlog.h"

// Sets up every mailbox of clientInfoArr in key order (get, check, attach), stops clients of an
// earlier run, then seeds each mailbox and starts its client, and waits until every client has
// attached. Returns END_NONE when the farm stands; END_FARM_FAILED after a message naming the
// key and the cause; END_SIGNAL on Ctrl+C (and SIGTERM, SIGHUP). Clients already started are
// left to the shutdown.
RunEnd buildFarm();

// The watch over the clients, at most once a second (`now` is the time of the call): hands on
// the pairs of clients that have gone or hung and, with `replace` set, starts replacements
// (at the end of a run, a client that has gone is only written off). Returns END_NO_CLIENTS
// when every key has been given up, else END_NONE.
RunEnd watchClients(time_t now, int replace);

// 1 when the segment whose status is `ds` may serve as a mailbox of this user: made and owned
// by this user, and open to nobody else (permission bits within 0660).
int isOwnMailbox(const struct shmid_ds &ds);

// 1 when record c's client takes pairs: started, and neither retiring nor given up.
inline int servesPairs(const ClientInfo &c) {
    return c.state == CLIENT_STARTING || c.state == CLIENT_RUNNING;
}

// Runs `command` through /bin/sh -c, in a process group of its own with SIGINT and SIGHUP
// ignored, and waits for the shell. Unlike system(), it does not ignore SIGINT in this process,
// so a Ctrl+C while a client is being started is not lost; and the terminal's Ctrl+C or hangup
// never reaches the clients, which the coordinator stops through their mailboxes.
// Returns the shell's wait status, or -1 when it could not be started.
int runShellCommand(const char *command);

// Stores the stop letter in every attached mailbox, waits `graceS` seconds, then checks the
// started clients once a second: a confirmation is printed and its mailbox detached and
// removed; a client that has gone without confirming is named and not waited for, and its
// mailbox removed too. Ends after the check that
// finds none left to wait for (and a second's wait), or after the first check made `limitS`
// seconds or more since the first one: the result is 1 then (the clients still active did not
// confirm), else 0.
int stopClients(ClientInfo *records, int graceS, int limitS);

// After stopClients: detaches and removes every mailbox this run set up whose client is not
// still waited for (given up, never started, or stopped). Returns the mailboxes left in place:
// those of clients that did not confirm their stop, which stay for the next run on these keys
// to stop them.
int releaseMailboxes(ClientInfo *records);

// Prints one line per started client that has not confirmed its stop, naming its key.
void reportUnconfirmed(const ClientInfo *records);
