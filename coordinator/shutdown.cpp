// The end of every run (see shutdown.h).
#include "shutdown.h"

#include <csignal>
#include <cstdio>
#include <cstring>

#include "dispatch.h"
#include "farm.h"
#include "streams.h"

void sigint_handler(int signal) {
    if (!sigintReceived) sigintReceived = signal;
    signalCount = signalCount + 1;
}

int finishRun(RunEnd end) {
    if (sigintReceived) {
        if (sigintReceived == SIGINT)
            std::puts("Received SIGINT (Ctrl+C). Now closing all processes.");
        else
            std::printf("Received signal %d (%s). Now closing all processes.\n",
                        static_cast<int>(sigintReceived), strsignal(sigintReceived));
        std::fflush(stdout);
    }
    if (end != END_FARM_FAILED) settleLastPairs(COLLECT_WAIT_S);
    writeProgressLine(nextPair.m, nextPair.v, nextPair.place);
    writeEndLine(end);

    getNextFormulaLineM(STREAM_REWIND);
    getNextFormulaLineV(STREAM_REWIND);
    if (end == END_FARM_FAILED) {
        // The clients started so far must not poll for ever.
        if (stopClients(clientInfoArr, 0, FAILED_FARM_WAIT_S)) reportUnconfirmed(clientInfoArr);
        std::fflush(stdout);
        return 1;
    }
    if (stopClients(clientInfoArr, STOP_GRACE_S, STOP_LIMIT_S)) {
        std::puts("Timer expired! Exiting the loop");
        reportUnconfirmed(clientInfoArr);
    }
    std::puts("\rall clients stopped and all shared memory freed. Exiting");
    std::fflush(stdout);
    return end == END_NO_CLIENTS ? 1 : 0;
}
