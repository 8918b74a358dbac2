// Test support for the generator: a symbol table from a text and back, the signature of a
// first run, and the run oracle: the formulas one raw candidate must yield, built directly
// from the run table with plain string work, independently of the cycle's code.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "generator/cycle.h"
#include "generator/fast_draw.h"
#include "generator/filter.h"
#include "generator/insertion.h"
#include "generator/odometer.h"
#include "generator/resume.h"
#include "generator/state.h"
#include "test/support.h"

// fnv1a over the 1.4 million formulas of a first run, each followed by ", ": the bytes of the
// 20 files it writes without their line ends. A change of this value is a change of the
// formulas written, and the commit that makes it says why.
constexpr std::uint64_t FIRST_RUN_SIGNATURE = 0x7890fcc67ea6203b;

// Stores the codes of text in tbl, zeros after it.
inline void load(int *tbl, const std::string &text) {
    memset(tbl, 0, SYMBL_TBL_SIZE * sizeof(int));
    for (size_t i = 0; i < text.size(); i++) tbl[i] = strchr(symbolChars, text[i]) - symbolChars;
}

// The text of tbl up to its first 0.
inline std::string render(const int *tbl) {
    std::string s;
    for (int i = 0; i < SYMBL_TBL_SIZE && tbl[i] != 0; i++) s += symbolChars[tbl[i]];
    return s;
}

// x with constant k in its first placeholder (none if k < 0), 1 in every further one, and
// function j before its first '(' (none if j < 0).
inline std::string decorate(const std::string &x, int j, int k) {
    std::string out;
    for (size_t i = 0; i < x.size(); i++) {
        if (i == x.find('(') && j >= 0) out += functTbl[j];
        if (x[i] != 'n') out += x[i];
        if (x[i] == 'n') out += i == x.find('n') && k >= 0 ? constantTbl[k] : "1";
    }
    return out;
}

// The run of x, in the order of the run table.
inline std::vector<std::string> expectedRun(const std::string &x) {
    bool hasN = x.find('n') != std::string::npos, hasParen = x.find('(') != std::string::npos;
    std::vector<std::string> run{decorate(x, -1, hasN ? 0 : -1)};
    for (int j = 1; hasParen && j <= 30; j++) {
        for (int k = j == 1 ? 1 : 2; hasN && k <= 18; k++) run.push_back(decorate(x, j, k));
        run.push_back(decorate(x, j, hasN ? 1 : -1));
    }
    for (int k = hasParen ? 2 : 1; hasN && k <= 18; k++) run.push_back(decorate(x, -1, k));
    return run;
}
