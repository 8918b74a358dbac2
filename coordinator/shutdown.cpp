// The end of every run (see shutdown.h).
#include "coordinator/shutdown.h"

#include <csignal>
#include <cstdio>
#include <cstring>

#include "coordinator/dispatch.h"
#include "coordinator/farm.h"
#include "coordinator/streams.h"
#include "coordinator/timing.h"

int finishRun(RunEnd end) {
    // A search that ran and was not cut short by a signal or for want of clients says so, and
    // gives the clients a moment for their last replies.
    if (end != END_SIGNAL && end != END_NO_CLIENTS && end != END_FARM_FAILED) {
        std::puts("all done.");
        std::fflush(stdout);
        napUnlessInterrupted(END_PAUSE_S);
    }
    if (sigintReceived) {
        if (sigintReceived == SIGINT)
            std::printf("Received SIGINT (Ctrl+C). %s\n", CLOSING_WORDS);
        else
            std::printf("Received signal %d (%s). %s\n", static_cast<int>(sigintReceived),
                        strsignal(sigintReceived), CLOSING_WORDS);
        std::fflush(stdout);
    }
    if (end != END_FARM_FAILED) settleLastPairs(COLLECT_WAIT_S);
    // A result that could not be recorded ends the run as a fault, and its continuation
    // starts with that pair: the pairs after it are evaluated again, none is lost.
    if (recordFailed) end = END_RECORD_FAILED;
    if (unrecordedPair.place.seq >= 0 && unrecordedPair.place.seq < nextPair.place.seq)
        nextPair = unrecordedPair;
    writeProgressLine(nextPair.m, nextPair.v, nextPair.place);
    writeEndLine(end);

    getNextFormulaLineM(STREAM_REWIND);
    getNextFormulaLineV(STREAM_REWIND);
    if (end == END_FARM_FAILED) {
        // The clients started so far must not poll for ever.
        if (stopClients(clientInfoArr, 0, FAILED_FARM_WAIT_S)) reportUnconfirmed(clientInfoArr);
        releaseMailboxes(clientInfoArr);
        std::fflush(stdout);
        return 1;
    }
    if (stopClients(clientInfoArr, STOP_GRACE_S, STOP_LIMIT_S)) {
        std::puts("Timer expired! Exiting the loop");
        reportUnconfirmed(clientInfoArr);
    }
    const int kept = releaseMailboxes(clientInfoArr);
    if (kept == 0)
        std::puts("\rall clients stopped and all shared memory freed. Exiting");
    else
        std::printf(
            "\rall other clients stopped and their shared memory is freed; %d %s kept "
            "for the clients named above. Exiting\n",
            kept, kept == 1 ? "mailbox is" : "mailboxes are");
    std::fflush(stdout);
    return end == END_NO_CLIENTS || end == END_RECORD_FAILED ? 1 : 0;
}
