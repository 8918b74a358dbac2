// The client farm: 50 mailboxes (keys 1000..1049), each seeded with the first request, and one
// quarnClient per mailbox started through "sudo ./quarnClient <key> &".
#pragma once

#include "state.h"

// Gets, attaches and seeds the mailbox of every record of clientInfoArr in key order, starting
// its client after each. When a segment cannot be got or attached, tells the clients started so
// far to stop, waits up to 5 seconds for them and ends the program with status 1. Honours Ctrl+C
// between two clients.
void buildFarm();

// Runs `command` through /bin/sh -c, in a process group of its own with SIGINT and SIGHUP
// ignored, and waits for the shell. Unlike system(), it does not ignore SIGINT in this process,
// so a Ctrl+C while a client is being started is not lost; and the terminal's Ctrl+C or hangup
// never reaches the clients, which the coordinator stops through their mailboxes.
// Returns the shell's wait status, or -1 when it could not be started.
int runShellCommand(const char *command);

// Stores the stop letter in every attached mailbox, waits `graceS` seconds, then checks the
// started clients for their confirmations once a second: each confirmation is printed and its
// mailbox detached. Ends after the check that finds all confirmed (and a second's wait), or
// after the first check made `limitS` seconds or more since the first one: the result is 1 then
// (the time limit was reached; the clients still active did not confirm), else 0.
int stopClients(ClientInfo *records, int graceS, int limitS);

// Prints one line per started client that has not confirmed its stop, naming its key.
void reportUnconfirmed(const ClientInfo *records);
