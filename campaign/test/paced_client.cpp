// The real client with a pause before each evaluation (linked with
// --wrap=_Z16evaluateFunctionPKcS0_), so that a test can stop a search in the middle of a
// unit: fifty clients then score at most fifty pairs per pause, with the client's own code.
#include <time.h>

extern "C" int __real__Z16evaluateFunctionPKcS0_(const char *textM, const char *textV);

extern "C" int __wrap__Z16evaluateFunctionPKcS0_(const char *textM, const char *textV) {
    const timespec pause = {0, 500 * 1000 * 1000};
    nanosleep(&pause, nullptr);
    return __real__Z16evaluateFunctionPKcS0_(textM, textV);
}
