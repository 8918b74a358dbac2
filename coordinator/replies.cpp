// Results of the pairs in the mailboxes (see replies.h).
#include "replies.h"

#include <cstdio>

#include "records.h"

namespace {
char scoreLine[LOG_LINE_SIZE];  // the score line is built here
}  // namespace

void collectScore(ClientInfo &c) {
    int score = mbReadScore(c.shm_ptr);
    ++numPassed;
    std::snprintf(scoreLine, sizeof scoreLine,
                  "*** score = %d ***, M = %s, V = %s, process key = %d\n", score, c.lastM, c.lastV,
                  c.key);
    appendBest(c.lastM, c.lastV);
    std::fputs(scoreLine, stdout);
}

int settleReply(ClientInfo &c, char letter) {
    if (!mbIsIdle(letter)) return 0;
    if (c.unsettled && letter == MB_SCORED) collectScore(c);
    c.unsettled = 0;
    return 1;
}
