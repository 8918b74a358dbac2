// The commands of quarnCampaign, each taking its arguments already split by main:
//
//   plan <campaign> <catalogue> <M per unit>   count the catalogue, write <campaign>/plan.txt
//   resume-argument <dir>                      the argument that continues the search in <dir>
//   run <campaign> [--units A-B]               run units here, one after another
//   submit <campaign> [--units A-B] [--max-running N] [-- sbatch options]
//                                              submit the units as a Slurm array job
//   step <campaign> <unit>                     one array task: run a unit on this node
//   status <campaign or dir>                   where the campaign (or a search) stands
//   collect <campaign>                         merge the units' results
//
// Each returns the exit status of quarnCampaign (constants.h).
#pragma once

#include <string>
#include <vector>

// Options after the positional arguments.
struct CommandOptions {
    int firstUnit = 0;                       // --units A-B
    int lastUnit = -1;                       // -1: the last unit of the plan
    int maxRunning = 0;                      // --max-running N: array tasks at a time (0: any)
    std::vector<std::string> sbatchOptions;  // after "--"
};

int planCommand(const std::string &campaign, const std::string &catalogue, long mPerUnit);

// Prints the resume argument and returns EXIT_OK while the search in `dir` has pairs left;
// prints "finished: all done" and returns EXIT_FINISHED when it is complete; prints a line and
// returns EXIT_NO_SEARCH when no search has run there.
int resumeArgumentCommand(const std::string &dir);

int runCommand(const std::string &campaign, const CommandOptions &options);
int submitCommand(const std::string &campaign, const CommandOptions &options);
int stepCommand(const std::string &campaign, int unit);
