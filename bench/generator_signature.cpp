// Signature of the generator: the first N formulas from a start (default 1,400,000, one
// driver run's worth) folded into a count and a 64-bit FNV-1a checksum of their bytes, each
// formula followed by ", " as in the files. A change that alters any formula changes it.
//   generator_signature [N] [--literal]   (--literal draws by plain stepping: very slow)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cycle.h"
#include "state.h"

int main(int argc, char **argv) {
    long count = 1400000;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--literal") == 0) {
            drawFast = 0;
        } else {
            count = atol(argv[i]);
        }
    }
    uint64_t hash = 1469598103934665603ULL;  // FNV-1a offset basis
    char none[] = "";
    zindel(1, none);
    for (long n = 0; n < count; n++) {
        for (const char *p = zindel(0, nullptr); *p != '\0'; p++) {
            hash = (hash ^ (unsigned char)*p) * 1099511628211ULL;  // FNV-1a prime
        }
        hash = (hash ^ ',') * 1099511628211ULL;
        hash = (hash ^ ' ') * 1099511628211ULL;
    }
    printf("formulas: %ld checksum: %016llx last: %s\n", count, (unsigned long long)hash, test_F);
    return 0;
}
