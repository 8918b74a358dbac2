// Constant and function insertion at the edges the generation cycle does not reach: the
// first placeholder whatever it belongs to, the byte-length limit, a letter just behind a
// function name, and the failures, which end the process. Ordinary insertions are checked by the
// run table (cycle_test.cpp).
#include "generator/test/testutil.h"

TEST(GeneratorInsertion, InsertsWithinTheByteLimitAndEndsTheProcessBeyondIt) {
    std::string paren111 = "(M+m)*" + std::string(105, 'V');
    EXPECT_EQ(addConstant(std::string("sin(M)*n").data(), 2), std::string("sie(M)*n"));
    EXPECT_EQ(addFunct(paren111.data(), 30), "nandelta" + paren111);  // 111 + 8 bytes
    std::string logN = "log+n";  // the n right behind a function name is not inside it
    EXPECT_EQ(isFunctName(logN.data(), logN.data() + 4), 0);
    // clang-format off
    std::tuple<char *(*)(char *, int), std::string, int, int, std::string> failures[] = {
        {addConstant, std::string(112, 'V'), 7, 0,  // 112 + 16 bytes (U+2212 takes 3), no n
         "^addConstant failed. test_F = V{112} presConstantNum = 0\n$"},
        {addConstant, "M*n", -1, 0, "addConstant failed"},
        {addConstant, "M*n", 1, 19, "^addConstant failed. test_F = M\\*n presConstantNum = 19\n$"},
        {addFunct, paren111 + "V", 30, 4,
         "^addFunct failed. test_F = \\(M\\+m\\)\\*V{106} presFunctNum = 4\n$"},
        {addFunct, "(M)", -1, 0, "addFunct failed"},
        {addFunct, "(M)", 1, 31, "^addFunct failed. test_F = \\(M\\) presFunctNum = 31\n$"}};
    // clang-format on
    for (auto &[insert, text, index, counter, re] : failures) {
        (insert == addConstant ? presConstantNum : presFunctNum) = counter;
        EXPECT_EXITS(insert(text.data(), index), 0, re);
        presConstantNum = presFunctNum = 0;
    }
}
