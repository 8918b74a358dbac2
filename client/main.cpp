// quarnClient: the evaluation client of one mailbox. Reads the key, attaches the segment,
// sets up its state and serves requests until the coordinator tells it to stop.
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "client/service.h"
#include "client/state.h"

int main(int argc, char **argv) {
    // The coordinator stops clients through the mailbox and waits for their confirmations.
    // Ctrl+C in its terminal, a lost terminal and a batch system's stop reach the whole process
    // group (or cgroup); a client ended by them would never confirm. A closed output pipe must
    // not end a client before it answers or confirms its stop either.
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        if (std::signal(signalNumber, SIG_IGN) == SIG_ERR) {
            std::perror("Error: could not ignore a signal");
            return 1;
        }
    }
    // The output is shared with the coordinator's; each line goes out when it is complete.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    if (argc != 2) {
        std::printf("Usage: %s <number>\n", argv[0]);
        std::puts("where <number> is the shared memory key");
        return 1;
    }
    key = std::atoi(argv[1]);
    std::printf("\rmy key is: %d\n\r", key);
    std::fflush(stdout);
    // Key 0 is the platform's private key: it would make a fresh segment nobody can reach.
    if (key == 0) {
        std::fprintf(stderr, "Error: key 0 (from \"%s\") is not a shared memory key\n", argv[1]);
        return 1;
    }

    if (attachMailbox() != 0) return 1;
    if (setupClientState() != 0) {
        std::printf("*** Error *** client %d: Memory allocation failed. Exiting...\n", key);
        detachMailbox();
        return 1;
    }
    decidePolling();
    return serveRequests();
}
