// The status view of a campaign, or of one working directory: units done, running, waiting and
// failed, pairs done of the total with a percentage and a bar, the recent rate, an estimate of
// the time to finish, and the passing pairs so far. It reads only the files the runs write and
// the Slurm queue (squeue, where present); it takes no lock and writes nothing, so it never
// disturbs a running search. A distinct campaign counts its distinct pairs and says what share
// of the search over all pairs of its original catalogue they stand for.
//
// A unit is
//   done     when every pair has a result;
//   running  when the queue runs its task, or its log, without an end line, changed within
//            STALE_LOG_S;
//   failed   when its last run ended for a fault (no farm, no clients left, an unreadable
//            formula file) or was killed without an orderly end;
//   waiting  otherwise: not started, queued, or interrupted in order (stop file, signal, low
//            memory); it continues exactly when it runs again.
#pragma once

#include <string>

// Prints the status of the campaign folder `dir` (it holds plan.txt), or of the search in the
// working directory `dir`. Returns EXIT_OK, or EXIT_ERROR when neither can be read.
int showStatus(const std::string &dir);
