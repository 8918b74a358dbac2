// Locks held in a file (see lock_file.h).
#include "common/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

int takeLockFile(const char *path, int mode, const char *holder, char *said, std::size_t saidSize) {
    const int fd = open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, mode);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        std::snprintf(said, saidSize, "%s",
                      fd < 0 ? std::strerror(errno) : "not a file of this user");
        if (fd >= 0) close(fd);
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        const ssize_t n = error == EWOULDBLOCK ? pread(fd, said, saidSize - 1, 0) : -1;
        close(fd);
        if (error != EWOULDBLOCK) {
            std::snprintf(said, saidSize, "%s", std::strerror(error));
            return -1;
        }
        std::size_t i = 0;
        for (; i < static_cast<std::size_t>(n > 0 ? n : 0) && said[i] != '\n'; ++i)
            if (!std::isprint(static_cast<unsigned char>(said[i]))) said[i] = '?';
        said[i] = '\0';
        return LOCK_HELD_ELSEWHERE;
    }
    const std::size_t len = std::strlen(holder);
    if (ftruncate(fd, 0) != 0 || pwrite(fd, holder, len, 0) != static_cast<ssize_t>(len))
        std::fprintf(stderr, "cannot write the lock %s: %s\n", path, std::strerror(errno));
    return fd;
}
