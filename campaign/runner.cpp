// Running units with the coordinator (see runner.h).
#include "campaign/runner.h"

#include <poll.h>
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

#include "campaign/constants.h"
#include "campaign/context.h"
#include "campaign/files.h"
#include "campaign/process.h"
#include "campaign/unit.h"
#include "common/lock_file.h"
#include "coordinator/records.h"
#include "coordinator/settings.h"
#include "coordinator/shutdown.h"

namespace {

// The coordinator's records: its log, and the records of pair results the log counts on.
const char *const RESULT_RECORDS[] = {BEST_FILE_NAME, UNEVALUATED_FILE_NAME};

std::string hostName() {
    char host[HOST_NAME_MAX + 1] = "?";
    gethostname(host, sizeof host - 1);
    return host;
}

// The unit's lock, held open for as long as the run lasts. Returns the descriptor, or -1 with
// *error naming the holder.
int lockUnit(const std::string &dir, int unit, std::string *error) {
    const std::string path = dir + "/" + UNIT_LOCK_NAME;
    const std::string holder = "host " + hostName() + " pid " + std::to_string(getpid()) + "\n";
    char said[TEXT_SIZE];
    const int fd = takeLockFile(path.c_str(), 0644, holder.c_str(), said, sizeof said);
    if (fd == LOCK_HELD_ELSEWHERE)
        *error = "unit " + std::to_string(unit) + " is being run already (" + said + ")";
    else if (fd < 0)
        *error = "cannot use " + path + ": " + said;
    return fd < 0 ? -1 : fd;
}

// The free-memory threshold of a run: the variable when it is set, else the rule scripts and
// campaigns follow (fittingMinFreeKb), passed in *env. Returns the text task.txt records.
std::string memoryThreshold(std::vector<std::string> *env) {
    if (const char *set = std::getenv(MIN_FREE_KB_VAR))
        return std::string(set) + " kB (" + MIN_FREE_KB_VAR + " as set)";
    const std::string chosen = chosenThreshold();
    env->push_back(std::string(MIN_FREE_KB_VAR) + "=" + chosen.substr(0, chosen.find(' ')));
    return chosen;
}

// Copies the coordinator's records from folder `from` to folder `to`, each atomically. The log
// is read first and written last. Every result the copied log counts as recorded was in its
// file before the log was read, so it is in the copy of best.txt or unevaluated.txt read after
// it; and those copies are in place before the log is. A copy cut short at any instant (a node
// lost) so leaves a log that continues at or before the results it has, never past one it lacks.
// A last line still being written when it is read is left for the next copy. Returns 1, or 0
// with *error set at the first record that could not be copied (the log is then not copied).
int copyRecords(const std::string &from, const std::string &to, std::string *error) {
    std::string log, results[std::size(RESULT_RECORDS)];
    const std::string logPath = from + "/" + LOG_FILE_NAME;
    const bool hasLog = readWhole(logPath, &log);
    if (!hasLog && errno != ENOENT) {
        *error = failure("cannot read", logPath);
        return 0;
    }
    bool has[std::size(RESULT_RECORDS)];
    for (std::size_t i = 0; i < std::size(RESULT_RECORDS); ++i) {
        const std::string path = from + "/" + RESULT_RECORDS[i];
        has[i] = readWhole(path, &results[i]);
        if (!has[i] && errno != ENOENT) {
            *error = failure("cannot read", path);
            return 0;
        }
    }
    for (std::size_t i = 0; i < std::size(RESULT_RECORDS); ++i)
        if (has[i] && !writeAtomically(to + "/" + RESULT_RECORDS[i], wholeLines(results[i]), error))
            return 0;
    return !hasLog || writeAtomically(to + "/" + LOG_FILE_NAME, wholeLines(log), error);
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
    return copyRecords(dir, *work, error);
}

// Reads what the pipe `fd` holds into `to` (a stream of quarnCampaign), keeping the end of the
// text in *tail (at most keep bytes). Closes the pipe and sets fd to -1 at its end.
void relay(int &fd, FILE *to, std::string *tail, std::size_t keep) {
    char buf[IO_CHUNK];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
        std::fwrite(buf, 1, static_cast<std::size_t>(n), to);
        std::fflush(to);
        tail->append(buf, static_cast<std::size_t>(n));
        if (tail->size() > keep) tail->erase(0, tail->size() - keep);
    } else if (n == 0 || errno != EINTR) {
        close(fd);  // the clients may hold the pipe after the coordinator has gone
        fd = -1;
    }
}

// Watches the coordinator until it exits: relays its output, passes signals and the campaign's
// stop file on, and copies the records back from scratch. Returns its wait status; *lastError
// receives the last line it wrote to standard error.
int supervise(pid_t pid, int outFd, int errFd, const std::string &campaign, const std::string &work,
              const std::string &dir, std::string *lastError) {
    const std::string mark = CLOSING_WORDS;
    std::string tail;       // the end of the output so far, to find the mark across reads
    std::string errors;     // the end of its standard error
    bool closing = false;   // the coordinator announced its shutdown
    bool stopSent = false;  // the campaign's stop file was passed on
    int signalsSeen = 0;    // campaignSignalCount already handled
    int heldSignal = 0;     // the first signal, passed on after the grace unless announced
    time_t heldSince = 0;
    time_t copiedAt = std::time(nullptr);
    for (;;) {
        pollfd p[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
        if ((outFd >= 0 || errFd >= 0) && poll(p, 2, POLL_MS) > 0) {
            if (p[0].revents) relay(outFd, stdout, &tail, mark.size());
            if (p[1].revents) relay(errFd, stderr, &errors, TEXT_SIZE);
            closing = closing || tail.find(mark) != std::string::npos;
        } else if (outFd < 0 && errFd < 0) {
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
        std::string error;
        if (work != dir && now - copiedAt >= COPY_BACK_INTERVAL_S) {
            if (!copyRecords(work, dir, &error))
                std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
            copiedAt = now;
        }
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            for (int fd : {outFd, errFd})
                if (fd >= 0) close(fd);
            if (!errors.empty() && errors.back() == '\n') errors.pop_back();
            *lastError = plainLine(errors.substr(errors.rfind('\n') + 1));
            return done == pid ? status : -1;
        }
    }
}

// The details of a run's end line (after its word), and whether the run failed: the reason its
// log gives when the run started, then what became of the coordinator.
std::string endDetails(const UnitProgress &before, const UnitProgress &after, int status,
                       const std::string &lastError, bool *failed) {
    std::string details;
    const bool ran = after.runs > before.runs;
    if (ran && !after.endText.empty()) details += " (" + after.endText + ")";
    *failed = true;
    if (status == -1) {
        details += ", the coordinator could not be run";
    } else if (WIFSIGNALED(status)) {
        details += ", the coordinator was killed by signal " + std::to_string(WTERMSIG(status));
    } else if (WEXITSTATUS(status) != 0) {
        details += ", coordinator status " + std::to_string(WEXITSTATUS(status));
        if (!ran && !lastError.empty()) details += ": " + lastError;
    } else {
        *failed = false;
    }
    return details;
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
    bool keepScratch = false;
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
        std::vector<std::string> env = {std::string(M_COUNT_VAR) + "=" +
                                        std::to_string(before.mLeft)};
        std::string settings = "free-memory threshold " + memoryThreshold(&env);
        if (onNode && !std::getenv(CLIENT_SUDO_VAR))
            env.push_back(std::string(CLIENT_SUDO_VAR) + "=0");
        if (onNode && !std::getenv(KEY_BASE_VAR))
            env.push_back(std::string(KEY_BASE_VAR) + "=" + KEY_BASE_AUTO);
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
        std::printf("unit %d in %s: %ld of %ld pairs done, resume %s with %s=%ld, %s\n", unit,
                    work.c_str(), before.pairsDone, unitPairs(plan, plan.units[unit]),
                    resume.c_str(), M_COUNT_VAR, before.mLeft, settings.c_str());
        std::fflush(stdout);

        int outFd = -1, errFd = -1;
        std::string lastError;
        pid_t pid = spawnInGroup({quarnMainPath, resume}, work, env, &outFd, &errFd);
        const int status =
            pid < 0 ? -1 : supervise(pid, outFd, errFd, campaign, work, dir, &lastError);
        // Until its records are back in the unit's folder, the scratch folder holds the only copy.
        std::string copyError;
        const bool copied = work == dir || copyRecords(work, dir, &copyError);
        // Done as the unit's folder has it; how the run ended as its own log says.
        UnitProgress after, ran;
        const bool done = readUnitProgress(plan, unit, dir, &after, &error) && after.finished;
        readUnitProgress(plan, unit, work, &ran, &error);
        bool failed = false;
        std::string details = endDetails(before, ran, status, lastError, &failed);
        if (!copied) {
            details += "; the records could not be copied back (" + copyError +
                       "); scratch kept in " + work;
            failed = true;
            keepScratch = true;
        }
        const std::string end = taskEndLine(unit,
                                            failed ? TASK_FAILED
                                            : done ? TASK_DONE
                                                   : TASK_UNFINISHED,
                                            details);
        if (!appendTaskLine(dir, end, &error))
            std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
        std::printf("%s\n", end.c_str());
        result = !copied ? EXIT_ERROR : done && !failed ? EXIT_OK : EXIT_UNFINISHED;
    }
    if (work != dir && !keepScratch) {
        std::error_code ignored;
        std::filesystem::remove_all(work, ignored);
    }
    close(lock);
    return result;
}

std::string chosenThreshold() {
    int fallback = 0;
    const long kb = fittingMinFreeKb(&fallback);
    return std::to_string(kb) + " kB (" +
           (fallback ? "a tenth of the machine's memory: less than " +
                           std::to_string(DEFAULT_MIN_FREE_KB) + " kB free"
                     : std::string("the coordinator's default")) +
           ")";
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
