// Results of the pairs in the mailboxes (see replies.h).
#include "coordinator/replies.h"

#include <cstdio>
#include <cstring>

#include "coordinator/records.h"

namespace {
char scoreLine[LOG_LINE_SIZE];  // the score line is built here
}  // namespace

void collectScore(ClientInfo &c) {
    int score = mbReadScore(c.shm_ptr);
    ++numPassed;
    std::snprintf(scoreLine, sizeof scoreLine,
                  "*** score = %d ***, M = %s, V = %s, process key = %d\n", score, c.lastM, c.lastV,
                  c.key);
    const int recorded = appendBest(c.lastM, c.lastV);
    std::fputs(scoreLine, stdout);
    if (!recorded) noteUnrecorded(c.lastM, c.lastV, c.place);
}

void noteUnrecorded(const char *m, const char *v, const PairPlace &place) {
    recordFailed = 1;
    if (place.seq < 0 || (unrecordedPair.place.seq >= 0 && unrecordedPair.place.seq <= place.seq))
        return;
    std::snprintf(unrecordedPair.m, sizeof unrecordedPair.m, "%s", m);
    std::snprintf(unrecordedPair.v, sizeof unrecordedPair.v, "%s", v);
    unrecordedPair.place = place;
}

int settleReply(ClientInfo &c, char letter) {
    if (!mbIsIdle(letter)) return 0;
    if (c.unsettled && letter == MB_SCORED) collectScore(c);
    c.unsettled = 0;
    return 1;
}
