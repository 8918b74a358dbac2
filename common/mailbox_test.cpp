// The mailbox texts the coordinator reads (the score, the stop confirmation), the bytes of the
// confirmation, and the answer swap. Requests and replies travel in the client's process tests.
#include "common/mailbox.h"

#include <gtest/gtest.h>

namespace {

TEST(Mailbox, ScoreAndStopConfirmationAreReadExactly) {
    char box[MB_SIZE];
    for (const auto &[text, score] : std::vector<std::pair<const char *, int>>{
             {"s,4\n", 4}, {"s,123456\n", 12345}, {"s,\n", 0}, {"s,7,9", 7}, {"s,12ab\n", 12}}) {
        std::strcpy(box, text);
        EXPECT_EQ(score, mbReadScore(box)) << text;
    }
    for (const char *text : {"exit", "exit\r", "exit\nx", "Exit\n"}) {
        std::strcpy(box, text);
        EXPECT_EQ(0, mbIsExitConfirmation(box)) << text;
    }
    // The confirmation writes its six bytes, and not the byte behind them.
    std::memset(box, '#', sizeof MB_EXIT_TEXT + 1);
    mbWriteExitConfirmation(box);
    EXPECT_EQ(1, mbIsExitConfirmation(box));
    EXPECT_EQ('#', box[sizeof MB_EXIT_TEXT]);
}

TEST(Mailbox, AnswerSwapLeavesAStopLetterInPlace) {
    char box[MB_SIZE] = {MB_RUN};
    EXPECT_EQ(1, mbSwapLetter(box, MB_RUN, MB_FAILED));
    mbStoreLetter(box, MB_KILL);
    EXPECT_EQ(0, mbSwapLetter(box, MB_RUN, MB_SCORED));
    EXPECT_EQ(MB_KILL, mbLoadLetter(box));
}

}  // namespace
