// The files the inspector writes (see output.h).
#include "inspector/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

int refuse(const char *path, const char *reason) {
    std::fprintf(stderr, "quarnShow: cannot write %s: %s\n", path, reason);
    return 1;
}

}  // namespace

int openOutput(const char *path, int userNamed, OutputFile *out) {
    *out = OutputFile();
    if (std::snprintf(out->path, sizeof out->path, "%s", path) >= PATH_MAX)
        return refuse(path, std::strerror(ENAMETOOLONG));
    struct stat st;
    int fd;
    if (userNamed && lstat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
        fd = open(path, O_WRONLY | O_TRUNC | O_CLOEXEC);
    } else {
        const char *slash = std::strrchr(path, '/');
        const int folder = slash ? static_cast<int>(slash - path + 1) : 0;
        if (std::snprintf(out->temporary, sizeof out->temporary, "%.*s.%s.XXXXXX", folder, path,
                          path + folder) >= PATH_MAX)
            return refuse(path, std::strerror(ENAMETOOLONG));
        fd = mkostemp(out->temporary, O_CLOEXEC);
        const mode_t mask = umask(0);  // the new file gets the usual bits, not mkstemp's 0600
        umask(mask);
        if (fd >= 0) fchmod(fd, 0666 & ~mask);
    }
    out->file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (out->file == nullptr) {
        const int reason = errno;
        if (fd >= 0) close(fd);
        if (out->temporary[0] && fd >= 0) unlink(out->temporary);
        return refuse(path, std::strerror(reason));
    }
    return 0;
}

int closeOutput(OutputFile *out, int failed, const char *reason) {
    if (std::ferror(out->file)) failed = 1;
    if (std::fclose(out->file) != 0) failed = 1;
    out->file = nullptr;
    const int error = errno;
    if (!failed && (!out->temporary[0] || std::rename(out->temporary, out->path) == 0)) return 0;
    const int renameError = errno;
    if (out->temporary[0]) unlink(out->temporary);
    return refuse(out->path, reason ? reason : std::strerror(failed ? error : renameError));
}
