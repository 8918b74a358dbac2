// The end of every run (see shutdown.h).
#include "shutdown.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dispatch.h"
#include "farm.h"
#include "streams.h"

void sigint_handler(int signal) {
    if (!sigintReceived) sigintReceived = signal;
}

void pollInterrupt() {
    if (!sigintReceived) return;
    if (sigintReceived == SIGINT)
        std::puts("Received SIGINT (Ctrl+C). Now closing all processes.");
    else
        std::printf("Received signal %d (%s). Now closing all processes.\n",
                    static_cast<int>(sigintReceived), strsignal(sigintReceived));
    std::fflush(stdout);
    collectLastReplies(0);
    closeAndFree(clientInfoArr);
}

void closeAndFree(ClientInfo *records) {
    getNextFormulaLineM(2);
    getNextFormulaLineV(2);
    if (stopClients(records, STOP_GRACE_S, STOP_LIMIT_S)) {
        std::puts("Timer expired! Exiting the loop");
        reportUnconfirmed(records);
    }
    std::puts("\rall clients stopped and all shared memory freed. Exiting");
    std::fflush(stdout);
    std::exit(0);
}
