// The end of every run: stop letters to the clients, a bounded wait for their confirmations,
// exit status 0. Ctrl+C (and SIGHUP, SIGTERM) reach it through the sigintReceived flag, which
// every loop polls.
#pragma once

#include "state.h"

// The handler of SIGINT, and of SIGHUP and SIGTERM (a lost terminal or a plain kill must not
// leave 50 clients polling as the superuser): only sets sigintReceived to the signal number.
// Further signals change nothing.
void sigint_handler(int signal);

// When Ctrl+C was pressed: prints the interrupt message, collects the replies already waiting
// and runs the shutdown (never returns then). Otherwise returns at once.
void pollInterrupt();

// The shutdown sequence over the 50 client records; ends the process with status 0.
[[noreturn]] void closeAndFree(ClientInfo *records);
