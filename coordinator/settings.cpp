// Settings of the coordinator read once at start-up (see settings.h).
#include "coordinator/settings.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "coordinator/records.h"
#include "coordinator/state.h"

namespace {

// One numeric setting: its variable, its range and what the refusal says it must be.
struct NumberSetting {
    const char *name;
    long min;
    long max;
    const char *mustBe;
};

const NumberSetting minFreeSetting = {MIN_FREE_KB_VAR, 0, LONG_MAX,
                                      "a non-negative whole number of kB"};
const NumberSetting mCountSetting = {M_COUNT_VAR, 1, LONG_MAX,
                                     "a whole number of M formulas above 0"};
const NumberSetting keyBaseSetting = {KEY_BASE_VAR, 1, INT_MAX - (MB_NUM_CLIENTS - 1),
                                      "auto or a whole number from 1 to 2147483598"};
const NumberSetting sudoSetting = {CLIENT_SUDO_VAR, 0, 1, "0 or 1"};
const NumberSetting holdSetting = {HOLD_LIMIT_VAR, 1, INT_MAX, "a whole number of seconds above 0"};

[[noreturn]] void refuse(const NumberSetting &s, const char *text) {
    std::fprintf(stderr, "quarnMain: %s must be %s, not \"%s\"\n", s.name, s.mustBe, text);
    std::exit(1);
}

// Reads the setting into *value when its variable is set; keeps *value otherwise.
void readNumber(const NumberSetting &s, long *value) {
    const char *text = std::getenv(s.name);
    if (text != nullptr && !parseWholeNumber(text, s.min, s.max, value)) refuse(s, text);
}

}  // namespace

int parseWholeNumber(const char *text, long min, long max, long *value) {
    if (text == nullptr || *text < '0' || *text > '9') return 0;
    char *end = nullptr;
    errno = 0;
    long number = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < min || number > max) return 0;
    *value = number;
    return 1;
}

void readSettings() {
    minFreeKb = DEFAULT_MIN_FREE_KB;
    readNumber(minFreeSetting, &minFreeKb);
    mCountLimit = 0;
    readNumber(mCountSetting, &mCountLimit);

    long number = MB_KEY_BASE;
    const char *base = std::getenv(keyBaseSetting.name);
    keyBaseAuto = base != nullptr && std::strcmp(base, KEY_BASE_AUTO) == 0;
    if (!keyBaseAuto) readNumber(keyBaseSetting, &number);
    keyBase = static_cast<int>(number);

    number = 1;
    readNumber(sudoSetting, &number);
    clientSudo = static_cast<int>(number);
    number = DEFAULT_HOLD_LIMIT_S;
    readNumber(holdSetting, &number);
    holdLimitS = static_cast<int>(number);

    yieldWhenIdle = mbYieldWhenIdle();
}

long fittingMinFreeKb(int *fallback) {
    *fallback = memLeft() < DEFAULT_MIN_FREE_KB;
    return *fallback ? meminfoKb(MEMINFO_PATH, "MemTotal") / LOW_MEMORY_DIVISOR
                     : DEFAULT_MIN_FREE_KB;
}

void clientCommand(char *out, int size, int key) {
    std::snprintf(out, static_cast<std::size_t>(size),
                  clientSudo ? "sudo ./quarnClient %d &" : "./quarnClient %d &", key);
}
