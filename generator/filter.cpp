// The structural filter preTest. It is the definition of an acceptable raw candidate;
// seekAccepted (fast_draw.cpp) finds the same candidates without trying each string.
#include "generator/filter.h"

#include "generator/constants.h"

namespace {

bool isOperator(char c) { return c == '+' || c == '-' || c == '*' || c == '/'; }

bool isOperand(char c) {
    return c == 'M' || c == 'N' || c == 'V' || c == 'm' || c == 'n' || c == 'v';
}

}  // namespace

unsigned char preTest(char *test_F) {
    if (isOperator(test_F[0])) return 0;  // no unary operator

    unsigned char openParen = 0;
    unsigned char closeParen = 0;
    bool var_M = false, var_m = false, var_V = false, var_v = false;
    int i = 0;
    for (; i < PRETEST_MAX_CHARS && test_F[i] != '\0'; i++) {
        char c = test_F[i];
        char next = test_F[i + 1];
        if (isOperand(c)) {
            if (isOperand(next)) return 0;
            if (c == 'M') var_M = true;
            if (c == 'm') var_m = true;
            if (c == 'V') var_V = true;
            if (c == 'v') var_v = true;
        } else if (isOperator(c)) {
            if (isOperator(next) || next == '\0') return 0;
        } else if (c == '(') {
            if (next == '\0' || next == ')' || isOperator(next)) return 0;
            openParen++;
            // One or two symbols enclosed: "(x)" or "(xy)".
            char third = test_F[i + 2];
            if (third == ')') return 0;
            if (third != '\0' && test_F[i + 3] == ')') return 0;
        } else if (c == ')') {
            closeParen++;
            if (closeParen > openParen) return 0;
            if (i > 0 && isOperator(test_F[i - 1])) return 0;
        }
    }

    if (openParen != 0) {
        if (closeParen != openParen) return 0;
        for (int j = 0; j < i; j++) {
            if (test_F[j] == '(' && j > 0 && isOperand(test_F[j - 1])) return 0;
            if (test_F[j] == ')' && isOperand(test_F[j + 1])) return 0;
        }
    }
    return var_M && var_m && var_V && var_v ? 1 : 0;
}
