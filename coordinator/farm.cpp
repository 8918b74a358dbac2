// The client farm: mailboxes, client processes and the watch over them (see farm.h).
#include "coordinator/farm.h"

#include <signal.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "coordinator/records.h"
#include "coordinator/replies.h"
#include "coordinator/settings.h"
#include "coordinator/timing.h"

namespace {

constexpr int COMMAND_SIZE = 64;                   // "sudo ./quarnClient <key> &"
const timespec AWAIT_NAP = {0, 10 * 1000 * 1000};  // between looks while clients start or stop

// Gets record c's segment, checks that it is this user's own, and attaches it. *others receives
// the number of processes attached before this one. Returns 0 after printing the failure.
int getMailbox(ClientInfo &c, long *others) {
    c.shm_id = shmget(c.key, MB_SIZE, IPC_CREAT | 0660);
    if (c.shm_id < 0) {
        std::printf("Error: could not get shm_id with shmget() for key = %d\n", c.key);
        return 0;
    }
    struct shmid_ds ds;
    if (shmctl(c.shm_id, IPC_STAT, &ds) != 0) {
        std::printf("Error: could not read the status of the segment for key = %d: %s\n", c.key,
                    std::strerror(errno));
        return 0;
    }
    const unsigned mode = ds.shm_perm.mode & 0777;
    if (!isOwnMailbox(ds)) {
        std::printf(
            "Error: the segment for key = %d is not a mailbox of this user (owner uid %u, "
            "creator uid %u, mode %03o); remove it (ipcrm -M %d) or use other keys\n",
            c.key, static_cast<unsigned>(ds.shm_perm.uid), static_cast<unsigned>(ds.shm_perm.cuid),
            mode, c.key);
        return 0;
    }
    *others = static_cast<long>(ds.shm_nattch);
    void *address = shmat(c.shm_id, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) {
        std::printf("Error: could not get shm_ptr with shmmat() for key = %d\n", c.key);
        return 0;
    }
    c.shm_ptr = static_cast<char *>(address);
    c.madeHere = 1;
    return 1;
}

// Detaches record c's mailbox and removes the segment from the system (the kernel frees it once
// nothing is attached any more).
void freeMailbox(ClientInfo &c) {
    if (c.shm_ptr != nullptr) shmdt(c.shm_ptr);
    c.shm_ptr = nullptr;
    if (c.madeHere && shmctl(c.shm_id, IPC_RMID, nullptr) != 0)
        std::printf("\rcould not remove the mailbox of key %d: %s\n", c.key, std::strerror(errno));
    c.madeHere = 0;
}

// Tells the clients of an earlier run still attached to the mailboxes to stop and waits until
// they have gone. Returns END_NONE when none is left.
RunEnd stopOrphans(const long *others) {
    int orphaned = 0;
    for (int i = 0; i < MB_NUM_CLIENTS; ++i) {
        if (others[i] == 0) continue;
        mbStoreLetter(clientInfoArr[i].shm_ptr, MB_KILL);
        ++orphaned;
    }
    if (orphaned == 0) return END_NONE;
    std::printf(
        "\r%d mailboxes still have clients of an earlier run attached: telling them to "
        "stop\n",
        orphaned);
    std::fflush(stdout);
    const time_t start = std::time(nullptr);
    for (;;) {
        const ClientInfo *left = nullptr;
        for (int i = 0; i < MB_NUM_CLIENTS; ++i) {
            ClientInfo &c = clientInfoArr[i];
            if (others[i] == 0 || mbAttachCount(c.shm_id) < 2) continue;
            // A client that answered over the stop letter is told again.
            char letter = mbLoadLetter(c.shm_ptr);
            if (letter == MB_SCORED || letter == MB_FAILED) mbStoreLetter(c.shm_ptr, MB_KILL);
            left = &c;
        }
        if (left == nullptr) return END_NONE;
        if (sigintReceived) return END_SIGNAL;
        if (secondsSince(start) >= ORPHAN_STOP_LIMIT_S) {
            std::printf(
                "Error: clients of an earlier run on key = %d did not stop within %d s; end "
                "them (ipcs -m -p shows their process ids) and start again\n",
                left->key, ORPHAN_STOP_LIMIT_S);
            return END_FARM_FAILED;
        }
        nanosleep(&AWAIT_NAP, nullptr);
    }
}

// Seeds record c's mailbox with the first request and starts its client.
void launchClient(ClientInfo &c, time_t now) {
    std::strcpy(c.lastM, MB_SEED_FORMULA);
    std::strcpy(c.lastV, MB_SEED_FORMULA);
    c.place.seq = -1;
    c.sentLetter = MB_RUN;
    c.sentAt = now;
    c.unsettled = 1;
    mbWriteRequest(c.shm_ptr, MB_SEED_FORMULA, MB_SEED_FORMULA, MB_RUN);
    if (c.restarts == 0)
        std::printf("\rstarting background process quarnClient with key = %d\n", c.key);
    else
        std::printf("\rrestarting background process quarnClient with key = %d (%d of %d)\n", c.key,
                    c.restarts, MAX_CLIENT_RESTARTS);
    std::fflush(stdout);
    char command[COMMAND_SIZE];
    clientCommand(command, sizeof command, c.key);
    runShellCommand(command);
    c.active = 1;
    c.state = CLIENT_STARTING;
    c.startedAt = now;
}

// 1 once record c's client has shown that it started: it is attached, or it has answered.
int hasStarted(const ClientInfo &c) {
    return mbAttachCount(c.shm_id) >= 2 || mbIsIdle(mbLoadLetter(c.shm_ptr));
}

// Waits until every started client has attached its mailbox.
RunEnd awaitClients() {
    for (;;) {
        int waiting = 0;
        for (ClientInfo &c : clientInfoArr) {
            if (c.state != CLIENT_STARTING) continue;
            if (hasStarted(c)) {
                c.state = CLIENT_RUNNING;
            } else if (secondsSince(c.startedAt) >= CLIENT_START_LIMIT_S) {
                char command[COMMAND_SIZE];
                clientCommand(command, sizeof command, c.key);
                std::printf(
                    "Error: the client with key = %d did not attach its mailbox within %d "
                    "s; check that \"%s\" starts ./quarnClient here (sudo allowed without "
                    "a password, ./quarnClient present and executable)\n",
                    c.key, CLIENT_START_LIMIT_S, command);
                return END_FARM_FAILED;
            } else {
                ++waiting;
            }
        }
        if (waiting == 0) return END_NONE;
        if (sigintReceived) return END_SIGNAL;
        nanosleep(&AWAIT_NAP, nullptr);
    }
}

// Puts the pair that record c's client held into the hand-on queue.
void handOn(const ClientInfo &c) {
    if (handOnCount == MB_NUM_CLIENTS) {  // cannot happen: one pair per mailbox at most
        appendUnevaluated(c.lastM, c.lastV);
        return;
    }
    PendingPair &p = handOnQueue[handOnCount++];
    std::strcpy(p.m, c.lastM);
    std::strcpy(p.v, c.lastV);
    p.letter = c.sentLetter;
    p.place = c.place;
}

// Record c's client has gone (or never attached): its result is taken if it left one, its pair
// is handed on, and with `replace` set a replacement starts unless the key has used up its
// restarts.
void replaceClient(ClientInfo &c, time_t now, const char *what, int replace) {
    if (!settleReply(c, mbLoadLetter(c.shm_ptr)) && c.unsettled && c.place.seq >= 0) {
        writeFaultLine("client %d %s; its pair M = %s, V = %s is handed on\n", c.key, what, c.lastM,
                       c.lastV);
        handOn(c);
    } else {
        writeFaultLine("client %d %s\n", c.key, what);
    }
    c.unsettled = 0;
    if (!replace) {
        c.state = CLIENT_GIVEN_UP;
        c.active = 0;
        return;
    }
    if (c.restarts == MAX_CLIENT_RESTARTS) {
        writeFaultLine("client %d has failed %d times since its first start; key %d is given up\n",
                       c.key, MAX_CLIENT_RESTARTS + 1, c.key);
        c.state = CLIENT_GIVEN_UP;
        c.active = 0;
        return;
    }
    ++c.restarts;
    launchClient(c, now);
}

// Record c's client has held its pair too long: the pair is handed on and the client is told
// to stop; it is replaced once it has gone.
void retireClient(ClientInfo &c) {
    writeFaultLine(
        "client %d has held its pair M = %s, V = %s for %d s; the pair is handed on and "
        "the client told to stop\n",
        c.key, c.lastM, c.lastV, holdLimitS);
    if (c.place.seq >= 0) handOn(c);
    c.unsettled = 0;
    c.state = CLIENT_RETIRING;
    mbStoreLetter(c.shm_ptr, MB_KILL);
}

}  // namespace

int isOwnMailbox(const struct shmid_ds &ds) {
    return ds.shm_perm.uid == geteuid() && ds.shm_perm.cuid == geteuid() &&
           (ds.shm_perm.mode & 0777 & ~MAILBOX_MODE_MAX) == 0;
}

RunEnd buildFarm() {
    long others[MB_NUM_CLIENTS] = {};
    for (int i = 0; i < MB_NUM_CLIENTS; ++i) {
        if (sigintReceived) return END_SIGNAL;
        ClientInfo &c = clientInfoArr[i];
        c.key = keyBase + i;
        if (!getMailbox(c, &others[i])) return END_FARM_FAILED;
    }
    RunEnd end = stopOrphans(others);
    if (end != END_NONE) return end;
    for (ClientInfo &c : clientInfoArr) {
        if (sigintReceived) return END_SIGNAL;
        launchClient(c, std::time(nullptr));
    }
    clientsWatchedAt = std::time(nullptr);
    return awaitClients();
}

RunEnd watchClients(time_t now, int replace) {
    if (now - clientsWatchedAt < CHECK_INTERVAL_S) return END_NONE;
    clientsWatchedAt = now;
    int serving = 0;
    for (ClientInfo &c : clientInfoArr) {
        if (c.state == CLIENT_NOT_STARTED || c.state == CLIENT_GIVEN_UP) continue;
        ++serving;
        const long attached = mbAttachCount(c.shm_id);
        if (c.state == CLIENT_STARTING) {
            if (hasStarted(c))
                c.state = CLIENT_RUNNING;
            else if (std::difftime(now, c.startedAt) >= CLIENT_START_LIMIT_S)
                replaceClient(c, now, "did not attach its mailbox after its restart", replace);
        } else if (attached >= 0 && attached < 2) {
            replaceClient(c, now, c.state == CLIENT_RETIRING ? "has stopped" : "is gone", replace);
        } else if (c.state == CLIENT_RUNNING && c.unsettled && !mbIsIdle(mbLoadLetter(c.shm_ptr)) &&
                   std::difftime(now, c.sentAt) >= holdLimitS) {
            retireClient(c);
        }
    }
    return serving == 0 ? END_NO_CLIENTS : END_NONE;
}

int runShellCommand(const char *command) {
    // Until the shell has a process group of its own, a Ctrl+C for the terminal's group reaches
    // it too. The signals wait in this process meanwhile, and the shell ignores them.
    sigset_t stops, old;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGHUP);
    sigaddset(&stops, SIGTERM);
    sigprocmask(SIG_BLOCK, &stops, &old);
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGINT, SIG_IGN);
        signal(SIGHUP, SIG_IGN);
        signal(SIGTERM, SIG_DFL);
        setpgid(0, 0);
        sigprocmask(SIG_SETMASK, &old, nullptr);
        execl("/bin/sh", "sh", "-c", command, static_cast<char *>(nullptr));
        _exit(127);
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
    if (pid < 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

int stopClients(ClientInfo *records, int graceS, int limitS) {
    for (int i = 0; i < MB_NUM_CLIENTS; ++i)
        if (records[i].shm_ptr != nullptr) mbStoreLetter(records[i].shm_ptr, MB_KILL);
    sleepSeconds(graceS);
    time_t start = std::time(nullptr);
    for (;;) {
        int waiting = 0;
        for (int i = 0; i < MB_NUM_CLIENTS; ++i) {
            ClientInfo &c = records[i];
            if (!c.active) continue;
            // The count first: a client confirms before it detaches.
            const long attached = mbAttachCount(c.shm_id);
            if (mbIsExitConfirmation(c.shm_ptr)) {
                std::printf("\rreceived exit confirmation from client %d\n", c.key);
            } else if (attached >= 0 && attached < 2 &&
                       (c.state != CLIENT_STARTING ||
                        secondsSince(c.startedAt) >= CLIENT_START_LIMIT_S)) {
                std::printf("\rclient %d is gone without confirming its stop\n", c.key);
            } else {
                ++waiting;
                continue;
            }
            std::fflush(stdout);
            freeMailbox(c);
            c.active = 0;
        }
        if (secondsSince(start) >= limitS) return 1;
        sleepSeconds(1);
        if (waiting == 0) return 0;
    }
}

int releaseMailboxes(ClientInfo *records) {
    int kept = 0;
    for (int i = 0; i < MB_NUM_CLIENTS; ++i) {
        ClientInfo &c = records[i];
        if (c.active)
            kept += c.madeHere;
        else if (c.madeHere)
            freeMailbox(c);
    }
    return kept;
}

void reportUnconfirmed(const ClientInfo *records) {
    for (int i = 0; i < MB_NUM_CLIENTS; ++i)
        if (records[i].active)
            std::printf("\rclient %d did not confirm its stop; its process may still run\n",
                        records[i].key);
}
