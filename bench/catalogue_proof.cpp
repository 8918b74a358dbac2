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

struct ClassProof {
    const std::vector<std::string> &texts;
    std::vector<int> classOf;
    std::vector<std::vector<int>> members;
    long pairs = 0, passes = 0, differ = 0;
    FILE *report;

    const char *first(int text) const { return texts[members[classOf[text]][0]].c_str(); }
    void check(int m, int v) {
        int result;
        if (!sameAsClassPair(texts[m].c_str(), texts[v].c_str(), first(m), first(v), &result) &&
            ++differ <= 5)
            std::fprintf(report, "differs from its class pair: %s %s\n", texts[m].c_str(),
                         texts[v].c_str());
        ++pairs;
        passes += result == PASS_SCORE;
    }
};

void proveClasses(ClassProof &proof, long wanted) {
    proof.members = formulaClasses(proof.texts, &proof.classOf);
    const std::vector<std::vector<int>> &members = proof.members;
    long classPasses = 0;
    for (std::size_t cm = 0; cm < members.size() && members[cm][0] < SMALL_SEARCH; ++cm) {
        for (std::size_t cv = 0; cv < members.size() && members[cv][0] < SMALL_SEARCH; ++cv) {
            if (evaluateFunction(proof.first(members[cm][0]), proof.first(members[cv][0])) !=
                PASS_SCORE)
                continue;
            ++classPasses;
            for (int m : members[cm])
                for (int v : members[cv])
                    if (m < SMALL_SEARCH && v < SMALL_SEARCH) proof.check(m, v);
        }
    }
    std::fprintf(proof.report,
                 "search over the first %d formulas: %ld passing class pairs, "
                 "%ld member pairs\n",
                 SMALL_SEARCH, classPasses, proof.pairs);
    std::vector<int> several;  // classes of more than one member
    for (std::size_t c = 0; c < members.size(); ++c)
        if (members[c].size() > 1) several.push_back(static_cast<int>(c));
    std::mt19937 random(1);
    while (proof.pairs < wanted && !several.empty()) {
        const std::vector<int> &ms = members[several[random() % several.size()]];
        const std::vector<int> &vs = members[several[random() % several.size()]];
        for (int m : ms)
            for (int v : vs) proof.check(m, v);
    }
    std::fprintf(proof.report,
                 "member pairs: %ld (%ld passing), as their class pairs at every "
                 "step: %ld, differ: %ld\n",
                 proof.pairs, proof.passes, proof.pairs - proof.differ, proof.differ);
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
    ClassProof proof{catalogue, {}, {}, 0, 0, 0, report};
    if (argc == 4) proveClasses(proof, std::atol(argv[3]));
    if (argc == 4) std::fprintf(report, "time: %.1f s\n", seconds(start));
    return disagreements == 0 && differ == 0 && proof.differ == 0 ? 0 : 1;
}
