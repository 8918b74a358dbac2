// Signals and whole-second timers of the coordinator: the handler of SIGINT, SIGTERM and
// SIGHUP, which only sets a flag that every loop polls (sigintReceived, signalCount in
// state.h), and the waits that survive or honour it.
#pragma once

#include <ctime>

// Seconds from `since` to now, as the coordinator's intervals count them.
inline double secondsSince(time_t since) { return std::difftime(std::time(nullptr), since); }

// Sleeps `seconds` in full, resuming after signals (the shutdown's waits).
void sleepSeconds(int seconds);

// Sleeps up to `seconds`, returning early once Ctrl+C was pressed. Returns 1 when it was.
int napUnlessInterrupted(int seconds);

// The handler of SIGINT, and of SIGHUP and SIGTERM (a lost terminal or a plain kill must not
// leave 50 clients polling): records the first signal in sigintReceived and counts signals.
void sigint_handler(int signal);

// Installs sigint_handler for SIGINT, SIGTERM and SIGHUP, and ignores SIGPIPE: output to a
// closed pipe (a pager or tee that ended) must not end the run without its shutdown.
void installSignalHandlers();
