// A stand-in for quarnClient in the coordinator's tests. Placed as ./quarnClient in a test's
// working directory, it serves its mailbox by a rule read from ./fake_rule.txt and appends every
// request it takes to ./requests_<key>.log as "<letter> <M> <V>".
//
// Rule lines (all optional):
//   serve=<key>      only this key answers requests (default: every key); the others leave their
//                    requests unanswered but still obey the stop letter
//   pass=<formula>   pairs with this M are answered 's' with score 4 (pass=* : every pair)
//   delay_ms=<n>     time each answer takes
//   mute=<key>       this key ends without confirming when told to stop
#include <signal.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "mailbox.h"

namespace {

int serveKey = -1;
char passM[FORMULA_BUF_SIZE + 16];
long delayMs;
int muteKey = -1;

void readRule() {
    FILE *rule = std::fopen("fake_rule.txt", "r");
    if (rule == nullptr) return;
    char line[FORMULA_BUF_SIZE + 16];
    while (std::fgets(line, sizeof line, rule) != nullptr) {
        line[std::strcspn(line, "\r\n")] = '\0';
        if (std::strncmp(line, "serve=", 6) == 0) serveKey = std::atoi(line + 6);
        if (std::strncmp(line, "pass=", 5) == 0) std::snprintf(passM, sizeof passM, "%s", line + 5);
        if (std::strncmp(line, "delay_ms=", 9) == 0) delayMs = std::atol(line + 9);
        if (std::strncmp(line, "mute=", 5) == 0) muteKey = std::atoi(line + 5);
    }
    std::fclose(rule);
}

void nap(long ms) {
    timespec t = {ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&t, nullptr);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) return 1;
    signal(SIGINT, SIG_IGN);
    const int key = std::atoi(argv[1]);
    int id = shmget(key, MB_SIZE, 0666);
    if (id < 0) return 1;
    void *address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) return 1;
    char *mailbox = static_cast<char *>(address);
    readRule();
    char logName[64];
    std::snprintf(logName, sizeof logName, "requests_%d.log", key);
    FILE *log = std::fopen(logName, "a");
    if (log == nullptr) return 1;
    const bool serving = serveKey < 0 || serveKey == key;
    char m[FORMULA_BUF_SIZE];
    char v[FORMULA_BUF_SIZE];

    for (;;) {
        char letter = mbLoadLetter(mailbox);
        if (letter == MB_KILL) break;
        if (!serving || (letter != MB_RUN && letter != MB_SELFTEST)) {
            nap(1);
            continue;
        }
        const char *comma = std::strchr(mailbox + 2, ',');
        if (comma == nullptr) return 1;
        std::snprintf(m, sizeof m, "%.*s", static_cast<int>(comma - mailbox - 2), mailbox + 2);
        std::snprintf(v, sizeof v, "%s", comma + 1);
        std::fprintf(log, "%c %s %s\n", letter, m, v);
        std::fflush(log);
        if (delayMs > 0) nap(delayMs);
        int score = letter == MB_SELFTEST ? 3
                    : (std::strcmp(passM, "*") == 0 || std::strcmp(passM, m) == 0) ? 4 : 0;
        if (score > 2) mbWriteScoreText(mailbox, score);
        if (!mbSwapLetter(mailbox, letter, score > 2 ? MB_SCORED : MB_FAILED)) break;
    }
    std::fclose(log);
    if (key != muteKey) mbWriteExitConfirmation(mailbox);
    shmdt(mailbox);
    return 0;
}
