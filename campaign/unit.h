// A unit's working directory and where its search stands. The directory holds links to the
// catalogue's files, a copy of the client, the coordinator's records (logfile.txt, best.txt,
// unevaluated.txt), the unit's lock while it runs, and task.txt, which this module owns: one
// line per start and end of a run of the unit, naming the host, process, Slurm task and the
// settings the run was given, for example
//   y2026m12d07 10:11:12 start unit 3 on node7 pid 4242 job 88_3: resume 0,30,0,0,4200,0,
//       M count 10, free-memory threshold 2410500 kB (a tenth of the machine's memory)
//   y2026m12d07 11:02:40 end unit 3 pid 4242: done
// An end line says after the colon how the run ended, in one word, with details behind it:
// "done"; "unfinished" (it ended in order before its last pair, and continues exactly when run
// again), for example "unfinished (SIGTERM)"; "failed" (a fault: the coordinator could not be
// run, refused to start, ended for a fault or was killed, or the records could not be copied
// back), for example "failed, coordinator status 1: quarnMain: all 64 ranges ... are in use".
#pragma once

#include <ctime>
#include <string>

#include "campaign/plan.h"
#include "coordinator/runlog.h"

// Where a unit's search stands, read from its logfile.txt against the plan.
struct UnitProgress {
    int started = 0;        // a run of the unit has positioned its streams
    int runs = 0;           // runs of the unit that positioned their streams
    int finished = 0;       // every pair of the unit has a result
    int ended = 0;          // the last run ended in order (it wrote its "Run ended" line)
    RunEnd end = END_NONE;  // how it ended (END_NONE without an orderly end)
    std::string endText;    // that line's reason, as it stands there
    long resume[6] = {};    // the resume argument that continues the unit
    long mLeft = 0;         // M formulas from the continuation to the unit's end
    long pairsDone = 0;     // pairs of the unit before the continuation
    long passed = 0;        // passing pairs counted so far
    long runPairs = 0;      // pairs the last run sent
    time_t startedAt = -1;  // start of the last run
    time_t endedAt = -1;    // its orderly end, -1 when it has none
    time_t logTime = -1;    // when the log last changed
};

// The working directory of unit `unit` in the campaign folder.
std::string unitDir(const std::string &campaign, int unit);

// Reads the progress of plan unit `unit` from logfile.txt in `dir`. A unit whose log holds no
// run has its plan start as continuation. Returns 1; 0 with *error set when the log cannot be
// read or its position lies outside the unit (the directory belongs to another plan).
int readUnitProgress(const Plan &plan, int unit, const std::string &dir, UnitProgress *out,
                     std::string *error);

// Makes `dir` a working directory for the plan's catalogue: creates it, links every catalogue
// file into it and installs a copy of the client (clientPath). Entries it finds already in
// place are kept; a formula file that is not the plan's link is refused, as the coordinator
// would take it into its catalogue. Returns 1, or 0 with *error set.
int prepareWorkDir(const Plan &plan, const std::string &dir, std::string *error);

// Appends a line to the unit's task.txt, time-stamped. Returns 1, or 0 with *error set.
int appendTaskLine(const std::string &dir, const std::string &text, std::string *error);

// How a run of a unit ended (the word of its end line in task.txt).
enum TaskOutcome { TASK_NONE, TASK_DONE, TASK_UNFINISHED, TASK_FAILED };

// The end line of a run of unit `unit`: "end unit <unit> pid <pid>: <word><details>".
std::string taskEndLine(int unit, TaskOutcome outcome, const std::string &details);

// How the last run recorded in `dir`/task.txt ended, with the details behind the word in
// *details; TASK_NONE when the last line is not an end line (no run yet, or one going on or
// killed).
TaskOutcome readTaskEnd(const std::string &dir, std::string *details);
