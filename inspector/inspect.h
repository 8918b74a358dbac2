// Inspecting one pair: the client's own scoring of it, recorded step by step, and why it
// scored what it did, in words.
//
// Uses the process-wide state of inspector/state.h (recordTbl, recordedSteps, quietFd)
// and, through evaluateFunction, the client's state; setupShowState() comes first.
//
// inspectPair(M text, V text, allCells, out) first applies the client's rule for texts it
// takes whole (M at most LONGEST_WHOLE_M characters, V at most LONGEST_WHOLE_V, neither with a
// comma or a line end, which split and end a request). A text it takes is scored by the
// client's evaluateFunction, the same code that answers a request, with the recorder on; the
// client's own line on a pass is kept off standard output. The words are then read off the
// client's result, its step count and the recorded fields; they never decide the score.
// Result: EXIT_EVALUATED when the field ran, EXIT_NOT_EVALUATED when a formula does not
// compile or has the wrong variables, EXIT_REFUSED for a text the client does not take; *out
// is filled in every case. recordTbl holds the field of each step run until the next call.
#pragma once

#include <cstddef>

// The check that decided a pair's score.
enum Reason {
    REASON_REFUSED,          // a text the client does not take whole: not evaluated
    REASON_NOT_COMPILED,     // a formula does not compile (score -1)
    REASON_WRONG_VARIABLES,  // a formula has other than four variables (score 0)
    REASON_SPREAD,           // the spread check after step 6 failed (score 0 or 1)
    REASON_NOT_FINITE,       // failed with the centre or a neighbour NaN or infinite
    REASON_PASSED,           // a rebound check passed (score 4)
    REASON_NO_PASS,          // 100 steps without a pass (score 0)
};

constexpr std::size_t WORDS_SIZE = 1024;  // the reason in words and its NUL

struct Inspection {
    int reason;     // one of Reason
    int score;      // the client's result; SCORE_FAILED when refused
    int steps;      // steps the client ran: 0 when the field did not run
    int firstCell;  // the zone shown: the cells that ever left the start state with a margin
    int lastCell;   //   on each side, or all cells; both 0 when the field did not run
    char words[WORDS_SIZE];  // why, in words
};

int inspectPair(const char *textM, const char *textV, int allCells, Inspection *out);

// Sends standard output to the null device (quietFd): the client prints its own line on a
// pass, and the expression library echoes characters it cannot read. Result: a duplicate of
// standard output to put back with restoreOutput, or -1 when nothing was changed.
int muteOutput();
void restoreOutput(int saved);

// The client's answer to the pair as it would stand in the mailbox: "s,4" or "f".
const char *clientAnswer(const Inspection &inspection);

// Writes a double as the inspector shows it: shortest exact form, "NaN", "inf" or "-inf".
// Returns `buffer`.
char *formatValue(double value, char *buffer, std::size_t size);
