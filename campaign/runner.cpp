// Running units with the coordinator (see runner.h).
#include "runner.h"

#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "constants.h"
#include "context.h"
#include "files.h"
#include "process.h"
#include "records.h"
#include "unit.h"

namespace {

// The coordinator's records, in the order they go back to the unit's directory.
const char *const COPY_BACK_ORDER[] = {LOG_FILE_NAME, BEST_FILE_NAME, UNEVALUATED_FILE_NAME};

std::string hostName() {
    char host[HOST_NAME_MAX + 1] = "?";
    gethostname(host, sizeof host - 1);
    return host;
}

// The unit's lock, held open for as long as the run lasts. Returns the descriptor, or -1 with
// *error naming the holder.
int lockUnit(const std::string &dir, int unit, std::string *error) {
    const std::string path = dir + "/" + UNIT_LOCK_NAME;
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = failure("cannot open", path);
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        std::string holder;
        readWhole(path, &holder);
        *error = "unit " + std::to_string(unit) + " is being run already (" +
                 holder.substr(0, holder.find('\n')) + ")";
        close(fd);
        return -1;
    }
    const std::string text = "host " + hostName() + " pid " + std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, text.data(), text.size(), 0) < 0)
        std::fprintf(stderr, "quarnCampaign: %s\n", failure("cannot write", path).c_str());
    return fd;
}

// A value of /proc/meminfo in kB ("MemTotal:"), or 0.
long meminfo(const char *label) {
    std::string text;
    if (!readWhole(MEMINFO_PATH, &text)) return 0;
    std::size_t at = text.find(label);
    return at == std::string::npos ? 0 : std::atol(text.c_str() + at + std::strlen(label));
}

// The free-memory threshold of a run as scripts/search.sh chooses it: the variable when it is
// set; else the coordinator's default while the machine has that much free memory; else a
// tenth of its memory, passed in *env. Returns the text task.txt records.
std::string memoryThreshold(std::vector<std::string> *env) {
    if (const char *set = std::getenv("QUARN_MIN_FREE_KB"))
        return std::string(set) + " kB (QUARN_MIN_FREE_KB as set)";
    if (memLeft() >= DEFAULT_MIN_FREE_KB_RULE)
        return std::to_string(DEFAULT_MIN_FREE_KB_RULE) + " kB (the coordinator's default)";
    const long kb = meminfo("MemTotal:") / LOW_MEMORY_DIVISOR;
    env->push_back("QUARN_MIN_FREE_KB=" + std::to_string(kb));
    return std::to_string(kb) + " kB (a tenth of the machine's memory: less than " +
           std::to_string(DEFAULT_MIN_FREE_KB_RULE) + " kB free)";
}

void copyBack(const std::string &work, const std::string &dir) {
    std::string error;
    for (const char *name : COPY_BACK_ORDER)
        if (!copyAtomically(work + "/" + name, dir + "/" + name, &error))
            std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
}

// A scratch directory for the unit on this node, with the unit's records copied in.
int makeScratch(const std::string &dir, int unit, std::string *work, std::string *error) {
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/quarn-unit" + std::to_string(unit) + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
        *error = failure("cannot create scratch", pattern);
        return 0;
    }
    *work = name.data();
    for (const char *record : COPY_BACK_ORDER)
        if (!copyAtomically(dir + "/" + record, *work + "/" + record, error)) return 0;
    return 1;
}

// Watches the coordinator until it exits: relays its output, passes signals and the campaign's
// stop file on, and copies the records back from scratch. Returns its wait status.
int supervise(pid_t pid, int outFd, const std::string &campaign, const std::string &work,
              const std::string &dir) {
    const std::string mark = CLOSING_MARK;
    std::string tail;       // the end of the output so far, to find the mark across reads
    bool closing = false;   // the coordinator announced its shutdown
    bool stopSent = false;  // the campaign's stop file was passed on
    int signalsSeen = 0;    // campaignSignalCount already handled
    int heldSignal = 0;     // the first signal, passed on after the grace unless announced
    time_t heldSince = 0;
    time_t copiedAt = std::time(nullptr);
    for (;;) {
        pollfd p = {outFd, POLLIN, 0};
        if (outFd >= 0 && poll(&p, 1, POLL_MS) > 0) {
            char buf[IO_CHUNK];
            ssize_t n = read(outFd, buf, sizeof buf);
            if (n > 0) {
                std::fwrite(buf, 1, static_cast<std::size_t>(n), stdout);
                std::fflush(stdout);
                tail.append(buf, static_cast<std::size_t>(n));
                closing = closing || tail.find(mark) != std::string::npos;
                if (tail.size() > mark.size()) tail.erase(0, tail.size() - mark.size());
            } else if (n == 0 || errno != EINTR) {
                close(outFd);  // the clients may hold the pipe after the coordinator has gone
                outFd = -1;
            }
        } else if (outFd < 0) {
            usleep(POLL_MS * 1000);
        }
        const time_t now = std::time(nullptr);
        const int received = campaignSignalCount;
        if (received != signalsSeen) {
            if (signalsSeen == 0) {  // passed on only when the coordinator did not get it too
                heldSignal = campaignSignal;
                heldSince = now;
            } else {  // the operator insists
                kill(pid, campaignSignal);
            }
            signalsSeen = received;
        }
        if (heldSignal && (closing || now - heldSince >= FORWARD_GRACE_S)) {
            if (!closing) kill(pid, heldSignal);
            heldSignal = 0;
        }
        if (!stopSent && exists(campaign + "/" + CAMPAIGN_STOP_FILE)) {
            std::printf("quarnCampaign: %s/%s found: ending the unit in order\n", campaign.c_str(),
                        CAMPAIGN_STOP_FILE);
            kill(pid, SIGTERM);
            stopSent = true;
        }
        if (work != dir && now - copiedAt >= COPY_BACK_INTERVAL_S) {
            copyBack(work, dir);
            copiedAt = now;
        }
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            if (outFd >= 0) close(outFd);
            return done == pid ? status : -1;
        }
    }
}

}  // namespace

int runUnit(const std::string &campaign, const Plan &plan, int unit, int onNode) {
    const std::string dir = unitDir(campaign, unit);
    std::string error;
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "quarnCampaign: %s\n", failure("cannot create", dir).c_str());
        return EXIT_ERROR;
    }
    const int lock = lockUnit(dir, unit, &error);
    if (lock < 0) {
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        return EXIT_ERROR;
    }
    UnitProgress before;
    std::string work = dir;
    int result = EXIT_ERROR;
    if (!readUnitProgress(plan, unit, dir, &before, &error)) {
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
    } else if (before.finished) {
        std::printf("unit %d is done\n", unit);
        result = EXIT_OK;
    } else if (campaignSignalCount > 0) {
        std::printf("unit %d not started: a signal arrived\n", unit);
        result = EXIT_UNFINISHED;
    } else if ((onNode && !makeScratch(dir, unit, &work, &error)) ||
               !prepareWorkDir(plan, work, &error)) {
        std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
    } else {
        std::vector<std::string> env = {"QUARN_M_COUNT=" + std::to_string(before.mLeft)};
        std::string settings = "free-memory threshold " + memoryThreshold(&env);
        if (onNode && !std::getenv("QUARN_CLIENT_SUDO")) env.push_back("QUARN_CLIENT_SUDO=0");
        if (onNode && !std::getenv("QUARN_KEY_BASE")) env.push_back("QUARN_KEY_BASE=auto");
        const char *job = std::getenv("SLURM_ARRAY_JOB_ID");
        const char *task = std::getenv("SLURM_ARRAY_TASK_ID");
        const std::string resume = resumeText(before.resume);
        std::string start = "start unit " + std::to_string(unit) + " on " + hostName() + " pid " +
                            std::to_string(getpid());
        if (job && task) start += " job " + std::string(job) + "_" + task;
        start +=
            ": resume " + resume + ", M count " + std::to_string(before.mLeft) + ", " + settings;
        if (!appendTaskLine(dir, start, &error))
            std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        std::printf("unit %d in %s: %ld of %ld pairs done, resume %s with QUARN_M_COUNT=%ld, %s\n",
                    unit, work.c_str(), before.pairsDone, unitPairs(plan, plan.units[unit]),
                    resume.c_str(), before.mLeft, settings.c_str());
        std::fflush(stdout);

        int outFd = -1;
        pid_t pid = spawnInGroup({quarnMainPath, resume}, work, env, &outFd);
        const int status = pid < 0 ? -1 : supervise(pid, outFd, campaign, work, dir);
        if (work != dir) copyBack(work, dir);
        UnitProgress after;
        const bool done = readUnitProgress(plan, unit, dir, &after, &error) && after.finished;
        std::string end = "end unit " + std::to_string(unit) + " pid " + std::to_string(getpid()) +
                          ": " + (done ? "done" : "unfinished");
        if (!after.endReason.empty()) end += " (" + after.endReason + ")";
        if (status == -1)
            end += ", the coordinator could not be run";
        else if (WIFSIGNALED(status))
            end += ", the coordinator was killed by signal " + std::to_string(WTERMSIG(status));
        else if (WEXITSTATUS(status) != 0)
            end += ", coordinator status " + std::to_string(WEXITSTATUS(status));
        appendTaskLine(dir, end, &error);
        std::printf("%s\n", end.c_str());
        result = done ? EXIT_OK : EXIT_UNFINISHED;
    }
    if (work != dir) {
        std::error_code ignored;
        std::filesystem::remove_all(work, ignored);
    }
    close(lock);
    return result;
}

int runUnits(const std::string &campaign, const Plan &plan, int first, int last) {
    for (int unit = first; unit <= last; ++unit) {
        if (exists(campaign + "/" + CAMPAIGN_STOP_FILE) || campaignSignalCount > 0) {
            std::printf("quarnCampaign: stopped before unit %d\n", unit);
            return EXIT_UNFINISHED;
        }
        const int result = runUnit(campaign, plan, unit, 0);
        if (result != EXIT_OK) return result;
    }
    std::printf("units %d to %d are done\n", first, last);
    return EXIT_OK;
}
