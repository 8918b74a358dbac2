// quarnMain: pairs every M formula with every V formula and has 50 clients score the pairs.
#include "dispatch.h"
#include "farm.h"
#include "settings.h"
#include "startup.h"

int main(int argc, char **argv) {
    readSettings();
    startUp(argc, argv);
    buildFarm();
    runSearch();
}
