// The commands of quarnCampaign (see commands.h).
#include "campaign/commands.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "campaign/constants.h"
#include "campaign/files.h"
#include "campaign/plan.h"
#include "campaign/runner.h"
#include "campaign/slurm.h"
#include "coordinator/records.h"
#include "coordinator/runlog.h"

namespace {

// Reads the campaign's plan and checks its catalogue and the unit range of the options.
int loadPlan(const std::string &campaign, CommandOptions *options, Plan *plan) {
    std::string error;
    if (!readPlan(campaign + "/" + PLAN_FILE_NAME, plan, &error) ||
        !checkCatalogue(*plan, &error)) {
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        return 0;
    }
    const int units = static_cast<int>(plan->units.size());
    if (options->lastUnit < 0) options->lastUnit = units - 1;
    if (options->firstUnit > options->lastUnit || options->lastUnit >= units) {
        std::fprintf(stderr, "quarnCampaign: the plan has units 0 to %d\n", units - 1);
        return 0;
    }
    return 1;
}

}  // namespace

int planCommand(const std::string &campaign, const std::string &catalogue, long mPerUnit) {
    const std::string path = campaign + "/" + PLAN_FILE_NAME;
    std::string error;
    Plan plan;
    if (exists(path)) {
        std::fprintf(stderr, "quarnCampaign: %s exists; a campaign keeps its plan\n", path.c_str());
        return EXIT_ERROR;
    }
    if (makePlan(catalogue, mPerUnit, &plan, &error) && mkdir(campaign.c_str(), 0755) != 0 &&
        errno != EEXIST)
        error = failure("cannot create", campaign);
    if (!error.empty() || !writePlan(path, plan, &error)) {
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        return EXIT_ERROR;
    }
    std::string text;
    readWhole(path, &text);
    std::fputs(text.c_str(), stdout);
    return EXIT_OK;
}

int resumeArgumentCommand(const std::string &dir) {
    RunLogSummary s;
    const std::string log = dir + "/" + LOG_FILE_NAME;
    const int found = readRunLog(log.c_str(), &s);
    if (found < 0) {
        std::fprintf(stderr, "quarnCampaign: %s\n", failure("cannot read", log).c_str());
        return EXIT_ERROR;
    }
    if (found == 0) {
        std::printf("no search has run in %s\n", dir.c_str());
        return EXIT_NO_SEARCH;
    }
    // "M count done" ends a run, not its search: the rest of the catalogue follows.
    if (s.end == END_ALL_DONE) {
        std::printf("finished: %s\n", endReasonText(END_ALL_DONE));
        return EXIT_FINISHED;
    }
    std::printf("%s\n", resumeText(s.resume).c_str());
    return EXIT_OK;
}

int runCommand(const std::string &campaign, const CommandOptions &options) {
    CommandOptions o = options;
    Plan plan;
    if (!loadPlan(campaign, &o, &plan)) return EXIT_ERROR;
    return runUnits(campaign, plan, o.firstUnit, o.lastUnit);
}

int submitCommand(const std::string &campaign, const CommandOptions &options) {
    CommandOptions o = options;
    Plan plan;
    if (!loadPlan(campaign, &o, &plan)) return EXIT_ERROR;
    return submitUnits(campaign, plan, o.firstUnit, o.lastUnit, o.maxRunning, o.sbatchOptions);
}

int stepCommand(const std::string &campaign, int unit) {
    CommandOptions o;
    o.firstUnit = o.lastUnit = unit;
    Plan plan;
    if (!loadPlan(campaign, &o, &plan)) return EXIT_ERROR;
    return runUnit(campaign, plan, unit, 1);
}
