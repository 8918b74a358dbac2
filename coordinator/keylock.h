// The key lock: a run holds an exclusive lock on a file named after its range of mailbox keys
// for as long as its process lives, so that two coordinators never share mailboxes. The kernel
// releases the lock when the process ends, however it ends; clients never inherit it.
//
// The lock file is /tmp/quarnMain-keys-<first key>-ipc<namespace>.lock, one per range and IPC
// namespace (keys are per namespace). While locked it holds one line naming the holder:
// "process <pid> in <working directory>".
#pragma once

#include <cstddef>

// Claims the range of keyBase (state.h), or with keyBaseAuto the first free range 1000 + 50 i
// (i < AUTO_KEY_RANGES), setting keyBase and keyLockFd. Returns 1 when claimed; 0 after a
// message on standard error naming the search that holds the range, or why the lock file
// could not be used.
int claimKeys();

// The lock file of the range that starts at `base`, into out.
void keyLockPath(char *out, std::size_t size, int base);
