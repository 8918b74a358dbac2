// Settings of the coordinator read once at start-up (see settings.h).
#include "settings.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "state.h"

int parseFreeKb(const char *text, long *kb) {
    if (text == nullptr || *text < '0' || *text > '9') return 0;
    char *end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0') return 0;
    *kb = value;
    return 1;
}

void readSettings() {
    const char *text = std::getenv("QUARN_MIN_FREE_KB");
    minFreeKb = DEFAULT_MIN_FREE_KB;
    if (text != nullptr && !parseFreeKb(text, &minFreeKb)) {
        std::fprintf(stderr,
                     "quarnMain: QUARN_MIN_FREE_KB must be a non-negative whole number of kB, "
                     "not \"%s\"\n",
                     text);
        std::exit(1);
    }
    // With fewer processors than polling processes, a poll that finds nothing to do gives the
    // processor to the clients that have work.
    yieldWhenIdle = sysconf(_SC_NPROCESSORS_ONLN) < POLLERS ? 1 : 0;
}
