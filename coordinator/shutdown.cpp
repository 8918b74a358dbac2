// The end of every run (see shutdown.h).
#include "shutdown.h"

#include <cstdio>
#include <cstdlib>

#include "dispatch.h"
#include "farm.h"
#include "streams.h"

void sigint_handler(int) { sigintReceived = 1; }

void pollInterrupt() {
    if (!sigintReceived) return;
    std::puts("Received SIGINT (Ctrl+C). Now closing all processes.");
    std::fflush(stdout);
    collectLastReplies(0);
    closeAndFree(clientInfoArr);
}

void closeAndFree(ClientInfo *records) {
    getNextFormulaLineM(2);
    getNextFormulaLineV(2);
    if (stopClients(records, STOP_GRACE_S, STOP_LIMIT_S) > 0) {
        std::puts("Timer expired! Exiting the loop");
        reportUnconfirmed(records);
    }
    std::puts("\rall clients stopped and all shared memory freed. Exiting");
    std::fflush(stdout);
    std::exit(0);
}
