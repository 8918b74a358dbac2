// Test oracle: the run of decorated formulas that one raw candidate must yield, built
// directly from the run table with plain string work, independently of the cycle's code.
#pragma once

#include <string>
#include <vector>

#include "insertion.h"

// X with constant k in its first placeholder (none if k < 0), 1 in every further one, and
// function j before its first '(' (none if j < 0).
inline std::string decorate(const std::string &x, int j, int k) {
    std::string out;
    bool firstPlaceholder = true;
    bool firstParen = true;
    for (char c : x) {
        if (c == 'n') {
            out += firstPlaceholder && k >= 0 ? constantTbl[k] : "1";
            firstPlaceholder = false;
        } else if (c == '(') {
            if (firstParen && j >= 0) out += functTbl[j];
            firstParen = false;
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

inline std::vector<std::string> expectedRun(const std::string &x) {
    bool hasN = x.find('n') != std::string::npos;
    bool hasParen = x.find('(') != std::string::npos;
    std::vector<std::string> run;
    if (!hasN) {
        run.push_back(x);
        if (hasParen) {
            for (int j = 1; j <= 30; j++) run.push_back(decorate(x, j, -1));
        }
        return run;
    }
    run.push_back(decorate(x, -1, 0));
    if (hasParen) {
        for (int k = 1; k <= 18; k++) run.push_back(decorate(x, 1, k));
        run.push_back(decorate(x, 1, 1));
        for (int j = 2; j <= 30; j++) {
            for (int k = 2; k <= 18; k++) run.push_back(decorate(x, j, k));
            run.push_back(decorate(x, j, 1));
        }
        for (int k = 2; k <= 18; k++) run.push_back(decorate(x, -1, k));
    } else {
        for (int k = 1; k <= 18; k++) run.push_back(decorate(x, -1, k));
    }
    return run;
}
