// The end of every run (see shutdown.h).
#include "shutdown.h"

#include <cstdio>
#include <cstdlib>

void sigint_handler(int) { sigintReceived = 1; }

void pollInterrupt() {
    if (!sigintReceived) return;
    puts("Received SIGINT (Ctrl+C). Now closing all processes.");
    closeAndFree(clientInfoArr);
}

void closeAndFree(ClientInfo *) {
    puts("\rall clients stopped and all shared memory freed. Exiting");
    std::exit(0);
}
