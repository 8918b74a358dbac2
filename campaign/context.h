// quarnCampaign's process-wide state, all in one place: the programs it runs and the signals it
// has received. Defined in context.cpp; set up once by setUpState from main.
#pragma once

#include <csignal>
#include <string>

// ---- Programs, as absolute paths. By default they sit beside quarnCampaign (build/bin).
extern std::string selfPath;       // quarnCampaign itself (the batch script runs it on nodes)
extern std::string quarnMainPath;  // the coordinator
extern std::string clientPath;     // the client copied into every working directory (--client)
extern std::string scriptPath;     // the Slurm batch script (--script)

// ---- Signals: SIGINT, SIGTERM and SIGHUP only set these; the runner polls them.
extern volatile std::sig_atomic_t campaignSignal;       // 0, or the number of the latest signal
extern volatile std::sig_atomic_t campaignSignalCount;  // signals received so far

// Finds the programs beside quarnCampaign and the batch script of the source tree.
void setUpState();

// Installs the handler of SIGINT, SIGTERM and SIGHUP. SIGPIPE is ignored: a closed output must
// not end a runner that still has a coordinator to wait for.
void installCampaignSignals();
