// The campaign on a Slurm cluster: submitting units as an array job of the batch script
// (scripts/campaign.sbatch), one unit per array task with the unit's number as task index, and
// what the queue says about them.
//
// This module owns jobs.txt in the campaign folder: one line per submission,
//   <array job id> <array ranges> <time>        for example "88 0-2,5%4 y2026m12d07 10:11:12"
#pragma once

#include <map>
#include <string>
#include <vector>

#include "campaign/plan.h"

// "0-2,5,7-9" for unit numbers in ascending order.
std::string arrayRanges(const std::vector<int> &units);

// Submits the units of first..last that are neither done nor in the queue, at most maxRunning
// at a time (0: no limit), with sbatchOptions placed before the script. Prints the command and
// the job id. Returns EXIT_OK (also when nothing is left to submit) or EXIT_ERROR.
int submitUnits(const std::string &campaign, const Plan &plan, int first, int last, int maxRunning,
                const std::vector<std::string> &sbatchOptions);

// The queue's state of the campaign's units, unit number to Slurm state ("PENDING",
// "RUNNING", ...), for the array tasks of jobs.txt that squeue lists. Empty without squeue.
std::map<int, std::string> queuedUnits(const std::string &campaign);
