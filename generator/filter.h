// The structural filter: a cheap screen of raw candidates before any decoration. It checks
// which symbol may stand next to which, counts parentheses, rejects parentheses around one
// or two symbols and demands all four variables M, m, V, v. It does not parse.
#pragma once

// Returns 1 if the raw candidate passes, 0 if it is rejected. Reads at most 120 characters
// of test_F and changes nothing.
unsigned char preTest(char *test_F);
