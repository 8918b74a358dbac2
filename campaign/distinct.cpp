// The distinct search: planning it and expanding its passes (see distinct.h).
#include "campaign/distinct.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>
#include <vector>

#include "campaign/classes.h"
#include "campaign/constants.h"
#include "campaign/files.h"
#include "client/field.h"
#include "common/pair_line.h"
#include "coordinator/constants.h"
#include "coordinator/records.h"

namespace {

// Classes the catalogue in `dir` and prints what it found. Returns 1, or 0 with *error set.
int classAndReport(const std::string &dir, std::vector<CatalogueFile> *files,
                   CatalogueClasses *classes, std::string *error) {
    const auto start = std::chrono::steady_clock::now();
    if (!classifyCatalogue(dir, files, 1, classes, error)) return 0;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("classes of %s: %ld formulas in %.1f s\n", dir.c_str(), classes->formulas, seconds);
    for (int use = 0; use < FORMULA_USES; ++use)
        std::printf("  %ld %s\n", classes->uses[use], formulaUseNames[use]);
    long several = 0, largest = 0;
    for (long c = 0; c < classes->classes(); ++c) {
        const long members = classes->memberAt[c + 1] - classes->memberAt[c];
        several += members > 1;
        largest = std::max(largest, members);
    }
    const double all = static_cast<double>(classes->formulas) * classes->formulas;
    const double distinct = static_cast<double>(classes->classes()) * classes->classes();
    std::printf(
        "%ld classes of the %ld usable formulas: %ld with more than one member, the largest "
        "%ld\n%.0f distinct pairs stand for the %.0f pairs of all formulas (%.1f%%)\n",
        classes->classes(), classes->usable(), several, largest, distinct, all,
        all > 0 ? 100 * distinct / all : 0.0);
    return 1;
}

// The client's score of the pair, its own line on a pass kept off the output; SCORE_FAILED
// when the client's state cannot be set up.
int clientScore(const char *m, const char *v) {
    static const int ready = setupClientState();
    if (ready != 0) return SCORE_FAILED;
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && quiet >= 0) dup2(quiet, STDOUT_FILENO);
    const int score = evaluateFunction(m, v);
    std::fflush(stdout);
    if (saved >= 0) dup2(saved, STDOUT_FILENO);
    for (int fd : {saved, quiet})
        if (fd >= 0) close(fd);
    return score;
}

// The class pairs that the lines of `records` (best.txt or unevaluated.txt) name, without
// repeats, in order. Returns 1, or 0 with *error set.
int classPairsOf(const CatalogueClasses &classes, const char *name, const std::string &records,
                 std::vector<std::pair<long, long>> *pairs, std::string *error) {
    std::vector<std::pair<std::string_view, long>> byText;  // representatives, by text
    for (long c = 0; c < classes.classes(); ++c)
        byText.emplace_back(classes.text(classes.members[classes.memberAt[c]]), c);
    std::sort(byText.begin(), byText.end());
    auto classOfText = [&](const std::string &text) {
        auto at =
            std::lower_bound(byText.begin(), byText.end(), std::pair{std::string_view(text), 0L});
        return at != byText.end() && at->first == text ? at->second : -1L;
    };
    for (std::size_t at = 0; at < records.size();) {
        const std::size_t end = records.find('\n', at);
        const std::string line = records.substr(at, end - at);
        at = end == std::string::npos ? records.size() : end + 1;
        std::string m, v;
        const std::pair<long, long> pair = parsePairLine(line, &m, &v)
                                               ? std::pair{classOfText(m), classOfText(v)}
                                               : std::pair{-1L, -1L};
        if (pair.first < 0 || pair.second < 0) {
            *error = std::string(name) +
                     " names a pair that is not of the representatives: " + plainLine(line);
            return 0;
        }
        pairs->push_back(pair);
    }
    std::sort(pairs->begin(), pairs->end());
    pairs->erase(std::unique(pairs->begin(), pairs->end()), pairs->end());
    return 1;
}

// Leaves the self-test pair, the plan's pair SELFTEST_AT_TOTAL, out of the passing class pairs
// unless the client's scorer passes it here.
void scoreSelfTest(const Plan &plan, const CatalogueClasses &classes,
                   std::vector<std::pair<long, long>> *pairs) {
    const long count = classes.classes();
    const std::pair<long, long> selfTest = {SELFTEST_AT_TOTAL / count, SELFTEST_AT_TOTAL % count};
    auto found = std::lower_bound(pairs->begin(), pairs->end(), selfTest);
    if (planPairs(plan) <= SELFTEST_AT_TOTAL || found == pairs->end() || *found != selfTest) return;
    const char *m = classes.text(classes.members[classes.memberAt[selfTest.first]]);
    const char *v = classes.text(classes.members[classes.memberAt[selfTest.second]]);
    const int score = clientScore(m, v);
    std::printf("the self-test pair M = %s, V = %s scores %d here: %s\n", m, v, score,
                score == PASS_SCORE ? "a pass, expanded" : "not a pass, left out");
    if (score != PASS_SCORE) pairs->erase(found);
}

// The pairs of the original catalogue that the class pairs stand for.
long memberPairs(const CatalogueClasses &classes, const std::vector<std::pair<long, long>> &pairs) {
    long count = 0;
    for (const auto &[m, v] : pairs)
        count += (classes.memberAt[m + 1] - classes.memberAt[m]) *
                 (classes.memberAt[v + 1] - classes.memberAt[v]);
    return count;
}

}  // namespace

int classesCommand(const std::string &catalogue) {
    std::vector<CatalogueFile> files;
    CatalogueClasses classes;
    std::string error;
    if (!classAndReport(catalogue, &files, &classes, &error)) {
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        return EXIT_ERROR;
    }
    return EXIT_OK;
}

int planDistinct(const std::string &campaign, const std::string &catalogue, long mPerUnit) {
    const std::string path = campaign + "/" + PLAN_FILE_NAME;
    const std::string folder = campaign + "/" + DISTINCT_DIR_NAME;
    if (exists(path)) {
        std::fprintf(stderr, "quarnCampaign: %s exists; a campaign keeps its plan\n", path.c_str());
        return EXIT_ERROR;
    }
    char real[PATH_MAX];
    std::string error;
    Plan plan;
    std::vector<CatalogueFile> files;
    CatalogueClasses classes;
    if (realpath(catalogue.c_str(), real) == nullptr) {
        error = failure("cannot find", catalogue);
    } else if (classAndReport(real, &files, &classes, &error) && classes.classes() == 0) {
        error = "the catalogue " + std::string(real) + " holds no usable formula";
    } else if (error.empty()) {
        for (const std::string &dir : {campaign, folder})
            if (error.empty() && mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST)
                error = failure("cannot create", dir);
    }
    if (error.empty() && writeDistinct(folder, classes, &error) &&
        makePlan(folder, mPerUnit, &plan, &error) && plan.formulas != classes.classes())
        error = "the coordinator reads " + std::to_string(plan.formulas) + " formulas from " +
                folder + ", not the " + std::to_string(classes.classes()) + " written";
    DistinctPart &d = plan.distinct;
    d = {real, files, classes.formulas, classes.usable(), classes.formulas - classes.usable(),
         "",   ""};
    if (!error.empty() || !fileDigest(folder + "/" + CLASSES_FILE_NAME, &d.classesDigest) ||
        !fileDigest(folder + "/" + UNUSABLE_FILE_NAME, &d.unusableDigest) ||
        !writePlan(path, plan, &error)) {
        if (error.empty()) error = failure("cannot read", folder + "/" + CLASSES_FILE_NAME);
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        return EXIT_ERROR;
    }
    std::printf("plan: %s, %zu units of %ld M formulas over the %ld representatives in %s\n",
                path.c_str(), plan.units.size(), mPerUnit, plan.formulas, folder.c_str());
    return EXIT_OK;
}

int expandPasses(const std::string &campaign, const Plan &plan, const std::string &best,
                 const std::string &unevaluated, std::string *error) {
    CatalogueClasses classes;
    std::vector<std::pair<long, long>> pairs, given;
    if (!readClasses(plan.catalogue, plan.distinct.formulas, &classes, error) ||
        !classPairsOf(classes, BEST_FILE_NAME, best, &pairs, error) ||
        !classPairsOf(classes, UNEVALUATED_FILE_NAME, unevaluated, &given, error))
        return 0;
    scoreSelfTest(plan, classes, &pairs);
    // Each M class's passing V formulas: the members of its V classes, in catalogue order.
    std::map<long, std::vector<long>> passingV;
    for (const auto &[m, v] : pairs) {
        std::vector<long> &to = passingV[m];
        to.insert(to.end(), classes.members.begin() + classes.memberAt[v],
                  classes.members.begin() + classes.memberAt[v + 1]);
        std::printf("class pair of %ld member pairs: M = %s, V = %s\n",
                    memberPairs(classes, {{m, v}}),
                    classes.text(classes.members[classes.memberAt[m]]),
                    classes.text(classes.members[classes.memberAt[v]]));
    }
    for (auto &[m, vs] : passingV) std::sort(vs.begin(), vs.end());
    AtomicFile out;
    const std::string path = campaign + "/" + BEST_ALL_FILE_NAME;
    if (!openAtomically(path, &out, error)) return 0;
    long lines = 0;
    char line[2 * LINE_BUF_SIZE + TEXT_SIZE];
    for (long p = 0; p < classes.formulas; ++p) {
        auto found = passingV.find(classes.classOf[p]);
        if (classes.classOf[p] < 0 || found == passingV.end()) continue;
        for (long v : found->second) {
            writeAtomically(&out, line,
                            formatPairLine(line, sizeof line, classes.text(p), classes.text(v)));
            ++lines;
        }
    }
    if (!closeAtomically(&out, error)) return 0;
    std::printf(
        "%zu passing class pairs expand to %ld passing pairs of the %ld formulas of %s: %s\n",
        pairs.size(), lines, classes.formulas, plan.distinct.original.c_str(), path.c_str());
    if (!given.empty())
        std::printf("the %zu class pairs without a result stand for %ld pairs of %s\n",
                    given.size(), memberPairs(classes, given), plan.distinct.original.c_str());
    return 1;
}
