// Running units of a campaign with the coordinator: one after another on this machine (`run`),
// or one as a Slurm array task (`step`).
//
// A unit run continues the unit exactly: the resume argument and QUARN_M_COUNT come from the
// unit's logfile.txt (unit.h), so a unit that ended in order goes on with its first pair never
// sent, and one that was killed goes on from its last progress line. A finished unit is not run
// again. The unit's lock (unit.lock, held by this process) keeps two runs off one unit.
//
// Signals. The coordinator runs in a process group of its own, so a terminal's Ctrl+C reaches
// only quarnCampaign, and every SIGINT, SIGTERM or SIGHUP quarnCampaign receives is passed on to
// it. A Slurm job's processes are all signalled at once, though, and a second signal would cut
// short the coordinator's collection of its last replies; so the first signal is passed on only
// when the coordinator has not announced its own shutdown within FORWARD_GRACE_S. Later signals
// are passed on at once. A stop.txt in the campaign folder is passed on as SIGTERM.
//
// On a node (`step`) the coordinator works in node-local scratch ($TMPDIR, else /tmp): the
// unit's records are copied there first, and copied back to the unit's directory every
// COPY_BACK_INTERVAL_S and at the end: best.txt and unevaluated.txt first, logfile.txt last
// (read first), each atomically, so that a copied log never names a continuation whose results
// the copied records lack, wherever a copy is cut short. A unit whose records cannot be copied
// back at its end has failed, and its scratch folder stays. Clients start without sudo
// (QUARN_CLIENT_SUDO=0) on the first free range of keys (QUARN_KEY_BASE=auto) unless those
// variables are set.
//
// The free-memory threshold is chosen as scripts/search.sh chooses it and written to task.txt.
#pragma once

#include <string>

#include "campaign/plan.h"

// Runs unit `unit` until it is done or its run ends early. onNode: as a Slurm task (above).
// Returns EXIT_OK when the unit is done (now or before), EXIT_UNFINISHED when its run ended
// before its last pair, EXIT_ERROR when it could not be run or its records not copied back.
int runUnit(const std::string &campaign, const Plan &plan, int unit, int onNode);

// Runs units first..last in order on this machine, skipping finished ones; stops at the first
// that does not finish. Returns as runUnit, EXIT_OK when all are done.
int runUnits(const std::string &campaign, const Plan &plan, int first, int last);

// The free-memory threshold a run takes when QUARN_MIN_FREE_KB is not set (fittingMinFreeKb):
// "<kB> kB (<why>)", for example "2410500 kB (a tenth of the machine's memory: less than
// 32000000 kB free)".
std::string chosenThreshold();
