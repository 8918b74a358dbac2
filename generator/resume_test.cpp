// Reading a formula back into symbol codes to resume after it. What follows a resume is
// checked through the real program (generator/test/driver_test.cpp).
#include "generator/test/testutil.h"

TEST(GeneratorResume, ReadsFormulasBackIntoCodes) {
    std::string at120, sixty;  // 120 bytes of "100+", then a byte that fails if it is read
    for (int i = 0; i < 30; i++) at120 += "100+", sixty += "n+";
    // clang-format off
    std::tuple<std::string, int, std::string> cases[] = {
        {"M*pi+m-V/v", 1, "M*n+m-V/v"}, {"n*N", 1, "n*N"}, {"(M+1E-2)*1e+5/v", 1, "(M+n)*n/v"},
        {"8.8541878128E12-100", 1, "n-n"}, {"e*loge+log2e/log10e-ln2", 1, "n*n+n/n-n"},
        {"log(M+log2e)*ln2", 1, "(M+n)*n"}, {"", 1, ""}, {"sin(M)", 0, ""}, {"exp(M)", 0, "n"},
        {"M*6.62607015E\xE2\x88\x92" "34", 0, "M*n"}, {"M+px", 0, "M+"}, {"M, V", 0, "M"},
        {"M+.5", 0, "M+"}, {at120 + "x", 1, sixty}, {"M+" + std::string(130, '7'), 1, "M+n"}};
    // clang-format on
    for (auto &[text, result, codes] : cases) {
        next_try(1);
        EXPECT_EQ(recoverSymbolNumTbl(text.data()), result) << text;
        EXPECT_EQ(render(symblNumTbl), codes) << text;
    }
}
