// Compiling a formula text, with a memory of the texts that did not compile. The expression
// library leaks a little on every text it cannot compile, and in a search every V text comes
// back once per M, so a client asking it again and again would grow without bound. A text
// that failed once is remembered whole in a fixed table and fails again at once.
//
// Uses the process-wide table of state.h: failedTextTbl, failedTexts, failedTextsUsed,
// failedTextCount, failedTextsFull; and `key` for its message.
//
// compileFormula(text) returns the library's evaluator of text (the caller destroys it), or
// null when the text does not compile. A remembered text gives null without the library being
// asked; texts are compared byte for byte, so a text that compiles is never taken for one that
// failed. When the table is full (FAILED_TEXT_MAX texts, or FAILED_TEXT_BYTES of text), the
// client prints one line saying so; texts remembered until then still fail at once, and a new
// failing text is given to the library each time it comes (and leaks again).
#pragma once

void *compileFormula(const char *text);
