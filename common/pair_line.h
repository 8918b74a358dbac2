// The pair lines of best.txt and unevaluated.txt, written by the coordinator and read by the
// campaign and the inspector: "M = <M>, V = <V>" and a line end, one pair per line.
#pragma once

#include <cstddef>
#include <string>

// Writes the line of the pair (m, v) into out (size bytes, NUL-terminated): "M = %s, V = %s\n",
// or without the final LF when v already ends with one. Returns its length; a line cut to fit
// keeps its line end.
std::size_t formatPairLine(char *out, std::size_t size, const char *m, const char *v);

// The pair as the text of its line, without the line end: "M = <m>, V = <v>".
std::string pairText(const std::string &m, const std::string &v);

// Reads a line (its line end may be there or not): returns 1 and the two formulas, each without
// blanks, CR or LF at its end, when it begins with "M = " and holds ", V = " (the first one
// separates them; V may be empty); else 0.
int parsePairLine(const std::string &line, std::string *m, std::string *v);
