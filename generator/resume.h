// Resuming the enumeration after a given formula: the formula is read back into symbol codes
// so that the odometer stands on the raw candidate it was made from. Numbers and named
// constants read back as the placeholder n; the function name log is skipped; any other
// function name, letter or byte fails.
#pragma once

// Rebuilds symblNumTbl from startF through addToNumTbl, starting at index 0, reading at
// most 120 bytes. Returns 1 when the text was read to its end or to the limit, 0 at a
// character that cannot be read (the codes before it stay in the table). Ends the process
// (through addToNumTbl) when a 100th code would be stored.
unsigned char recoverSymbolNumTbl(char *startF);

// The resume mode of zindel: resets the cycle, rebuilds the table from startF, prints the
// codes when that fails, renders the table into test_F and oldFormula, sets presConstantNum
// to 1 if the candidate has a placeholder, prints "recovered formula: %s\n". Returns test_F,
// or a text "error" (static, never changed) when the formula could not be read.
char *resumeCycle(char *startF);
