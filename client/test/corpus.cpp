// Reading the pair corpus.
#include "corpus.h"

#include <cstdio>
#include <fstream>

std::vector<CorpusPair> loadCorpus(const char *path) {
    std::vector<CorpusPair> pairs;
    std::ifstream in(path);
    if (!in) {
        std::printf("cannot read the pair corpus %s\n", path);
        return pairs;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::size_t blank = line.find(' ');
        if (blank == std::string::npos) {
            std::printf("corpus line without a blank: %s\n", line.c_str());
            return {};
        }
        pairs.push_back({line.substr(0, blank), line.substr(blank + 1)});
    }
    return pairs;
}
