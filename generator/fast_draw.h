// Fast drawing of raw candidates. Walking the odometer string by string is hopeless (the
// first 1.4 million formulas lie behind 10^11 strings), and nearly every string fails
// preTest on a rule that involves only the symbols from some position k rightwards. As the
// leftmost symbol varies fastest, all 12^k strings that differ only left of k then fail
// too, and the search steps over them at once. The result is exactly the sequence of
// strings that literal stepping with preTest accepts.
#pragma once

// Moves tbl (laid out like symblNumTbl) to the first string at or after its current one, in
// odometer order, that preTest accepts. The table must hold a sequence of 1 to 99 codes in
// 1..12. Past the last string of length 99 the search wraps to the first, as the odometer.
void seekAccepted(int *tbl);

// One odometer step on symblNumTbl, then seekAccepted; renders the string into genFormula
// and returns it (valid until the next call). Replaces the loop "next_try(0) until preTest".
char *nextAccepted();
