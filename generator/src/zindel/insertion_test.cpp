// Constant and function insertion: the examples, the byte-length limits and their exits.
#include "../../test/testutil.h"

TEST(GeneratorInsertion, FirstPlaceholderOrParenthesisOnlyWithinTheByteLimit) {
    int bytes[] = {7, 2, 1, 4, 5, 6, 3, 16, 15, 11, 18, 17, 4, 1, 3, 5, 9, 15, 15};  // 3 U+2212
    for (int i = 0; i < CONSTANT_TBL_SIZE; i++) EXPECT_EQ(strlen(constantTbl[i]), bytes[i] + 0u);
    std::string paren111 = "(M+m)*" + std::string(105, 'V'), v100(100, 'V');
    // clang-format off
    std::tuple<char *(*)(char *, int), std::string, int, std::string> cases[] = {
        {addConstant, "M*n+V-n", 1, "M*pi+V-n"}, {addConstant, "M+V", 3, "M+V"},
        {addConstant, "sin(M)*n", 2, "sie(M)*n"},  // the first n, whatever it belongs to
        {addFunct, "M*(V+m)-(v)", 3, "M*sin(V+m)-(v)"}, {addFunct, "M+V", 2, "M+V"},
        {addFunct, paren111, 30, "nandelta" + paren111},                          // 111 + 8 bytes
        {addConstant, "n" + v100, 10, "1.25663706212E\xE2\x88\x92" "6" + v100}};  // 101 + 18
    // clang-format on
    for (auto &[insert, text, index, result] : cases) EXPECT_EQ(insert(text.data(), index), result);
    // Failures print their message and end the process with 0.
    const char *c = "addConstant failed", *f = "addFunct failed";
    // clang-format off
    std::tuple<char *(*)(char *, int), std::string, int, int, std::string> failures[] = {
        {addConstant, std::string(112, 'V'), 7, 0,  // 112 + 16 bytes, and no n
         "^addConstant failed. test_F = V{112} presConstantNum = 0\n$"},
        {addConstant, std::string(102, 'V'), 10, 0, c}, {addFunct, "(M)", 31, 0, f},  // 102 + 18
        {addConstant, "M*n", 19, 0, c}, {addConstant, "M*n", -1, 0, c}, {addFunct, "(M)", -1, 0, f},
        {addConstant, "M*n", 1, 19, "^addConstant failed. test_F = M\\*n presConstantNum = 19\n$"},
        {addFunct, "(M+m)*" + std::string(106, 'V'), 30, 4,  // 112 + 8 bytes
         "^addFunct failed. test_F = \\(M\\+m\\)\\*V{106} presFunctNum = 4\n$"},
        {addFunct, "(M)", 1, 31, "^addFunct failed. test_F = \\(M\\) presFunctNum = 31\n$"}};
    // clang-format on
    for (auto &[insert, text, index, counter, re] : failures) {
        (insert == addConstant ? presConstantNum : presFunctNum) = counter;
        EXPECT_EXITS(insert(text.data(), index), 0, re);
        presConstantNum = presFunctNum = 0;
    }
}
