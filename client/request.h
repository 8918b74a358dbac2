// The request splitter: takes the mailbox text "<letter>,M,V" apart into the two formula
// buffers.
//
// Uses the process-wide `formulas` (written) and `key` (for its messages).
//
// getFormulas(text) scans the text from byte 0 (the letter is its first part and is dropped)
// and copies M to formulas + FORMULA_M_OFFSET and V to formulas + FORMULA_V_OFFSET, each
// NUL-terminated. Result 0 when the text had exactly three parts and both formulas were taken
// whole (M of at most 493 characters, V of at most 492); 1 for a malformed request, after
// printing one line naming the fault with the key and the whole text. The buffers are never
// written beyond their bounds; after a malformed request they hold whatever the scan copied.
#pragma once

int getFormulas(const char *text);
