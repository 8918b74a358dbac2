// The pair corpus of the tests and benchmarks: client/test/pairs.txt, one pair per line as
// "M V" (the formulas contain no blank), grouped by M like the coordinator's order; lines
// starting with '#' name the group that follows and are skipped.
#pragma once

#include <string>
#include <vector>

struct CorpusPair {
    std::string m;
    std::string v;
};

// Reads the corpus from `path` (default: the file in the source tree). Returns an empty list
// after printing the reason when the file cannot be read or a line has no blank.
std::vector<CorpusPair> loadCorpus(const char *path = QUARN_CORPUS_PATH);
