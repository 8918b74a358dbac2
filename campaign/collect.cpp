// Merging a campaign's results (see collect.h).
#include "campaign/collect.h"

#include <cerrno>
#include <cstdio>

#include "campaign/constants.h"
#include "campaign/distinct.h"
#include "campaign/files.h"
#include "campaign/unit.h"
#include "coordinator/records.h"

namespace {

// Appends the unit's record file `name` to *merged. A last line without its line end (a record
// whose writing failed) is left out with a message: its pair is evaluated again by the unit's
// continuation. Returns the lines merged, or -1 when the file exists but cannot be read.
long addRecord(const std::string &dir, const char *name, std::string *merged) {
    std::string text;
    if (!readWhole(dir + "/" + name, &text)) return errno == ENOENT ? 0 : -1;
    const std::string whole = wholeLines(text);
    if (whole.size() != text.size())
        std::fprintf(stderr, "quarnCampaign: %s/%s ends in a torn line, left out: %s\n",
                     dir.c_str(), name, plainLine(text.substr(whole.size())).c_str());
    text = whole;
    *merged += text;
    long lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

}  // namespace

int collectCampaign(const std::string &campaign) {
    Plan plan;
    std::string error;
    const bool distinct =
        readPlan(campaign + "/" + PLAN_FILE_NAME, &plan, &error) && !plan.distinct.original.empty();
    // A distinct plan's passes are expanded through its class table, which must be the one
    // planned, into positions of the original catalogue, which must be the one classed.
    if (!error.empty() || (distinct && !checkCatalogue(plan, &error))) {
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        return EXIT_ERROR;
    }
    std::string best, unevaluated;
    long done = 0, passes = 0, given = 0;
    int finished = 0;
    std::printf("unit  state       pairs done  of pairs  passes  unevaluated\n");
    for (std::size_t i = 0; i < plan.units.size(); ++i) {
        const int unit = static_cast<int>(i);
        const std::string dir = unitDir(campaign, unit);
        UnitProgress p;
        const long b = addRecord(dir, BEST_FILE_NAME, &best);
        const long u = addRecord(dir, UNEVALUATED_FILE_NAME, &unevaluated);
        if (!readUnitProgress(plan, unit, dir, &p, &error) || b < 0 || u < 0) {
            std::fprintf(stderr, "quarnCampaign: unit %d: %s\n", unit,
                         error.empty() ? "its records cannot be read" : error.c_str());
            return EXIT_ERROR;
        }
        std::printf("%4d  %-10s  %10ld  %8ld  %6ld  %11ld\n", unit,
                    p.finished  ? "done"
                    : p.started ? "unfinished"
                                : "not run",
                    p.pairsDone, unitPairs(plan, plan.units[i]), b, u);
        done += p.pairsDone;
        passes += b;
        given += u;
        finished += p.finished;
    }
    const std::string bestPath = campaign + "/" + BEST_FILE_NAME;
    if (!writeAtomically(bestPath, best, &error) ||
        (given > 0 &&
         !writeAtomically(campaign + "/" + UNEVALUATED_FILE_NAME, unevaluated, &error))) {
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        return EXIT_ERROR;
    }
    std::printf("%d of %zu units done, %ld of %ld pairs; %ld passing pairs merged into %s\n",
                finished, plan.units.size(), done, planPairs(plan), passes, bestPath.c_str());
    if (distinct && !expandPasses(campaign, plan, best, unevaluated, &error)) {
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        return EXIT_ERROR;
    }
    if (given > 0)
        std::printf("%ld pairs without a result are listed in %s/%s\n", given, campaign.c_str(),
                    UNEVALUATED_FILE_NAME);
    return EXIT_OK;
}
