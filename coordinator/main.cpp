// quarnMain: pairs every M formula with every V formula and has 50 clients score the pairs.
#include "shutdown.h"
#include "state.h"

int main(int, char **) {
    // The start-up (catalogue, run log, stream positions) and the client farm come here.
    return 0;
}
