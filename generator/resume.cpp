// Resuming after a given formula: reading a decorated formula back into symbol codes, and
// the resume mode of the generation cycle.
#include "generator/resume.h"

#include <cstdio>
#include <cstring>

#include "generator/cycle.h"
#include "generator/odometer.h"
#include "generator/state.h"

namespace {

constexpr int PLACEHOLDER_CODE = 5;

// The text zindel returns for a formula that cannot be read.
char errorText[] = "error";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the character at i continues the number that began before it.
bool continuesNumber(const char *s, int i) {
    char c = s[i];
    if (isDigit(c) || c == '.' || c == 'E' || c == 'e') return true;
    return (c == '+' || c == '-') && (s[i - 1] == 'E' || s[i - 1] == 'e');
}

// Code of a one-character token, 0 for none.
int singleCode(char c) {
    switch (c) {
        case 'M':
            return 1;
        case 'V':
            return 2;
        case 'm':
            return 3;
        case 'v':
            return 4;
        case 'n':
            return PLACEHOLDER_CODE;
        case 'e':
            return PLACEHOLDER_CODE;
        case '+':
            return 6;
        case '-':
            return 7;
        case '*':
            return 8;
        case '/':
            return 9;
        case '(':
            return 10;
        case ')':
            return 11;
        case 'N':
            return 12;
        default:
            return 0;
    }
}

// A token beginning with 'l' at i: the constants loge, log2e, log10e and ln2 read as a
// placeholder; the function log and anything else store nothing. Returns the index of the
// token's last character consumed.
int readL(const char *s, int i) {
    if (s[i + 1] == 'o' && s[i + 2] == 'g') {
        i += 2;
        if (s[i + 1] == 'e') {
            addToNumTbl(PLACEHOLDER_CODE);
            return i + 1;
        }
        if (s[i + 1] == '2' && s[i + 2] == 'e') {
            addToNumTbl(PLACEHOLDER_CODE);
            return i + 2;
        }
        if (s[i + 1] == '1' && s[i + 2] == '0' && s[i + 3] == 'e') {
            addToNumTbl(PLACEHOLDER_CODE);
            return i + 3;
        }
    }
    if (s[i + 1] == 'n' && s[i + 2] == '2') {
        addToNumTbl(PLACEHOLDER_CODE);
        return i + 2;
    }
    return i;
}

}  // namespace

unsigned char recoverSymbolNumTbl(char *startF) {
    numTblPos = 0;
    if (startF[0] == '\0') return 1;
    int i = 0;  // bytes read so far, and the current character
    for (;;) {
        if (isDigit(startF[i])) {
            while (i < RECOVER_MAX_BYTES && startF[i] != '\0' && continuesNumber(startF, i)) i++;
            addToNumTbl(PLACEHOLDER_CODE);
            if (i >= RECOVER_MAX_BYTES) return 1;
        }
        char c = startF[i];
        if (c == '\0') return 1;
        if (c == 'l') {
            i = readL(startF, i);
        } else if (c == 'p') {
            if (startF[i + 1] != 'i') return 0;
            addToNumTbl(PLACEHOLDER_CODE);
            i++;
        } else {
            int code = singleCode(c);
            if (code == 0) return 0;
            addToNumTbl(code);
        }
        i++;
        if (i >= RECOVER_MAX_BYTES || startF[i] == '\0') return 1;
    }
}

char *resumeCycle(char *startF) {
    clearCycle();
    unsigned char parsed = recoverSymbolNumTbl(startF);
    if (!parsed) printSymblNumTbl();
    tblToFormula(test_F);
    strcpy(oldFormula, test_F);
    if (strchr(test_F, 'n') != nullptr) presConstantNum = 1;
    printf("recovered formula: %s\n", test_F);
    return parsed ? test_F : errorText;
}
