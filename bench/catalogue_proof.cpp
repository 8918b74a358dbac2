// The proof of the formula compiler and of the client's field over a catalogue folder as the
// generator writes it (files formulas_*.txt, lines "F1, F2, ..., F7, "):
// - every formula judged against the expression library (formula_oracle.h), the verdicts
//   counted and the first disagreements named;
// - the first N pairs in the search's order (M in the outer loop, every formula of the
//   catalogue as V), each scored by the client and by the library-based scorer and compared
//   at every step (sameAsLibrary in literal.h);
// - the classes (common/formula_class.h): every member pair of the passing class pairs of a
//   search over the first SMALL_SEARCH formulas (members among them), then every member pair
//   of class pairs drawn at random among the classes of several members, until at least K
//   member pairs, each compared with its class pair at every step (sameAsClassPair).
//
//   catalogue_proof <catalogue folder> [pairs, default 10000000] [member pairs K, default 0]
#include <glob.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "client/field.h"
#include "client/test/literal.h"
#include "common/test/formula_oracle.h"

namespace {

// The formulas of the folder's files formulas_*.txt in name order: every word of a line is a
// formula and the comma behind it.
std::vector<std::string> readCatalogue(const char *dir) {
    std::vector<std::string> texts;
    glob_t files;
    if (glob((std::string(dir) + "/formulas_*.txt").c_str(), 0, nullptr, &files) != 0) return texts;
    for (std::size_t i = 0; i < files.gl_pathc; ++i) {
        std::ifstream in(files.gl_pathv[i]);
        for (std::string word; in >> word;) texts.push_back(word.substr(0, word.size() - 1));
    }
    globfree(&files);
    return texts;
}

constexpr int SMALL_SEARCH = 3003;  // the first 429 lines of the generator's first file

// The classes' proof (see above); returns the member pairs that differ from their class pairs.
long proveClasses(const std::vector<std::string> &texts, long wanted, FILE *report) {
    std::vector<int> classOf;
    const std::vector<std::vector<int>> members = formulaClasses(texts, &classOf);
    long pairs = 0, passes = 0, differ = 0, classPasses = 0;
    auto check = [&](const std::vector<int> &ms, const std::vector<int> &vs, int below) {
        for (int m : ms)
            for (int v : vs) {
                int result;
                if (m >= below || v >= below) continue;
                if (!sameAsClassPair(texts[m].c_str(), texts[v].c_str(), texts[ms[0]].c_str(),
                                     texts[vs[0]].c_str(), &result) &&
                    ++differ <= 5)
                    std::fprintf(report, "differs from its class pair: %s %s\n", texts[m].c_str(),
                                 texts[v].c_str());
                ++pairs;
                passes += result == PASS_SCORE;
            }
    };
    auto small = [&](std::size_t c) { return c < members.size() && members[c][0] < SMALL_SEARCH; };
    for (std::size_t cm = 0; small(cm); ++cm)
        for (std::size_t cv = 0; small(cv); ++cv)
            if (evaluateFunction(texts[members[cm][0]].c_str(), texts[members[cv][0]].c_str()) ==
                PASS_SCORE)
                ++classPasses, check(members[cm], members[cv], SMALL_SEARCH);
    const long searched = pairs;
    std::vector<const std::vector<int> *> several;  // classes of more than one member
    for (const std::vector<int> &c : members)
        if (c.size() > 1) several.push_back(&c);
    std::mt19937 random(1);
    while (pairs < wanted && !several.empty()) {
        const std::vector<int> &ms = *several[random() % several.size()];
        check(ms, *several[random() % several.size()], INT_MAX);
    }
    std::fprintf(report,
                 "member pairs: %ld (%ld passing; %ld of the %ld passing class pairs of the "
                 "first %d formulas), differ from their class pairs: %ld\n",
                 pairs, passes, searched, classPasses, SMALL_SEARCH, differ);
    return differ;
}

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char **argv) {
    FILE *report = fdopen(dup(STDOUT_FILENO), "w");  // standard output goes to /dev/null below
    if (argc < 2 || argc > 4 || setupClientState() != 0 || !report) {
        std::fprintf(stderr, "usage: catalogue_proof <catalogue folder> [pairs] [member pairs]\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> catalogue = readCatalogue(argv[1]);
    // The passes and the bytes the library skips in a text would be printed.
    if (catalogue.empty() || !std::freopen("/dev/null", "w", stdout)) return 2;
    long verdicts[FORMULA_VERDICTS] = {}, disagreements = 0;
    for (const std::string &text : catalogue) {
        int verdict = judgeFormula(text.c_str());
        disagreements += verdict >= DIFFER_PRINTED;
        if (++verdicts[verdict] <= 5 && verdict >= DIFFER_PRINTED)
            std::fprintf(report, "%s: %s\n", formulaVerdictNames[verdict], text.c_str());
    }
    std::fprintf(report, "formulas: %zu\n", catalogue.size());
    for (int k = 0; k < FORMULA_VERDICTS; ++k)
        std::fprintf(report, "  %-42s %ld\n", formulaVerdictNames[k], verdicts[k]);
    std::fprintf(report, "time: %.1f s\n", seconds(start));

    start = std::chrono::steady_clock::now();
    long pairs = argc >= 3 ? std::atol(argv[2]) : 10000000, done = 0, differ = 0, passes = 0;
    for (long count = catalogue.size(); done < pairs && done / count < count; ++done) {
        const char *m = catalogue[done / count].c_str(), *v = catalogue[done % count].c_str();
        int result;
        if (!sameAsLibrary(m, v, &result) && ++differ <= 5)
            std::fprintf(report, "differ: %s %s\n", m, v);
        passes += result == PASS_SCORE;
    }
    std::fprintf(report, "pairs: %ld (%ld passing), the same at every step: %ld, differ: %ld\n",
                 done, passes, done - differ, differ);
    std::fprintf(report, "time: %.1f s\n", seconds(start));

    start = std::chrono::steady_clock::now();
    if (argc == 4 && (differ += proveClasses(catalogue, std::atol(argv[3]), report)) >= 0)
        std::fprintf(report, "time: %.1f s\n", seconds(start));
    return disagreements == 0 && differ == 0 ? 0 : 1;
}
