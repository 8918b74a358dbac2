// Signals and whole-second timers of the coordinator (see timing.h).
#include "coordinator/timing.h"

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "coordinator/state.h"

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

void sigint_handler(int signal) {
    if (!sigintReceived) sigintReceived = signal;
    signalCount = signalCount + 1;
}

void installSignalHandlers() {
    if (std::signal(SIGINT, sigint_handler) == SIG_ERR) std::perror("signal(SIGINT)");
    std::signal(SIGHUP, sigint_handler);
    std::signal(SIGTERM, sigint_handler);
    std::signal(SIGPIPE, SIG_IGN);
}
