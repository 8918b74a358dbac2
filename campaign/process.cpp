// Starting other programs (see process.h).
#include "campaign/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "campaign/constants.h"

namespace {

constexpr int EXEC_FAILED = 127;  // the child's status when the program cannot be started

std::vector<char *> argvOf(const std::vector<std::string> &argv) {
    std::vector<char *> args;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    return args;
}

}  // namespace

pid_t spawnInGroup(const std::vector<std::string> &argv, const std::string &dir,
                   const std::vector<std::string> &env, int *outFd, int *errFd) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        std::perror("quarnCampaign: pipe");
        return -1;
    }
    std::vector<char *> args = argvOf(argv);
    pid_t pid = fork();
    if (pid < 0) {
        std::perror("quarnCampaign: fork");
        for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
        return -1;
    }
    if (pid == 0) {
        setpgid(0, 0);
        // The handlers of quarnCampaign do not survive exec; ignored signals would.
        signal(SIGPIPE, SIG_DFL);
        if (dup2(out[1], STDOUT_FILENO) < 0 || dup2(err[1], STDERR_FILENO) < 0 ||
            chdir(dir.c_str()) != 0)
            _exit(EXEC_FAILED);
        for (const std::string &e : env) putenv(const_cast<char *>(e.c_str()));
        execv(args[0], args.data());
        std::fprintf(stderr, "quarnCampaign: cannot run %s: %s\n", args[0], std::strerror(errno));
        _exit(EXEC_FAILED);
    }
    setpgid(pid, pid);
    close(out[1]);
    close(err[1]);
    *outFd = out[0];
    *errFd = err[0];
    return pid;
}

int capture(const std::vector<std::string> &argv, std::string *out) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    std::vector<char *> args = argvOf(argv);
    pid_t pid = fork();
    if (pid < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return -1;
    }
    if (pid == 0) {
        signal(SIGPIPE, SIG_DFL);
        if (dup2(pipeFds[1], STDOUT_FILENO) < 0) _exit(EXEC_FAILED);
        execvp(args[0], args.data());
        _exit(EXEC_FAILED);
    }
    close(pipeFds[1]);
    out->clear();
    char buf[IO_CHUNK];
    for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        out->append(buf, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) == EXEC_FAILED) return -1;
    return WEXITSTATUS(status);
}
