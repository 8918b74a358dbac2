// The pair lines of best.txt and unevaluated.txt (see pair_line.h).
#include "common/pair_line.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char PAIR_PREFIX[] = "M = ";
constexpr char PAIR_SEPARATOR[] = ", V = ";

// Drops the blanks, CRs and LFs at the end of a text.
void trimEnd(std::string *text) {
    while (!text->empty() && std::strchr(" \r\n", text->back())) text->pop_back();
}

}  // namespace

std::size_t formatPairLine(char *out, std::size_t size, const char *m, const char *v) {
    const std::size_t vLen = std::strlen(v);
    const bool ownEnd = vLen > 0 && v[vLen - 1] == '\n';
    const int built = std::snprintf(out, size, ownEnd ? "%s%s%s%s" : "%s%s%s%s\n", PAIR_PREFIX, m,
                                    PAIR_SEPARATOR, v);
    if (built >= 0 && static_cast<std::size_t>(built) < size)
        return static_cast<std::size_t>(built);
    out[size - 2] = '\n';
    return size - 1;
}

std::string pairText(const std::string &m, const std::string &v) {
    return PAIR_PREFIX + m + PAIR_SEPARATOR + v;
}

int parsePairLine(const std::string &line, std::string *m, std::string *v) {
    std::string text = line;
    trimEnd(&text);
    text += ' ';  // an empty V leaves its separator whole
    const std::size_t separator = text.find(PAIR_SEPARATOR);
    if (text.compare(0, sizeof PAIR_PREFIX - 1, PAIR_PREFIX) != 0 || separator == std::string::npos)
        return 0;
    *m = text.substr(sizeof PAIR_PREFIX - 1, separator - (sizeof PAIR_PREFIX - 1));
    *v = text.substr(separator + sizeof PAIR_SEPARATOR - 1);
    trimEnd(m);
    trimEnd(v);
    return 1;
}
