// Settings of the coordinator, read once at start-up before anything else from environment
// variables, and whether idle polls yield the processor. Unset variables keep the defaults;
// an invalid value ends the program before it does anything, with a message on standard
// error and exit status 1.
//
//   QUARN_MIN_FREE_KB   free memory in kB below which the search ends (default 32000000)
//   QUARN_M_COUNT       M formulas the run takes at most, from its start position (default: all)
//   QUARN_KEY_BASE      first of the 50 mailbox keys (default 1000), or "auto": the first range
//                       1000 + 50 i whose key lock is free
//   QUARN_CLIENT_SUDO   1 (default): clients start as "sudo ./quarnClient <key> &"; 0: without sudo
//   QUARN_HOLD_LIMIT_S  seconds a client may hold one pair before it counts as hung (default 60)
#pragma once

// The settings' variables, for programs that start the coordinator.
constexpr char MIN_FREE_KB_VAR[] = "QUARN_MIN_FREE_KB";
constexpr char M_COUNT_VAR[] = "QUARN_M_COUNT";
constexpr char KEY_BASE_VAR[] = "QUARN_KEY_BASE";
constexpr char KEY_BASE_AUTO[] = "auto";  // QUARN_KEY_BASE: the first free range
constexpr char CLIENT_SUDO_VAR[] = "QUARN_CLIENT_SUDO";
constexpr char HOLD_LIMIT_VAR[] = "QUARN_HOLD_LIMIT_S";

// The free-memory rule for a search that a script or a campaign starts without QUARN_MIN_FREE_KB
// set: the coordinator's default (DEFAULT_MIN_FREE_KB) while the machine has that much free
// memory; else, since the default is more than many machines have, a tenth of the machine's
// memory (MemTotal). Returns the threshold in kB; *fallback is 1 in the second case.
long fittingMinFreeKb(int *fallback);

// Sets the settings of state.h (minFreeKb, mCountLimit, keyBase, keyBaseAuto, clientSudo,
// holdLimitS, yieldWhenIdle); ends the program on an invalid value.
void readSettings();

// Parses a decimal whole number from min to max (digits only: no sign, no blanks). Returns 1
// and sets *value on success, 0 otherwise.
int parseWholeNumber(const char *text, long min, long max, long *value);

// The client start command for a key, with or without sudo (clientSudo), into out.
void clientCommand(char *out, int size, int key);
