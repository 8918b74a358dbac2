// quarnMain: pairs every M formula with every V formula and has 50 clients score the pairs.
// Every stage returns why the run ended, or END_NONE to go on; the one shutdown ends them all.
#include "coordinator/dispatch.h"
#include "coordinator/farm.h"
#include "coordinator/keylock.h"
#include "coordinator/settings.h"
#include "coordinator/shutdown.h"
#include "coordinator/startup.h"
#include "coordinator/timing.h"

int main(int argc, char **argv) {
    readSettings();
    if (!claimKeys()) return 1;
    installSignalHandlers();
    RunEnd end = startUp(argc, argv);
    if (end == END_BAD_RESUME) return 0;
    if (end == END_NONE) end = buildFarm();
    if (end == END_NONE) end = runSearch();
    return finishRun(end);
}
