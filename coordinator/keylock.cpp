// The key lock (see keylock.h).
#include "keylock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "state.h"

namespace {

constexpr std::size_t LOCK_TEXT_SIZE = PATH_MAX + 64;  // "process <pid> in <directory>\n"

enum LockResult { LOCK_TAKEN, LOCK_BUSY, LOCK_FAILED };

// Tries to lock the range at `base`. On LOCK_BUSY, holder receives the holder's line.
LockResult tryLock(int base, char *holder, std::size_t holderSize) {
    char path[PATH_MAX];
    keyLockPath(path, sizeof path, base);
    int fd = open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::fprintf(stderr, "quarnMain: cannot open the key lock %s: %s\n", path,
                     std::strerror(errno));
        return LOCK_FAILED;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ssize_t n = error == EWOULDBLOCK ? pread(fd, holder, holderSize - 1, 0) : -1;
        holder[n > 0 ? n : 0] = '\0';
        holder[std::strcspn(holder, "\n")] = '\0';
        close(fd);
        if (error == EWOULDBLOCK) return LOCK_BUSY;
        std::fprintf(stderr, "quarnMain: cannot lock %s: %s\n", path, std::strerror(error));
        return LOCK_FAILED;
    }
    char text[LOCK_TEXT_SIZE];
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) std::strcpy(cwd, "?");
    int len = std::snprintf(text, sizeof text, "process %d in %s\n", static_cast<int>(getpid()), cwd);
    if (ftruncate(fd, 0) != 0 || pwrite(fd, text, static_cast<std::size_t>(len), 0) != len)
        std::fprintf(stderr, "quarnMain: cannot write %s: %s\n", path, std::strerror(errno));
    keyLockFd = fd;
    return LOCK_TAKEN;
}

}  // namespace

void keyLockPath(char *out, std::size_t size, int base) {
    struct stat ns;
    unsigned long id = stat("/proc/self/ns/ipc", &ns) == 0 ? static_cast<unsigned long>(ns.st_ino) : 0;
    std::snprintf(out, size, "/tmp/quarnMain-keys-%d-ipc%lu.lock", base, id);
}

int claimKeys() {
    char holder[LOCK_TEXT_SIZE];
    if (!keyBaseAuto) {
        LockResult r = tryLock(keyBase, holder, sizeof holder);
        if (r == LOCK_BUSY)
            std::fprintf(stderr, "quarnMain: mailbox keys %d-%d are in use by the search of %s\n",
                         keyBase, keyBase + MB_NUM_CLIENTS - 1, holder[0] ? holder : "another process");
        return r == LOCK_TAKEN;
    }
    for (int i = 0; i < AUTO_KEY_RANGES; ++i) {
        int base = MB_KEY_BASE + i * KEY_RANGE_STEP;
        LockResult r = tryLock(base, holder, sizeof holder);
        if (r == LOCK_FAILED) return 0;
        if (r == LOCK_TAKEN) {
            keyBase = base;
            return 1;
        }
    }
    std::fprintf(stderr, "quarnMain: all %d ranges of mailbox keys from %d on are in use\n",
                 AUTO_KEY_RANGES, MB_KEY_BASE);
    return 0;
}
