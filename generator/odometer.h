// The symbol odometer: raw candidates are strings over twelve symbols, counted in a fixed
// order. symblNumTbl (state.h) holds the current string as codes, entry 0 leftmost and least
// significant, so the leftmost symbol varies fastest and shorter strings come first.
//
// Codes: 1 M, 2 V, 3 m, 4 v, 5 n, 6 +, 7 -, 8 *, 9 /, 10 (, 11 ), 12 N; 0 ends the sequence.
// Owns symblNumTbl, numTblPos and genFormula.
#pragma once

// The character of code 1..12 (index 0 and anything else outside the alphabet unused).
extern const char symbolChars[];

// One odometer step of a table laid out like symblNumTbl (incsymblNumTbl steps that one).
void stepTbl(int *tbl);

// One odometer step over entries 0..98: raise the first entry below 12 by one, every entry
// before it becomes 1. A carry out of entry 98 leaves entries 0..98 all 1 (entry 99 stays 0).
void incsymblNumTbl();

// reset == 1: clear the table and genFormula, return the empty text, no step.
// Otherwise: one step, then render the table into genFormula. Returns genFormula, valid
// until the next call.
char *next_try(unsigned char reset);

// Appends the characters of the table (up to its first 0) to the text already in text. A code
// outside 1..12 turns the whole text into "Error"; a table with no 0 in its 100 entries turns
// it into "Done" and ends the process with status 1.
void tblToFormula(char *text);

// Stores num at numTblPos and advances it; storing at index 99 prints "symbolNumTbl is full"
// and ends the process with status 0.
void addToNumTbl(int num);

// Prints the codes up to the first 0 as "%d, ", with a line break after the entries at
// indexes 25, 50 and 75, and one line break at the end.
void printSymblNumTbl();
