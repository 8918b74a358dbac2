// The dispatch loop (see dispatch.h).
#include "coordinator/dispatch.h"

#include <sched.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "coordinator/farm.h"
#include "coordinator/records.h"
#include "coordinator/replies.h"
#include "coordinator/streams.h"
#include "coordinator/timing.h"

namespace {

// The loop's timers and its last free-memory reading, kept across the passes of the M loop.
struct LoopState {
    time_t checkTimer;      // start of the current 1-second interval (stop file, free memory)
    time_t progressTimer;   // start of the current 10-second interval (progress line)
    long freeKb;            // last reading of memLeft()
    int memoryLineWritten;  // 1 once the "Memory too low" line has been written
};

void noteMemoryLow(LoopState &loop) {
    writeMemoryLine();
    loop.memoryLineWritten = 1;
}

void noteNextPair(const char *m, const char *v, const PairPlace &place) {
    std::snprintf(nextPair.m, sizeof nextPair.m, "%s", m);
    std::snprintf(nextPair.v, sizeof nextPair.v, "%s", v);
    nextPair.place = place;
}

// Writes the progress line at the oldest pair without a recorded result, taking the results
// that have arrived first; the pair (m, v) at `current`, about to be sent, when there is none.
void writeSafeProgressLine(const char *m, const char *v, const PairPlace &current) {
    const PairPlace *oldest = &current;
    for (ClientInfo &c : clientInfoArr) {
        if (!c.unsettled || c.place.seq < 0 || settleReply(c, mbLoadLetter(c.shm_ptr))) continue;
        if (c.place.seq < oldest->seq) m = c.lastM, v = c.lastV, oldest = &c.place;
    }
    for (int i = 0; i < handOnCount; ++i) {
        const PendingPair &p = handOnQueue[i];
        if (p.place.seq < oldest->seq) m = p.m, v = p.v, oldest = &p.place;
    }
    const PendingPair &u = unrecordedPair;
    if (u.place.seq >= 0 && u.place.seq < oldest->seq) m = u.m, v = u.v, oldest = &u.place;
    writeProgressLine(m, v, *oldest);
}

// Hands the pair to the first idle mailbox of a serving client, collecting the reply that
// mailbox holds. Returns 1 when it was sent, 0 when no mailbox was idle.
int trySend(const char *m, const char *v, char letter, const PairPlace &place, time_t now) {
    for (ClientInfo &c : clientInfoArr) {
        if (!servesPairs(c) || !settleReply(c, mbLoadLetter(c.shm_ptr))) continue;
        std::strcpy(c.lastM, m);
        std::strcpy(c.lastV, v);
        c.place = place;
        c.sentLetter = letter;
        c.sentAt = now;
        c.unsettled = 1;
        mbWriteRequest(c.shm_ptr, m, v, letter);
        return 1;
    }
    return 0;
}

// Sends the pair, polling until a mailbox is idle; after 10 seconds the pair is given up and
// recorded in unevaluated.txt. A new pair is counted in totalFormulas when sent; a pair handed
// on from a failed client was counted already. `now` is the time of the loop's last look at
// the clock: the clock is read again only while no mailbox is idle.
RunEnd placePair(const char *m, const char *v, char letter, const PairPlace &place, bool isNew,
                 time_t now) {
    const time_t assignTimer = now;
    for (;;) {
        if (trySend(m, v, letter, place, now)) {
            if (isNew) ++totalFormulas;
            return END_NONE;
        }
        if (yieldWhenIdle) sched_yield();
        if (sigintReceived) return END_SIGNAL;
        now = std::time(nullptr);
        RunEnd end = watchClients(now, 1);
        if (end != END_NONE) return end;
        if (std::difftime(now, assignTimer) >= ASSIGN_TIMEOUT_S) {
            std::puts("----- time out waiting for assign -----");
            if (!appendUnevaluated(m, v)) noteUnrecorded(m, v, place);
            return END_NONE;
        }
    }
}

// Sends the pairs waiting to be handed on, oldest first.
RunEnd placeHandedOn(time_t now) {
    while (handOnCount > 0) {
        const PendingPair &p = handOnQueue[0];
        RunEnd end = placePair(p.m, p.v, p.letter, p.place, false, now);
        if (end != END_NONE) return end;
        --handOnCount;
        std::memmove(handOnQueue, handOnQueue + 1, handOnCount * sizeof(PendingPair));
    }
    return END_NONE;
}

// The checks made before a pair is sent: signals, once a second the stop file, free memory and
// the clients, every 10 seconds the progress line. A result that could not be recorded ends
// the run before anything else is evaluated. *now receives the time of the checks.
RunEnd checkBeforePair(const char *m, const char *v, const PairPlace &place, LoopState &loop,
                       time_t *now) {
    if (sigintReceived) return END_SIGNAL;
    if (recordFailed) return END_RECORD_FAILED;
    *now = std::time(nullptr);
    if (*now - loop.checkTimer >= CHECK_INTERVAL_S) {
        if (isStop()) return END_STOP_FILE;
        loop.freeKb = memLeft();
        if (loop.freeKb < minFreeKb) {
            noteMemoryLow(loop);
            return END_LOW_MEMORY;
        }
        loop.checkTimer = *now;
    }
    RunEnd end = watchClients(*now, 1);
    if (end != END_NONE) return end;
    if (*now - loop.progressTimer >= PROGRESS_INTERVAL_S) {
        writeSafeProgressLine(m, v, place);
        loop.progressTimer = *now;
    }
    return END_NONE;
}

// One pass of the V stream for the formula m, taken at (fileM, formulaM). Returns END_NONE when
// the walk is complete; otherwise why it stopped, with nextPair set to the pair not sent.
RunEnd walkV(const char *m, int fileM, int formulaM, LoopState &loop) {
    PairPlace place = {fileM, formulaM, presFileNumV, presFormulaNumV, 0};  // the last V taken
    const char *v;
    while ((v = getNextFormulaV(STREAM_NEXT)) != nullptr) {
        place = {fileM, formulaM, presFileNumV, presFormulaNumV, totalFormulas};
        time_t now = 0;
        RunEnd end = checkBeforePair(m, v, place, loop, &now);
        if (end == END_NONE) end = placeHandedOn(now);
        place.seq = totalFormulas;
        if (end == END_NONE)
            end = placePair(m, v, totalFormulas == SELFTEST_AT_TOTAL ? MB_SELFTEST : MB_RUN, place,
                            true, now);
        if (end != END_NONE) {
            noteNextPair(m, v, place);
            return end;
        }
    }
    if (!streamV.openFailed) return END_NONE;
    // The V files behind an unreadable one would never be reached: the run ends here.
    noteNextPair(m, "", {fileM, formulaM, place.fileV, place.formulaV + 1, totalFormulas});
    return END_UNREADABLE;
}

}  // namespace

RunEnd runSearch() {
    LoopState loop = {std::time(nullptr), std::time(nullptr), memLeft(), 0};
    long mTaken = 0;
    RunEnd cut = END_NONE;  // why the last V walk stopped early (stop file, low memory)
    RunEnd end = END_NONE;
    while (end == END_NONE) {
        const char *m = getNextFormulaM(STREAM_NEXT);
        // The run ends at the M after a V walk that stopped early; that M is never used.
        if (cut != END_NONE) {
            if (m != nullptr && isStop())
                std::fputs("*** stop.txt file detected, Exiting. ***", stdout);
            end = cut;
            break;
        }
        if (m == nullptr) {
            end = streamM.openFailed ? END_UNREADABLE : END_ALL_DONE;
            noteNextPair("", "", {presFileNumM, presFormulaNumM + 1, 0, 1, totalFormulas});
            break;
        }
        noteNextPair(m, "", {presFileNumM, presFormulaNumM, 0, 1, totalFormulas});
        if (mCountLimit > 0 && mTaken == mCountLimit) {
            end = END_M_COUNT;
        } else if (isStop()) {
            std::fputs("*** stop.txt file detected, Exiting. ***", stdout);
            end = END_STOP_FILE;
        } else if (loop.freeKb < minFreeKb) {
            // A reading below the threshold before the first pass is reported like any other.
            if (!loop.memoryLineWritten) noteMemoryLow(loop);
            end = END_LOW_MEMORY;
        } else {
            ++mTaken;
            end = walkV(m, presFileNumM, presFormulaNumM, loop);
            if (end == END_STOP_FILE || end == END_LOW_MEMORY) cut = end, end = END_NONE;
            getNextFormulaV(STREAM_REWIND);
        }
    }
    return end;
}

void settleLastPairs(int waitS) {
    const timespec nap = {0, 1000 * 1000};
    const time_t start = std::time(nullptr);
    const int signals = signalCount;
    for (;;) {
        const time_t now = std::time(nullptr);
        watchClients(now, 0);
        while (handOnCount > 0) {
            const PendingPair &p = handOnQueue[0];
            if (!trySend(p.m, p.v, p.letter, p.place, now)) break;
            --handOnCount;
            std::memmove(handOnQueue, handOnQueue + 1, handOnCount * sizeof(PendingPair));
        }
        int open = 0, serving = 0;  // pairs still with clients; clients that could take one
        for (ClientInfo &c : clientInfoArr) {
            serving += servesPairs(c);
            if (c.active && c.unsettled && !settleReply(c, mbLoadLetter(c.shm_ptr)) &&
                c.place.seq >= 0)
                ++open;
        }
        // Waiting helps only while a client holds a pair or could take one that waits.
        if ((open == 0 && (handOnCount == 0 || serving == 0)) || signalCount != signals ||
            std::difftime(now, start) >= waitS)
            break;
        nanosleep(&nap, nullptr);
    }
    auto giveUp = [](const char *m, const char *v, const PairPlace &place) {
        if (!appendUnevaluated(m, v)) {
            noteUnrecorded(m, v, place);
            return;
        }
        std::printf("\rpair M = %s, V = %s has no result; it is recorded in %s\n", m, v,
                    UNEVALUATED_FILE_NAME);
    };
    for (ClientInfo &c : clientInfoArr) {
        if (c.active && c.unsettled && !settleReply(c, mbLoadLetter(c.shm_ptr)) && c.place.seq >= 0)
            giveUp(c.lastM, c.lastV, c.place);
        c.unsettled = 0;
    }
    for (int i = 0; i < handOnCount; ++i)
        giveUp(handOnQueue[i].m, handOnQueue[i].v, handOnQueue[i].place);
    handOnCount = 0;
    std::fflush(stdout);
}
