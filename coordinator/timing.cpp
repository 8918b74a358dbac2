// Whole-second timers of the coordinator (see timing.h).
#include "timing.h"

#include <cerrno>

#include "state.h"

void sleepSeconds(int seconds) {
    timespec left = {seconds, 0};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

int napUnlessInterrupted(int seconds) {
    // Short naps, so that the shutdown starts well within a second of Ctrl+C.
    const timespec nap = {0, 50 * 1000 * 1000};
    for (int i = 0; i < seconds * 20 && !sigintReceived; ++i) nanosleep(&nap, nullptr);
    return sigintReceived ? 1 : 0;
}
