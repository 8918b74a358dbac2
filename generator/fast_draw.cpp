// Fast drawing of raw candidates (see fast_draw.h for why it pays).
//
// The search walks a string from its rightmost (most significant) position to the left,
// keeping for each suffix s[k..] the count of ')' minus '(' and the set of variables it
// holds. A suffix is dead when preTest rejects it whatever the positions 0..k-1 hold:
//   - a rule window that lies inside the suffix: two operands in a row; an operator before
//     an operator, a ')' or the end; '(' before the end, a ')' or an operator; '(' enclosing
//     one or two symbols; ')' before an operand (rejected by the count of ')' or, if any
//     '(' exists, by the rule against an operand after ')'); an operand before '(' (that
//     '(' is not the first character and a '(' exists, so the rule against it applies);
//   - the suffix holds more '(' than ')': either the counts differ in the end or some
//     prefix closes more than it opened;
//   - the prefix is too short for what it must still supply: each missing variable takes a
//     position, consecutive variables need a position between them that is not '(' (a
//     variable before '(' is rejected), and the surplus of ')' needs as many '(' there.
// At k = 0 the same checks plus "no operator first" are exactly preTest. A dead suffix
// moves position k on to its next code (lower positions back to 1), which steps over all
// 12^k strings that share the suffix, as 12^k odometer steps would.
#include "generator/fast_draw.h"

#include "generator/constants.h"
#include "generator/odometer.h"
#include "generator/state.h"

namespace {

constexpr int END = 0;  // the code standing for "end of text" past the last symbol
constexpr int OPEN = 10;
constexpr int CLOSE = 11;
constexpr int ALL_VARIABLES = 0xF;  // M, V, m, v

// Class tables by code 0..12.
constexpr bool operandCode[MAX_SYMBOL_CODE + 1] = {false, true,  true,  true,  true,  true, false,
                                                   false, false, false, false, false, true};
constexpr bool operatorCode[MAX_SYMBOL_CODE + 1] = {false, false, false, false, false, false, true,
                                                    true,  true,  true,  false, false, false};
constexpr unsigned variableBit[MAX_SYMBOL_CODE + 1] = {0, 1, 2, 4, 8, 0, 0, 0, 0, 0, 0, 0, 0};

// Code at position i of a string of len symbols, END past its end.
inline int codeAt(const int *tbl, int len, int i) { return i < len ? tbl[i] : END; }

// 1 if a rule window that begins at position k, and lies wholly in s[k..], rejects.
inline bool windowDead(const int *tbl, int len, int k) {
    int c0 = tbl[k];
    int c1 = codeAt(tbl, len, k + 1);
    if (operandCode[c0]) return operandCode[c1] || c1 == OPEN;
    if (operatorCode[c0]) return k == 0 || operatorCode[c1] || c1 == END || c1 == CLOSE;
    if (c0 == CLOSE) return operandCode[c1];
    if (c0 == OPEN) {
        if (c1 == END || c1 == CLOSE || operatorCode[c1]) return true;
        int c2 = codeAt(tbl, len, k + 2);
        if (c2 == CLOSE) return true;
        return c2 != END && codeAt(tbl, len, k + 3) == CLOSE;
    }
    return false;
}

// Positions the prefix 0..k-1 needs for what the suffix lacks (see the note at the top).
inline int positionsNeeded(int surplusClose, unsigned variables) {
    int missing = 4 - __builtin_popcount(variables);
    return (missing > 0 ? 2 * missing - 1 : 0) + surplusClose;
}

}  // namespace

void seekAccepted(int *tbl) {
    int len = 0;
    while (len <= LAST_ODOMETER_POS && tbl[len] != 0) len++;
    if (len == 0) tbl[len++] = 1;  // the empty string is rejected; "M" comes next

    // surplus[k], variables[k]: the state of suffix s[k..]; index len is the empty suffix.
    int surplus[SYMBL_TBL_SIZE + 1];
    unsigned variables[SYMBL_TBL_SIZE + 1];
    surplus[len] = 0;
    variables[len] = 0;
    int k = len - 1;
    while (k >= 0) {
        int c = tbl[k];
        if (!windowDead(tbl, len, k)) {
            int s = surplus[k + 1] + (c == CLOSE) - (c == OPEN);
            unsigned v = variables[k + 1] | variableBit[c];
            if (s >= 0 && positionsNeeded(s, v) <= k) {
                surplus[k] = s;
                variables[k] = v;
                k--;
                continue;
            }
        }
        // Dead suffix: next code at position k, carrying rightwards as the odometer does.
        while (tbl[k] == MAX_SYMBOL_CODE) {
            tbl[k] = 1;
            k++;
            if (k == len) break;
        }
        if (k == len) {
            // Carry out of the top: one symbol longer, or the wrap at the last position.
            if (len <= LAST_ODOMETER_POS) len++;
            for (int i = 0; i < len; i++) tbl[i] = 1;
            surplus[len] = 0;
            variables[len] = 0;
            k = len - 1;
            continue;
        }
        tbl[k]++;
        for (int i = 0; i < k; i++) tbl[i] = 1;
    }
}

char *nextAccepted() {
    stepTbl(symblNumTbl);
    seekAccepted(symblNumTbl);
    genFormula[0] = '\0';
    tblToFormula(genFormula);
    return genFormula;
}
