// File helpers of quarnCampaign (see files.h).
#include "campaign/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "campaign/constants.h"
#include "coordinator/runlog.h"

namespace {

// errno of a read or append refused because the entry is not a regular file (a FIFO, a device,
// a folder, a link where none belongs): no open or read of ours fails with it otherwise.
constexpr int NOT_A_FILE = EINVAL;

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

std::string wholeLines(const std::string &text) { return text.substr(0, text.rfind('\n') + 1); }

std::string plainLine(const std::string &text) {
    std::string line = text.substr(0, text.find('\n'));
    for (char &c : line)
        if (!std::isprint(static_cast<unsigned char>(c))) c = '?';
    return line;
}

std::string failure(const char *what, const std::string &path) {
    return std::string(what) + " " + path + ": " +
           (errno == NOT_A_FILE ? "not a regular file" : std::strerror(errno));
}

int readWhole(const std::string &path, std::string *text) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = NOT_A_FILE;
        return 0;
    }
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

int openAtomically(const std::string &path, AtomicFile *file, std::string *error, int mode) {
    // A name of its own in the same folder, never one another process could have put there.
    const std::size_t slash = path.rfind('/');
    const std::size_t at = slash == std::string::npos ? 0 : slash + 1;
    file->path = path;
    file->temp = path.substr(0, at) + "." + path.substr(at) + ".XXXXXX";
    file->pending.clear();
    file->failed = 0;
    file->fd = mkostemp(file->temp.data(), O_CLOEXEC);
    if (file->fd < 0) {
        *error = failure("cannot create a temporary file for", path);
        return 0;
    }
    if (fchmod(file->fd, static_cast<mode_t>(mode)) != 0) file->failed = errno;
    return 1;
}

void writeAtomically(AtomicFile *file, const char *text, std::size_t size) {
    file->pending.append(text, size);
    if (file->pending.size() < IO_CHUNK || file->failed) return;
    if (!writeAll(file->fd, file->pending.data(), file->pending.size())) file->failed = errno;
    file->pending.clear();
}

int closeAtomically(AtomicFile *file, std::string *error) {
    if (!file->failed &&
        (!writeAll(file->fd, file->pending.data(), file->pending.size()) || fsync(file->fd) != 0))
        file->failed = errno;
    if (file->failed) {
        errno = file->failed;
        *error = failure("cannot write", file->path);
        close(file->fd);
        unlink(file->temp.c_str());
        return 0;
    }
    if (close(file->fd) != 0 || rename(file->temp.c_str(), file->path.c_str()) != 0) {
        *error = failure("cannot put in place", file->path);
        unlink(file->temp.c_str());
        return 0;
    }
    return 1;
}

int writeAtomically(const std::string &path, const std::string &text, std::string *error,
                    int mode) {
    AtomicFile file;
    if (!openAtomically(path, &file, error, mode)) return 0;
    writeAtomically(&file, text.data(), text.size());
    return closeAtomically(&file, error);
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
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
    const std::string text = line + "\n";
    struct stat st;
    bool written = fd >= 0 && fstat(fd, &st) == 0;
    if (written && !S_ISREG(st.st_mode)) {
        errno = NOT_A_FILE;
        written = false;
    }
    if (!written || !writeAll(fd, text.data(), text.size())) {
        *error = failure("cannot append to", path);
        if (fd >= 0) close(fd);
        return 0;
    }
    if (close(fd) != 0) {
        *error = failure("cannot append to", path);
        return 0;
    }
    return 1;
}

int fileDigest(const std::string &path, std::string *hex) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0) return 0;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = NOT_A_FILE;
        return 0;
    }
    std::uint64_t hash = FNV_OFFSET;
    unsigned char buf[IO_CHUNK];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int saved = errno;
            close(fd);
            errno = saved;
            return 0;
        }
        for (ssize_t i = 0; i < n; ++i) hash = (hash ^ buf[i]) * FNV_PRIME;
    }
    close(fd);
    char text[DIGEST_DIGITS + 1];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    *hex = text;
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
