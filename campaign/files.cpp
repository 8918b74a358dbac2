// File helpers of quarnCampaign (see files.h).
#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "constants.h"
#include "records.h"

namespace {

// Writes all of `text` to fd. Returns 1, or 0 with errno set.
int writeAll(int fd, const char *text, std::size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, text, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 0;
        text += n;
        size -= static_cast<std::size_t>(n);
    }
    return 1;
}

}  // namespace

std::string failure(const char *what, const std::string &path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

int readWhole(const std::string &path, std::string *text) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    text->clear();
    char buf[IO_CHUNK];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int saved = errno;
            close(fd);
            errno = saved;
            return 0;
        }
        text->append(buf, static_cast<std::size_t>(n));
    }
    close(fd);
    return 1;
}

int writeAtomically(const std::string &path, const std::string &text, std::string *error,
                    int mode) {
    const std::string temp = path + ".tmp";
    unlink(temp.c_str());  // a temporary left by a run that was killed, perhaps with other bits
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        *error = failure("cannot create", temp);
        return 0;
    }
    if (!writeAll(fd, text.data(), text.size()) || fsync(fd) != 0) {
        *error = failure("cannot write", temp);
        close(fd);
        unlink(temp.c_str());
        return 0;
    }
    if (close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
        *error = failure("cannot put in place", path);
        unlink(temp.c_str());
        return 0;
    }
    return 1;
}

int copyAtomically(const std::string &src, const std::string &dst, std::string *error, int mode) {
    std::string text;
    if (!readWhole(src, &text)) {
        if (errno == ENOENT) return 1;
        *error = failure("cannot read", src);
        return 0;
    }
    return writeAtomically(dst, text, error, mode);
}

int appendLine(const std::string &path, const std::string &line, std::string *error) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const std::string text = line + "\n";
    if (fd < 0 || !writeAll(fd, text.data(), text.size())) {
        *error = failure("cannot append to", path);
        if (fd >= 0) close(fd);
        return 0;
    }
    close(fd);
    return 1;
}

int exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::string stampNow() {
    char stamp[STAMP_SIZE];
    formatLocalTime(stamp, std::time(nullptr));
    return stamp;
}
