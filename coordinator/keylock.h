// The key lock: a run holds an exclusive lock on a file named after its range of mailbox keys
// for as long as its process lives, so that two coordinators of one user never share
// mailboxes. The kernel releases the lock when the process ends, however it ends; clients never
// inherit it.
//
// Each user has a lock folder of its own that only this user can write: /run/quarnMain-0 for
// root, /tmp/quarnMain-<uid> for everyone else (mode 0700; a folder under that name that is not
// such a folder is refused, never adopted). Nobody else can hold, replace or delete a lock in
// it. Within it, keys-<first key>-ipc<namespace>.lock is the lock of one range in one IPC
// namespace (keys are per namespace); while locked it holds one line naming the holder:
// "process <pid> in <working directory>". Searches of different users keep apart through their
// mailboxes instead: a segment of another user refuses a fixed range and makes "auto" move on.
#pragma once

#include <cstddef>

// Claims the range of keyBase (state.h), or with keyBaseAuto the first range 1000 + 50 i
// (i < AUTO_KEY_RANGES) whose lock is free and whose keys hold no segment of another user,
// setting keyBase and keyLockFd. Returns 1 when claimed; 0 after a message on standard error
// naming the search that holds the range (in plain characters), or why the lock could not be
// used.
int claimKeys();

// The lock file of the range that starts at `base`, into out, making the user's lock folder
// when it is missing. Returns 1; 0 after a message when the folder cannot be used.
int keyLockPath(char *out, std::size_t size, int base);

// Takes the lock of the range at `base` for this process (keyLockFd). Returns the descriptor,
// or -1 when the range is held or its lock cannot be used.
int lockKeyRange(int base);
