// zindel, the formula generator: writes 20 new formula files in the current directory,
// from the beginning or after the formula given as the one argument.
#include "generator/driver.h"

int main(int argc, char **argv) { return zindelMain(argc, argv); }
