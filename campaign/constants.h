// Fixed names, intervals and limits of quarnCampaign, each with its reason.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Buffers.
constexpr std::size_t IO_CHUNK = 1 << 16;  // bytes moved by one read of a file or a pipe
constexpr std::size_t TEXT_SIZE = 512;     // one formatted line or name (a unit line, a job id)

// ---- Catalogue digests (plan.txt): FNV-1a over a file's bytes, 64 bits as 16 hex digits.
constexpr std::uint64_t FNV_OFFSET = 14695981039346656037ull;
constexpr std::uint64_t FNV_PRIME = 1099511628211ull;
constexpr std::size_t DIGEST_DIGITS = 16;

// ---- Files of a campaign folder.
constexpr char PLAN_FILE_NAME[] = "plan.txt";      // the units (plan.h)
constexpr char JOBS_FILE_NAME[] = "jobs.txt";      // one line per Slurm submission (slurm.h)
constexpr char UNIT_DIR_FORMAT[] = "unit_%03d";    // a unit's working directory
constexpr char CAMPAIGN_STOP_FILE[] = "stop.txt";  // present: running units end in order

// ---- A distinct campaign (classes.h): the folder of its catalogue of class representatives,
// class table and unusable formulas, and the expanded passes (expand.h).
constexpr char DISTINCT_DIR_NAME[] = "distinct";
constexpr char CLASSES_FILE_NAME[] = "classes.txt";
constexpr char UNUSABLE_FILE_NAME[] = "unusable.txt";
constexpr char BEST_ALL_FILE_NAME[] = "best-all.txt";
// The representatives are written in the generator's shape (generator/constants.h).
constexpr int DISTINCT_LINES_PER_FILE = 10000;
constexpr int DISTINCT_FORMULAS_PER_LINE = 7;
constexpr char DISTINCT_FILE_FORMAT[] = "formulas_%03d.txt";

// ---- Files of a unit's directory besides the coordinator's own records.
constexpr char TASK_FILE_NAME[] = "task.txt";   // one line per start and end of a unit run
constexpr char UNIT_LOCK_NAME[] = "unit.lock";  // held while a unit runs: never two at once
constexpr char CLIENT_NAME[] = "quarnClient";   // the client the coordinator starts

// ---- Running a unit.
// A run's logfile.txt and best.txt reach the unit's directory this often from node-local
// scratch. A lost node repeats at most this much work plus one progress interval of the
// coordinator, and 40 nodes copying two small files a minute load no shared file system.
constexpr int COPY_BACK_INTERVAL_S = 60;
// After its own signal the runner waits this long for the coordinator to announce that it got
// the signal too (a Slurm job's processes are all signalled) before passing the signal on: a
// second signal would cut short the coordinator's collection of the last replies.
constexpr int FORWARD_GRACE_S = 2;
constexpr int POLL_MS = 250;  // the runner's look at its coordinator, stop file and signals
// ---- Status.
constexpr int BAR_WIDTH = 40;                               // characters of the progress bar
constexpr double MAX_SHOWN_SECONDS = 100 * 365.25 * 86400;  // a longer time to go is not shown
// A unit whose log has not changed for this long without an end line, and that no live process
// or Slurm task runs, has been killed without an orderly end: it counts as failed. A running
// unit's log reaches the campaign at least every COPY_BACK_INTERVAL_S.
constexpr int STALE_LOG_S = 3 * COPY_BACK_INTERVAL_S;

// ---- Exit statuses.
constexpr int EXIT_OK = 0;          // done: a unit or all units finished; a command succeeded
constexpr int EXIT_ERROR = 1;       // bad command line, unreadable or inconsistent files
constexpr int EXIT_FINISHED = 2;    // resume-argument: the search in the directory is complete
constexpr int EXIT_UNFINISHED = 3;  // run, step: a unit ended before its last pair
constexpr int EXIT_NO_SEARCH = 4;   // resume-argument: no search has run in the directory
