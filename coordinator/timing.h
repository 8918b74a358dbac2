// Whole-second timers of the coordinator: waits that survive or honour Ctrl+C.
#pragma once

#include <ctime>

// Seconds from `since` to now, as the coordinator's intervals count them.
inline double secondsSince(time_t since) { return std::difftime(std::time(nullptr), since); }

// Sleeps `seconds` in full, resuming after signals (the shutdown's waits).
void sleepSeconds(int seconds);

// Sleeps up to `seconds`, returning early once Ctrl+C was pressed. Returns 1 when it was.
int napUnlessInterrupted(int seconds);
