// The campaign on a Slurm cluster (see slurm.h).
#include "campaign/slurm.h"

#include <cstdio>
#include <set>
#include <sstream>

#include "campaign/constants.h"
#include "campaign/context.h"
#include "campaign/files.h"
#include "campaign/process.h"
#include "campaign/unit.h"

namespace {

// The array job ids of jobs.txt.
std::set<std::string> submittedJobs(const std::string &campaign) {
    std::set<std::string> jobs;
    std::string text;
    if (!readWhole(campaign + "/" + JOBS_FILE_NAME, &text)) return jobs;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::string id = line.substr(0, line.find(' '));
        if (!id.empty()) jobs.insert(id);
    }
    return jobs;
}

}  // namespace

std::string arrayRanges(const std::vector<int> &units) {
    std::string ranges;
    for (std::size_t i = 0; i < units.size();) {
        std::size_t j = i;
        while (j + 1 < units.size() && units[j + 1] == units[j] + 1) ++j;
        ranges += (ranges.empty() ? "" : ",") + std::to_string(units[i]);
        if (j > i) ranges += "-" + std::to_string(units[j]);
        i = j + 1;
    }
    return ranges;
}

std::map<int, std::string> queuedUnits(const std::string &campaign) {
    std::map<int, std::string> queued;
    const std::set<std::string> jobs = submittedJobs(campaign);
    std::string out;
    if (jobs.empty() ||
        capture({"squeue", "--noheader", "--array", "--format=%F %K %T"}, &out) != 0)
        return queued;
    // One line per array task; other jobs of the cluster ("N/A" as index) are passed over.
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string job, state;
        int index;
        if (fields >> job >> index >> state && jobs.count(job)) queued[index] = state;
    }
    return queued;
}

int submitUnits(const std::string &campaign, const Plan &plan, int first, int last, int maxRunning,
                const std::vector<std::string> &sbatchOptions) {
    const std::map<int, std::string> queued = queuedUnits(campaign);
    std::vector<int> units;
    for (int unit = first; unit <= last; ++unit) {
        UnitProgress p;
        std::string error;
        if (!readUnitProgress(plan, unit, unitDir(campaign, unit), &p, &error)) {
            std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
            return EXIT_ERROR;
        }
        if (!p.finished && !queued.count(unit)) units.push_back(unit);
    }
    if (units.empty()) {
        std::printf("nothing to submit: units %d to %d are done or in the queue\n", first, last);
        return EXIT_OK;
    }
    std::string ranges = arrayRanges(units);
    if (maxRunning > 0) ranges += "%" + std::to_string(maxRunning);
    std::vector<std::string> command = {"sbatch", "--parsable", "--chdir=" + campaign,
                                        "--array=" + ranges};
    command.insert(command.end(), sbatchOptions.begin(), sbatchOptions.end());
    for (const std::string &arg :
         {scriptPath, selfPath, campaign, std::string("--client"), clientPath})
        command.push_back(arg);
    std::string shown;
    for (const std::string &arg : command) shown += (shown.empty() ? "" : " ") + arg;
    std::printf("%s\n", shown.c_str());
    std::string out, error;
    if (capture(command, &out) != 0) {
        std::fprintf(stderr, "quarnCampaign: sbatch failed%s\n",
                     out.empty() ? " or is not installed" : "");
        return EXIT_ERROR;
    }
    const std::string job = out.substr(0, out.find_first_of(";\n"));
    std::printf("submitted units %s as array job %s\n", ranges.c_str(), job.c_str());
    if (!appendLine(campaign + "/" + JOBS_FILE_NAME, job + " " + ranges + " " + stampNow(),
                    &error)) {
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        return EXIT_ERROR;
    }
    return EXIT_OK;
}
