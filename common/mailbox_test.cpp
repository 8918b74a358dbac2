// Tests of the mailbox texts: the score reader, the request and reply layouts, the stop
// confirmation.
#include "mailbox.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Box {
    char bytes[MB_SIZE];
    Box() { std::memset(bytes, '#', sizeof bytes); }
};

TEST(Mailbox, RequestIsLetterCommaMCommaVWithTheLetterLast) {
    Box box;
    mbWriteRequest(box.bytes, MB_SEED_FORMULA, MB_SEED_FORMULA, MB_RUN);
    EXPECT_STREQ(box.bytes, "r,M+m+V+v,M+m+V+v");
    mbWriteRequest(box.bytes, "a", "b", MB_SELFTEST);
    EXPECT_STREQ(box.bytes, "t,a,b");
}

TEST(Mailbox, ScoreReplyAndScoreReader) {
    Box box;
    mbWriteScoreText(box.bytes, 4);
    mbStoreLetter(box.bytes, MB_SCORED);
    EXPECT_EQ(0, std::memcmp(box.bytes, "s,4\n", 5));
    EXPECT_EQ(4, mbReadScore(box.bytes));

    struct Case { const char *text; int score; } cases[] = {
        {"s,3\n", 3}, {"s,123456\n", 12345}, {"s,\n", 0}, {"s,", 0}, {"s,7,9", 7}, {"s,-2\n", -2},
        {"s,12ab\n", 12},
    };
    for (const auto &c : cases) {
        std::strcpy(box.bytes, c.text);
        EXPECT_EQ(c.score, mbReadScore(box.bytes)) << c.text;
    }
}

TEST(Mailbox, IdleIsAnyLetterButRunAndSelftest) {
    for (char letter : {MB_SCORED, MB_FAILED, MB_WRITING, MB_KILL, 'e', '\0'})
        EXPECT_EQ(1, mbIsIdle(letter)) << letter;
    EXPECT_EQ(0, mbIsIdle(MB_RUN));
    EXPECT_EQ(0, mbIsIdle(MB_SELFTEST));
}

TEST(Mailbox, OnlyTheExactTextCountsAsStopConfirmation) {
    Box box;
    mbWriteRequest(box.bytes, "M+m+V+v", "M+m+V+v", MB_KILL);
    EXPECT_EQ(0, mbIsExitConfirmation(box.bytes));
    mbWriteExitConfirmation(box.bytes);
    EXPECT_EQ(0, std::memcmp(box.bytes, "exit\n", 6));
    EXPECT_EQ(1, mbIsExitConfirmation(box.bytes));
    for (const char *text : {"exit", "exit\r", "exit\nx", "exi\n", "Exit\n"}) {
        std::strcpy(box.bytes, text);
        EXPECT_EQ(0, mbIsExitConfirmation(box.bytes)) << text;
    }
}

TEST(Mailbox, SwapFailsWhenTheStopLetterArrivedMeanwhile) {
    Box box;
    mbStoreLetter(box.bytes, MB_RUN);
    EXPECT_EQ(1, mbSwapLetter(box.bytes, MB_RUN, MB_FAILED));
    EXPECT_EQ(MB_FAILED, mbLoadLetter(box.bytes));
    mbStoreLetter(box.bytes, MB_KILL);
    EXPECT_EQ(0, mbSwapLetter(box.bytes, MB_RUN, MB_SCORED));
    EXPECT_EQ(MB_KILL, mbLoadLetter(box.bytes));
}

}  // namespace
