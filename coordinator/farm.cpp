// The client farm: mailboxes, seeds and client processes (see farm.h).
#include "farm.h"

#include <signal.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "shutdown.h"
#include "timing.h"

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
            if (mbIsExitConfirmation(c.shm_ptr)) {
                std::printf("\rreceived exit confirmation from client %d\n", c.key);
                std::fflush(stdout);
                shmdt(c.shm_ptr);
                c.shm_ptr = nullptr;
                c.active = 0;
            } else {
                ++waiting;
            }
        }
        if (secondsSince(start) >= limitS) return 1;
        sleepSeconds(1);
        if (waiting == 0) return 0;
    }
}

void reportUnconfirmed(const ClientInfo *records) {
    for (int i = 0; i < MB_NUM_CLIENTS; ++i)
        if (records[i].active)
            std::printf("\rclient %d did not confirm its stop; its process may still run\n",
                        records[i].key);
}

// Ends the program after a failed farm: the clients started so far must not poll forever.
[[noreturn]] static void abandonFarm() {
    std::fflush(stdout);
    if (stopClients(clientInfoArr, 0, FAILED_FARM_WAIT_S)) reportUnconfirmed(clientInfoArr);
    std::fflush(stdout);
    std::exit(1);
}

void buildFarm() {
    char command[64];
    for (int i = 0; i < MB_NUM_CLIENTS; ++i) {
        pollInterrupt();
        ClientInfo &c = clientInfoArr[i];
        c.key = MB_KEY_BASE + i;
        c.shm_id = shmget(c.key, MB_SIZE, IPC_CREAT | 0660);
        if (c.shm_id < 0) {
            std::printf("Error: could not get shm_id with shmget() for key = %d\n", c.key);
            abandonFarm();
        }
        void *address = shmat(c.shm_id, nullptr, 0);
        if (address == reinterpret_cast<void *>(-1)) {
            std::printf("Error: could not get shm_ptr with shmmat() for key = %d\n", c.key);
            abandonFarm();
        }
        c.shm_ptr = static_cast<char *>(address);
        std::strcpy(c.lastM, MB_SEED_FORMULA);
        std::strcpy(c.lastV, MB_SEED_FORMULA);
        mbWriteRequest(c.shm_ptr, MB_SEED_FORMULA, MB_SEED_FORMULA, MB_RUN);
        std::printf("\rstarting background process quarnClient with key = %d\n", c.key);
        std::fflush(stdout);
        std::snprintf(command, sizeof command, "sudo ./quarnClient %d &", c.key);
        runShellCommand(command);
        c.active = 1;
    }
}
