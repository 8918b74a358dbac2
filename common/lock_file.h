// Locks held in a file for as long as a process keeps it open: the coordinator's key lock and
// a campaign's unit lock. The kernel releases a lock when its process ends, however it ends.
// A lock file is a regular file of this user: it is never followed through a link nor taken
// over from another user. While held it holds one line naming its holder, which a process that
// finds the lock taken reads as plain characters only (it may come from anyone).
#pragma once

#include <cstddef>

constexpr int LOCK_HELD_ELSEWHERE = -2;  // takeLockFile: another process holds the lock

// Takes the lock of `path` without waiting, creating the file with permission bits `mode`.
// Returns the open descriptor, which holds the lock while it stays open, after writing `holder`
// as the file's text; LOCK_HELD_ELSEWHERE with the holder's first line (printable characters,
// anything else as '?') in `said`; -1 when the file cannot be used, with the reason in `said`.
int takeLockFile(const char *path, int mode, const char *holder, char *said, std::size_t saidSize);
