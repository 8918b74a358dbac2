// quarnMain: pairs every M formula with every V formula and has 50 clients score the pairs.
#include "shutdown.h"
#include "state.h"

int main() { return 0; }
