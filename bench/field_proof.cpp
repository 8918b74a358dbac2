// The proof of the client's field over a catalogue: the first N pairs in the search's order (M
// in the outer loop, every formula of the catalogue as V), each scored by the client and by the
// library-based scorer, compared at every step bit for bit (any NaN equals any NaN).
//
//   field_proof <catalogue folder> [pairs, default 10000000]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "catalogue.h"
#include "literal.h"

int main(int argc, char **argv) {
    if (argc < 2 || argc > 3 || setupClientState() != 0) {
        std::fprintf(stderr, "usage: field_proof <catalogue folder> [pairs]\n");
        return 2;
    }
    long pairs = argc == 3 ? std::atol(argv[2]) : 10000000;
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> catalogue = readCatalogue(argv[1]);
    FILE *report = fdopen(dup(STDOUT_FILENO), "w");
    if (catalogue.empty() || !report || !std::freopen("/dev/null", "w", stdout)) return 2;
    long done = 0, differ = 0, results[6] = {};  // results -1, 0, 1, 4 at 0, 1, 2, 5
    for (std::size_t m = 0; done < pairs && m < catalogue.size(); ++m) {
        for (std::size_t v = 0; done < pairs && v < catalogue.size(); ++v, ++done) {
            int result;
            if (!sameAsLibrary(catalogue[m].c_str(), catalogue[v].c_str(), &result) && ++differ <= 5)
                std::fprintf(report, "differ: %s %s\n", catalogue[m].c_str(), catalogue[v].c_str());
            results[result + 1]++;
        }
    }
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::fprintf(report, "pairs: %ld, the same at every step: %ld, differ: %ld\n", done,
                 done - differ, differ);
    std::fprintf(report, "results: -1: %ld, 0: %ld, 1: %ld, 4: %ld\ntime: %.1f s\n", results[0],
                 results[1], results[2], results[5], took.count());
    return differ == 0 ? 0 : 1;
}
