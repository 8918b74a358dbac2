// Splitting a request text into the M and V formulas.
#include "client/request.h"

#include <cstdio>

#include "client/state.h"

int getFormulas(const char *text) {
    char scratch[SCRATCH_SIZE];  // the first part, the letter; not used further
    char *target = scratch;
    int length = 0;  // characters in target so far
    int commas = 0;
    const char *p = text;
    // i counts the scanned characters; at the second comma it is lowered by the length of M,
    // so that the bound applies to V as though V came right behind the letter.
    for (int i = 0; i <= SCAN_LIMIT; ++i, ++p) {
        char c = *p;
        if (c == ',') {
            target[length] = '\0';
            ++commas;
            if (commas == 1) {
                target = formulas + FORMULA_M_OFFSET;
            } else if (commas == 2) {
                i -= length;
                target = formulas + FORMULA_V_OFFSET;
            } else {
                std::printf("\rclient %d Error, more than three comma seperated parts: %.*s\n", key,
                            static_cast<int>(MB_SIZE), text);
                return 1;
            }
            length = 0;
        } else if (c == '\0' || c == '\n') {
            target[length] = '\0';
            if (commas == 2) return 0;
            std::printf("\rclient %d Error, fewer than three comma seperated parts: %.*s\n", key,
                        static_cast<int>(MB_SIZE), text);
            return 1;
        } else {
            target[length++] = c;
        }
    }
    // The bound was reached inside a part: a formula too long to be kept whole. Scoring what
    // fits would score a pair nobody sent, so the request counts as malformed.
    target[length] = '\0';
    std::printf("\rclient %d Error, formula too long: %.*s\n", key, static_cast<int>(MB_SIZE),
                text);
    return 1;
}
