// Grouping the pairs of a results page (see groups.h).
#include "inspector/groups.h"

#include <cstdio>

#include "inspector/constants.h"
#include "inspector/state.h"

namespace {

constexpr std::uint64_t FNV_OFFSET = 14695981039346656037ull;
constexpr std::uint64_t FNV_PRIME = 1099511628211ull;

std::uint64_t mix(std::uint64_t hash, const char *text) {
    for (; *text; ++text) hash = (hash ^ static_cast<unsigned char>(*text)) * FNV_PRIME;
    return hash;
}

}  // namespace

long formulaClass(FormulaClasses *classes, const std::string &text) {
    auto [at, added] = classes->known.emplace(text, classes->next);
    if (!added) return at->second;
    const int saved = muteOutput();  // the library echoes the bytes it skips
    int use;
    const long c = classOfFormula(&classes->table, text.c_str(), 1, classes->next, &use);
    restoreOutput(saved);
    if (c >= 0) at->second = c;  // else a class of its own, by its text
    classes->next += at->second == classes->next;
    return at->second;
}

std::uint64_t fieldFamily(const Inspection &inspection) {
    char value[FAMILY_TEXT_SIZE];
    std::snprintf(value, sizeof value, "%d %d %d|", inspection.score, inspection.steps,
                  inspection.steps ? 0 : inspection.reason);
    std::uint64_t hash = mix(FNV_OFFSET, value);
    for (int step = 0; step < inspection.steps; ++step) {
        for (int cell = inspection.firstCell; cell <= inspection.lastCell; ++cell) {
            const Cell &c = recordTbl[step][cell];
            std::snprintf(value, sizeof value, "%.*g %.*g|", FAMILY_DIGITS, c.m, FAMILY_DIGITS,
                          c.v);
            hash = mix(hash, value);
        }
    }
    return hash;
}
