// The service loop: polling the mailbox letter, answering requests and stopping on request.
#include "client/service.h"

#include <sched.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "client/field.h"
#include "client/request.h"
#include "client/state.h"

namespace {

// Answers an 'r' request: the score text and 's' for a score above 2, 'f' for anything else,
// a malformed request included. The letter is swapped from 'r' only, so that a stop letter
// written during the evaluation survives and the next poll acts on it.
void answerRun() {
    char letter = MB_FAILED;
    if (getFormulas(mailbox) == 0) {
        score = evaluateFunction(formulas + FORMULA_M_OFFSET, formulas + FORMULA_V_OFFSET);
        if (score > REPORTED_ABOVE) {
            mbWriteScoreText(mailbox, score);
            letter = MB_SCORED;
        }
    }
    mbSwapLetter(mailbox, MB_RUN, letter);
}

// Answers a 't' request with the self-test score, without looking at the text.
void answerSelfTest() {
    std::puts("*** nTest ***");
    score = SELFTEST_SCORE;
    mbWriteScoreText(mailbox, score);
    mbSwapLetter(mailbox, MB_SELFTEST, MB_SCORED);
}

int stopClient() {
    mbWriteExitConfirmation(mailbox);
    std::printf("\rclient %d Done!, exiting\n", key);
    std::fflush(stdout);
    detachMailbox();
    freeClientState();
    return 0;
}

// Called once per IDLE_POLLS_PER_CLOCK_LOOK idle polls. 1 when a second has passed since the
// last check (*lastCheck) and no other process is attached to the mailbox any more, so its
// coordinator is gone; also when the segment cannot be asked (it has been removed).
int orphaned(std::time_t *lastCheck) {
    std::time_t now = std::time(nullptr);
    if (now - *lastCheck < ORPHAN_CHECK_SECONDS) return 0;
    *lastCheck = now;
    const long attached = mbAttachCount(mailboxId);
    if (attached < 0) {
        std::perror("Error: could not get the status of the mailbox with shmctl()");
        return 1;
    }
    return attached <= 1 ? 1 : 0;
}

int stopOrphan() {
    std::printf("\rclient %d: its coordinator is gone (nobody else is attached), exiting\n", key);
    detachMailbox();
    freeClientState();
    return 0;
}

}  // namespace

int attachMailbox() {
    mailboxId = shmget(key, MB_SIZE, 0666);
    if (mailboxId == -1) {
        std::perror("Error: could not get shm_id with shmget()\n");
        return 1;
    }
    void *address = shmat(mailboxId, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) {
        std::perror("Error: could not get shm_id with shmget()\n");
        return 1;
    }
    mailbox = static_cast<char *>(address);
    return 0;
}

void detachMailbox() {
    if (mailbox) shmdt(mailbox);
    mailbox = nullptr;
}

void decidePolling() { yieldOnIdlePoll = mbYieldWhenIdle(); }

int serveRequests() {
    int idlePollsLeft = IDLE_POLLS_PER_CLOCK_LOOK;  // countdown to the next look at the clock
    std::time_t lastCheck = std::time(nullptr);     // when the attach count was last asked
    for (;;) {
        char letter = mbLoadLetter(mailbox);
        if (letter == MB_KILL) return stopClient();
        if (letter == MB_RUN) {
            answerRun();
        } else if (letter == MB_SELFTEST) {
            answerSelfTest();
        } else {
            if (--idlePollsLeft == 0) {
                idlePollsLeft = IDLE_POLLS_PER_CLOCK_LOOK;
                if (orphaned(&lastCheck)) return stopOrphan();
            }
            if (yieldOnIdlePoll) sched_yield();
        }
    }
}
