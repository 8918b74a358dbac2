// The key lock (see keylock.h).
#include "coordinator/keylock.h"

#include <sys/shm.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "common/lock_file.h"
#include "coordinator/farm.h"
#include "coordinator/state.h"

namespace {

constexpr std::size_t LOCK_TEXT_SIZE = PATH_MAX + 64;  // "process <pid> in <directory>\n"
constexpr char ROOT_LOCK_PARENT[] = "/run";  // only root can write here: nobody can take its place
constexpr char USER_LOCK_PARENT[] = "/tmp";

enum LockResult { LOCK_TAKEN, LOCK_BUSY, LOCK_FAILED };

// The user's own folder of key locks: made with mode 0700, and refused when it is not a folder
// of this user that nobody else can write. Returns 1, or 0 after a message.
int lockFolder(char *out, std::size_t size) {
    const uid_t uid = geteuid();
    struct stat st;
    const char *parent =
        uid == 0 && stat(ROOT_LOCK_PARENT, &st) == 0 ? ROOT_LOCK_PARENT : USER_LOCK_PARENT;
    std::snprintf(out, size, "%s/quarnMain-%u", parent, static_cast<unsigned>(uid));
    if (mkdir(out, 0700) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "quarnMain: cannot make the key lock folder %s: %s\n", out,
                     std::strerror(errno));
        return 0;
    }
    if (lstat(out, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid ||
        (st.st_mode & 022) != 0) {
        std::fprintf(stderr,
                     "quarnMain: the key lock folder %s is not a folder of this user that only it "
                     "can write; "
                     "remove it\n",
                     out);
        return 0;
    }
    return 1;
}

// Tries to lock the range at `base`. On LOCK_BUSY, holder receives the holder's line.
LockResult tryLock(int base, char *holder, std::size_t holderSize) {
    char path[PATH_MAX];
    if (!keyLockPath(path, sizeof path, base)) return LOCK_FAILED;
    char text[LOCK_TEXT_SIZE];
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) std::strcpy(cwd, "?");
    std::snprintf(text, sizeof text, "process %d in %s\n", static_cast<int>(getpid()), cwd);
    const int fd = takeLockFile(path, 0600, text, holder, holderSize);
    if (fd == LOCK_HELD_ELSEWHERE) return LOCK_BUSY;
    if (fd < 0) {
        std::fprintf(stderr, "quarnMain: cannot use the key lock %s: %s\n", path, holder);
        return LOCK_FAILED;
    }
    keyLockFd = fd;
    return LOCK_TAKEN;
}

// 1 when a key of the range at `base` holds a segment that is not a mailbox of this user (or
// one this user cannot even look at): another user's search has the range.
int rangeHasStrangers(int base) {
    for (int key = base; key < base + MB_NUM_CLIENTS; ++key) {
        const int id = shmget(key, 0, 0);
        if (id < 0 && errno == ENOENT) continue;
        struct shmid_ds ds;
        if (id < 0 || shmctl(id, IPC_STAT, &ds) != 0 || !isOwnMailbox(ds)) return 1;
    }
    return 0;
}

}  // namespace

int keyLockPath(char *out, std::size_t size, int base) {
    char folder[PATH_MAX];
    if (!lockFolder(folder, sizeof folder)) return 0;
    struct stat ns;
    unsigned long id =
        stat("/proc/self/ns/ipc", &ns) == 0 ? static_cast<unsigned long>(ns.st_ino) : 0;
    std::snprintf(out, size, "%s/keys-%d-ipc%lu.lock", folder, base, id);
    return 1;
}

int lockKeyRange(int base) {
    char holder[LOCK_TEXT_SIZE];
    return tryLock(base, holder, sizeof holder) == LOCK_TAKEN ? keyLockFd : -1;
}

int claimKeys() {
    char holder[LOCK_TEXT_SIZE];
    if (!keyBaseAuto) {
        LockResult r = tryLock(keyBase, holder, sizeof holder);
        if (r == LOCK_BUSY)
            std::fprintf(stderr, "quarnMain: mailbox keys %d-%d are in use by the search of %s\n",
                         keyBase, keyBase + MB_NUM_CLIENTS - 1,
                         holder[0] ? holder : "another process");
        return r == LOCK_TAKEN;
    }
    // A range is passed over when this user's lock on it is held, or when another user's
    // segments sit on its keys.
    for (int i = 0; i < AUTO_KEY_RANGES; ++i) {
        int base = MB_KEY_BASE + i * KEY_RANGE_STEP;
        LockResult r = tryLock(base, holder, sizeof holder);
        if (r == LOCK_FAILED) return 0;
        if (r == LOCK_BUSY) continue;
        if (!rangeHasStrangers(base)) {
            keyBase = base;
            return 1;
        }
        close(keyLockFd);
        keyLockFd = -1;
    }
    std::fprintf(stderr, "quarnMain: all %d ranges of mailbox keys from %d on are in use\n",
                 AUTO_KEY_RANGES, MB_KEY_BASE);
    return 0;
}
