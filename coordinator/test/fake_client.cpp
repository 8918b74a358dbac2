// A stand-in for quarnClient in the coordinator's tests. Placed as ./quarnClient in a test's
// working directory, it serves its mailbox by the rule in ./fake_rule.txt and appends every
// request it takes to ./requests_<key>.log as "<letter> <M> <V>". Rule lines, all optional:
//   serve=<key>     only this key answers requests; the others leave them unanswered
//   pass=<formula>  pairs with this M pass with score 4 (pass=* : every pair)
//   delay_ms=<n>    time each answer takes
//   mute=<key>      this key never confirms its stop: told to stop, it stays attached and silent
//   quick=1         answers at once and logs nothing: a client as fast as can be (benchmarks)
//   die=1           exits at its first request after the seed (after delay_ms), without answering
// Like the real client it ignores SIGTERM and SIGHUP; unlike it, it dies on SIGINT, so that a
// Ctrl+C reaching the clients would show.
// Unlike the real client it waits half a minute, not a second, once nobody else is attached to
// its mailbox before it ends by itself: long enough for the next run to find it and stop it,
// short enough that a test killed midway leaves no poller for long.
#include <sched.h>
#include <signal.h>
#include <sys/shm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/mailbox.h"

static void nap(long ms) {
    timespec t = {ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&t, nullptr);
}

int main(int argc, char **argv) {
    signal(SIGTERM, SIG_IGN);
    signal(SIGHUP, SIG_IGN);
    const int key = argc == 2 ? std::atoi(argv[1]) : 0;
    const int id = shmget(key, MB_SIZE, 0666);
    void *address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) return 1;
    char *mailbox = static_cast<char *>(address);
    int serve = key, mute = -1, quick = 0, die = 0;
    long delayMs = 0;
    char line[2 * FORMULA_BUF_SIZE], pass[2 * FORMULA_BUF_SIZE] = "", m[MB_SIZE];
    if (FILE *rule = std::fopen("fake_rule.txt", "r")) {
        while (std::fgets(line, sizeof line, rule) != nullptr) {
            line[std::strcspn(line, "\n")] = '\0';
            std::sscanf(line, "serve=%d", &serve);
            std::sscanf(line, "pass=%s", pass);
            std::sscanf(line, "delay_ms=%ld", &delayMs);
            std::sscanf(line, "mute=%d", &mute);
            std::sscanf(line, "quick=%d", &quick);
            std::sscanf(line, "die=%d", &die);
        }
        std::fclose(rule);
    }
    std::snprintf(line, sizeof line, "requests_%d.log", key);
    FILE *log = std::fopen(line, "a");
    long alone = 0;  // idle polls in a row with nobody else attached
    for (char letter; (letter = mbLoadLetter(mailbox)) != MB_KILL;) {
        if (serve != key || !(letter == MB_RUN || letter == MB_SELFTEST)) {
            quick ? (void)sched_yield() : nap(1);
            alone = mbAttachCount(id) < 2 ? alone + 1 : 0;
            if (alone > 30000) return 0;
            continue;
        }
        std::strcpy(m, mailbox + 2);
        char *v = std::strchr(m, ',');
        *v++ = '\0';
        if (!quick) std::fprintf(log, "%c %s %s\n", letter, m, v), std::fflush(log);
        nap(delayMs);
        if (die && std::strcmp(m, MB_SEED_FORMULA) != 0) return 1;
        int score = letter == MB_SELFTEST                            ? 3
                    : std::strcmp(pass, "*") && std::strcmp(pass, m) ? 0
                                                                     : 4;
        if (score > 2) mbWriteScoreText(mailbox, score);
        if (!mbSwapLetter(mailbox, letter, score > 2 ? MB_SCORED : MB_FAILED)) break;
    }
    if (key == mute) nap(600 * 1000);
    mbWriteExitConfirmation(mailbox);
    return 0;
}
