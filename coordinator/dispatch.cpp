// The dispatch loop (see dispatch.h).
#include "dispatch.h"

#include <sched.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "records.h"
#include "shutdown.h"
#include "streams.h"
#include "timing.h"

namespace {

// The loop's timers and its last free-memory reading, kept across the passes of the M loop.
struct LoopState {
    time_t checkTimer;     // start of the current 1-second interval (stop file, free memory)
    time_t progressTimer;  // start of the current 10-second interval (progress line)
    long freeKb;           // last reading of memLeft()
    int memoryLineWritten; // 1 once the "Memory too low" line has been written
};

char lineBuf[LOG_LINE_SIZE];  // the log, progress and score lines are built here
char replySettled[MB_NUM_CLIENTS];  // at the end: 1 once a mailbox's last reply is dealt with

void writeMemoryLine(LoopState &loop) {
    char stamp[STAMP_SIZE];
    formatLocalTime(stamp, std::time(nullptr));
    std::snprintf(lineBuf, sizeof lineBuf, "**** Memory too low: %s Exiting ****\n", stamp);
    logAppend(lineBuf);
    std::fputs(lineBuf, stdout);
    loop.memoryLineWritten = 1;
}

void writeProgressLine(const char *m, const char *v) {
    std::snprintf(lineBuf, sizeof lineBuf,
                  "log. M = %s, V = %s, fileM = %d, formulaM = %d, fileNumV = %d, "
                  "formulaNumV = %d, total = %ld, numPassed = %ld\n",
                  m, v, presFileNumM, presFormulaNumM, presFileNumV, presFormulaNumV,
                  totalFormulas, numPassed);
    logAppend(lineBuf);
    std::fputs(lineBuf, stdout);
    std::fflush(stdout);
}

// Hands the pair to the first idle mailbox, collecting the reply that mailbox holds. Gives the
// pair up after 10 seconds without an idle mailbox.
void placePair(const char *m, const char *v) {
    time_t assignTimer = std::time(nullptr);
    for (;;) {
        if (secondsSince(assignTimer) >= ASSIGN_TIMEOUT_S) {
            std::puts("----- time out waiting for assign -----");
            return;
        }
        for (ClientInfo &c : clientInfoArr) {
            char letter = mbLoadLetter(c.shm_ptr);
            if (!mbIsIdle(letter)) continue;
            if (letter == MB_SCORED) collectScore(c);
            std::strcpy(c.lastM, m);
            std::strcpy(c.lastV, v);
            mbWriteRequest(c.shm_ptr, m, v,
                           totalFormulas == SELFTEST_AT_TOTAL ? MB_SELFTEST : MB_RUN);
            ++totalFormulas;
            return;
        }
        if (yieldWhenIdle) sched_yield();
        pollInterrupt();
    }
}

// One pass of the V stream for the formula m. Returns early when stop.txt appears or free
// memory runs low; the M loop then ends the search.
void walkV(const char *m, LoopState &loop) {
    const char *v;
    while ((v = getNextFormulaV(0)) != nullptr) {
        pollInterrupt();
        time_t now = std::time(nullptr);
        if (std::difftime(now, loop.checkTimer) >= CHECK_INTERVAL_S) {
            if (isStop()) return;
            loop.freeKb = memLeft();
            if (loop.freeKb < minFreeKb) {
                writeMemoryLine(loop);
                return;
            }
            loop.checkTimer = now;
        }
        if (std::difftime(now, loop.progressTimer) >= PROGRESS_INTERVAL_S) {
            writeProgressLine(m, v);
            loop.progressTimer = now;
        }
        placePair(m, v);
    }
}

}  // namespace

void collectScore(ClientInfo &c) {
    int score = mbReadScore(c.shm_ptr);
    ++numPassed;
    std::snprintf(lineBuf, sizeof lineBuf, "*** score = %d ***, M = %s, V = %s, process key = %d\n",
                  score, c.lastM, c.lastV, c.key);
    appendBest(c.lastM, c.lastV);
    std::fputs(lineBuf, stdout);
}

void collectLastReplies(int waitS) {
    const timespec nap = {0, 1000 * 1000};
    time_t start = std::time(nullptr);
    for (;;) {
        int pending = 0;
        for (int i = 0; i < MB_NUM_CLIENTS; ++i) {
            ClientInfo &c = clientInfoArr[i];
            if (!c.active || replySettled[i]) continue;
            char letter = mbLoadLetter(c.shm_ptr);
            if (!mbIsIdle(letter)) {
                ++pending;
                continue;
            }
            if (letter == MB_SCORED) collectScore(c);
            replySettled[i] = 1;
        }
        if (pending == 0 || sigintReceived || secondsSince(start) >= waitS) break;
        nanosleep(&nap, nullptr);
    }
    std::fflush(stdout);
}

void runSearch() {
    LoopState loop = {std::time(nullptr), std::time(nullptr), memLeft(), 0};
    const char *m;
    while ((m = getNextFormulaM(0)) != nullptr) {
        if (isStop()) {
            std::fputs("*** stop.txt file detected, Exiting. ***", stdout);
            break;
        }
        if (loop.freeKb < minFreeKb) {
            // A reading below the threshold before the first pass is reported like any other.
            if (!loop.memoryLineWritten) writeMemoryLine(loop);
            break;
        }
        walkV(m, loop);
        getNextFormulaV(2);
    }
    std::puts("all done.");
    std::fflush(stdout);
    napUnlessInterrupted(END_PAUSE_S);
    pollInterrupt();
    collectLastReplies(COLLECT_WAIT_S);
    pollInterrupt();
    closeAndFree(clientInfoArr);
}
