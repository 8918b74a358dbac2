// Building the results page from best.txt files.
#include "inspector/page.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/pair_line.h"
#include "inspector/constants.h"
#include "inspector/groups.h"
#include "inspector/image.h"
#include "inspector/inspect.h"
#include "inspector/output.h"
#include "inspector/picture.h"
#include "inspector/state.h"

namespace {

constexpr std::uint64_t FNV_OFFSET = 14695981039346656037ull;
constexpr std::uint64_t FNV_PRIME = 1099511628211ull;

struct PagePair {
    std::string m, v;
    int count = 0;  // lines that name the pair
};

// Pairs of one M class and one V class: one score, one field.
struct ClassPair {
    std::vector<std::size_t> members;  // its pairs, in the order they first appear
    int lines = 0;                     // lines that name one of them
    Inspection inspection;             // of its first pair
    std::size_t family = 0;
};

// Class pairs whose fields look the same: one picture.
struct Family {
    std::vector<std::size_t> classPairs;
    std::size_t shown = 0;  // the pair its picture shows
    int width = 0;          // its picture's size; 0 when it has none
    int height = 0;
};

struct Page {
    std::vector<PagePair> pairs;
    std::vector<ClassPair> classPairs;
    std::vector<Family> families;
};

struct PageTally {
    int lines = 0;    // pair lines read
    int skipped = 0;  // other lines
    int drawn = 0;
    int kept = 0;
    long passing = 0;  // pairs whose class pair passes
};

std::uint64_t fnv1a(const char *text, std::uint64_t hash) {
    for (; *text; ++text) hash = (hash ^ static_cast<unsigned char>(*text)) * FNV_PRIME;
    return hash;
}

// Adds the pairs of one source; 1 after a message when it cannot be read.
int readSource(const char *source, std::vector<PagePair> *pairs,
               std::unordered_map<std::string, std::size_t> *index, PageTally *tally) {
    // Only a regular file, opened without waiting: a FIFO named as a source never blocks.
    int fd = open(source, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    FILE *file = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? fdopen(fd, "r") : nullptr;
    if (!file) {
        std::fprintf(stderr, "quarnShow: cannot read %s: %s\n", source,
                     fd < 0 ? std::strerror(errno) : "not a regular file");
        if (fd >= 0) close(fd);
        return 1;
    }
    char *line = nullptr;
    std::size_t capacity = 0;
    for (int number = 1; getline(&line, &capacity, file) != -1; ++number) {
        std::string m, v;
        if (line[std::strspn(line, " \r\n")] == '\0') continue;  // an empty line
        if (!parsePairLine(line, &m, &v)) {
            std::fprintf(stderr, "quarnShow: %s:%d: not a pair, skipped\n", source, number);
            ++tally->skipped;
            continue;
        }
        ++tally->lines;
        std::string key = m + '\0' + v;
        auto [at, added] = index->emplace(key, pairs->size());
        if (added) {
            pairs->emplace_back();
            pairs->back().m = m;
            pairs->back().v = v;
        }
        ++(*pairs)[at->second].count;
    }
    int failed = std::ferror(file);
    std::free(line);
    std::fclose(file);
    if (failed) {
        std::fprintf(stderr, "quarnShow: cannot read %s\n", source);
        return 1;
    }
    return 0;
}

// Makes sure the picture of the pair just inspected exists; 1 after a message when it cannot
// be written.
int preparePicture(const char *outDir, const PagePair &pair, const Inspection &inspection,
                   Family *family, PageTally *tally) {
    if (inspection.steps == 0) return 0;
    char path[PATH_MAX];
    std::snprintf(path, sizeof path, "%s/%s", outDir, pictureName(pair.m.c_str(), pair.v.c_str()));
    const std::string title = pairText(pair.m, pair.v);
    PngView view;  // a picture is kept only when it decodes whole and shows this pair
    if (readPng(path, 1, &view) == 0 && !view.texts.empty() && view.texts[0].first == "Title" &&
        view.texts[0].second == title) {
        ++tally->kept;
    } else {
        if (drawPicture(path, 0, pair.m.c_str(), pair.v.c_str(), inspection, 0) != 0) return 1;
        view.width = canvasWidth;
        view.height = canvasHeight;
        ++tally->drawn;
    }
    family->width = view.width;
    family->height = view.height;
    return 0;
}

// Gathers the pairs into class pairs and the class pairs into families, scoring each class
// pair once and drawing each family once; 1 after a message when a picture cannot be written.
int groupPairs(const char *outDir, Page *page, PageTally *tally) {
    FormulaClasses classes;
    std::map<std::pair<long, long>, std::size_t> classPairOf;
    for (std::size_t i = 0; i < page->pairs.size(); ++i) {
        const PagePair &pair = page->pairs[i];
        const std::pair<long, long> key = {formulaClass(&classes, pair.m),
                                           formulaClass(&classes, pair.v)};
        auto [at, added] = classPairOf.emplace(key, page->classPairs.size());
        if (added) page->classPairs.emplace_back();
        page->classPairs[at->second].members.push_back(i);
        page->classPairs[at->second].lines += pair.count;
    }
    std::unordered_map<std::uint64_t, std::size_t> familyOf;
    for (std::size_t c = 0; c < page->classPairs.size(); ++c) {
        ClassPair &cp = page->classPairs[c];
        const PagePair &first = page->pairs[cp.members[0]];
        inspectPair(first.m.c_str(), first.v.c_str(), 0, &cp.inspection);
        if (cp.inspection.score == PASS_SCORE) tally->passing += cp.members.size();
        auto [at, added] = familyOf.emplace(fieldFamily(cp.inspection), page->families.size());
        cp.family = at->second;
        if (added) {
            page->families.emplace_back();
            page->families.back().shown = cp.members[0];
            if (preparePicture(outDir, first, cp.inspection, &page->families.back(), tally) != 0)
                return 1;
        }
        page->families[cp.family].classPairs.push_back(c);
    }
    return 0;
}

// Writes the text with the five characters that HTML gives a meaning as entities.
void writeEscaped(FILE *file, const char *text) {
    static const char *const entityTbl[][2] = {
        {"&", "&amp;"}, {"<", "&lt;"}, {">", "&gt;"}, {"\"", "&quot;"}, {"'", "&#39;"}};
    for (; *text; ++text) {
        const char *entity = nullptr;
        for (const auto &pair : entityTbl)
            if (*text == pair[0][0]) entity = pair[1];
        if (entity) {
            std::fputs(entity, file);
        } else {
            std::fputc(*text, file);
        }
    }
}

void writeHead(FILE *file, const char *const *sources, int sourceCount, const Page &page,
               const PageTally &tally) {
    std::fprintf(file,
                 "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                 "<title>quarn results</title>\n<style>\n"
                 "body { font-family: sans-serif; margin: 1.5em; color: #222; }\n"
                 "table { border-collapse: collapse; }\n"
                 "th, td { border-bottom: 1px solid #ccc; padding: 6px 8px; text-align: left; "
                 "vertical-align: top; }\n"
                 "tbody.family { border-top: 3px solid #888; }\n"
                 "td.formula { font-family: monospace; word-break: break-all; max-width: 24em; }\n"
                 "td.why { max-width: 30em; font-size: 90%%; }\n"
                 "td.score4 { color: #14532d; font-weight: bold; }\n"
                 "li.member { font-family: monospace; word-break: break-all; }\n"
                 "</style>\n</head>\n<body>\n<h1>quarn results</h1>\n<p>");
    std::fprintf(file,
                 "%ld passing pairs with the client's scoring now; %zu class pairs (pairs whose "
                 "formulas compute the same values bit for bit are one), %zu behaviour families "
                 "(class pairs whose fields agree to %d digits at every step share a picture); "
                 "%zu distinct pairs from %d lines of ",
                 tally.passing, page.classPairs.size(), page.families.size(), FAMILY_DIGITS,
                 page.pairs.size(), tally.lines);
    for (int i = 0; i < sourceCount; ++i) {
        if (i) std::fputs(", ", file);
        writeEscaped(file, sources[i]);
    }
    std::fputs(
        ".</p>\n<table>\n<thead><tr><th>#</th><th>picture</th><th>score</th><th>pairs</th>"
        "<th>lines</th><th>M</th><th>V</th><th>why</th><th>member pairs</th></tr></thead>\n",
        file);
}

// One row of a class pair; the first row of its family holds the family's picture.
void writeRow(FILE *file, int number, const Page &page, const ClassPair &cp) {
    const Family &family = page.families[cp.family];
    const PagePair &first = page.pairs[cp.members[0]];
    const Inspection &in = cp.inspection;
    std::fprintf(file, "<tr class=\"pair\" id=\"pair%d\"><td>%d</td>", number, number);
    if (&page.classPairs[family.classPairs[0]] == &cp) {
        std::fprintf(file, "<td rowspan=\"%zu\">", family.classPairs.size());
        const PagePair &shown = page.pairs[family.shown];
        if (family.width > 0) {
            int width = family.width < THUMBNAIL_WIDTH_PX ? family.width : THUMBNAIL_WIDTH_PX;
            int height = static_cast<int>(static_cast<long>(family.height) * width / family.width);
            const char *name = pictureName(shown.m.c_str(), shown.v.c_str());
            std::fprintf(file,
                         "<a href=\"%s\"><img src=\"%s\" width=\"%d\" height=\"%d\" "
                         "alt=\"field of pair %d\"></a>",
                         name, name, width, height, number);
        } else {
            std::fputs("no picture", file);
        }
        std::fputs("</td>", file);
    }
    std::fprintf(file, "<td class=\"score%d\">", in.score);
    if (in.reason == REASON_REFUSED) {
        std::fputs("refused", file);
    } else {
        std::fprintf(file, "%d", in.score);
    }
    std::fprintf(file, "</td><td>%zu</td><td>%d</td><td class=\"formula\">", cp.members.size(),
                 cp.lines);
    writeEscaped(file, first.m.c_str());
    std::fputs("</td><td class=\"formula\">", file);
    writeEscaped(file, first.v.c_str());
    std::fputs("</td><td class=\"why\">", file);
    writeEscaped(file, in.words);
    std::fputs("</td><td>", file);
    if (cp.members.size() > 1) {  // folded: open without JavaScript
        std::fprintf(file, "<details><summary>%zu pairs</summary><ol>", cp.members.size());
        for (std::size_t i : cp.members) {
            std::fputs("<li class=\"member\">", file);
            writeEscaped(file, pairText(page.pairs[i].m, page.pairs[i].v).c_str());
            std::fprintf(file, " (%d)</li>", page.pairs[i].count);
        }
        std::fputs("</ol></details>", file);
    }
    std::fputs("</td></tr>\n", file);
}

int writeIndex(const char *outDir, const char *const *sources, int sourceCount, const Page &page,
               const PageTally &tally) {
    char path[PATH_MAX];
    std::snprintf(path, sizeof path, "%s/index.html", outDir);
    OutputFile out;
    if (openOutput(path, 0, &out) != 0) return 1;
    writeHead(out.file, sources, sourceCount, page, tally);
    int number = 0;
    for (const Family &family : page.families) {
        std::fputs("<tbody class=\"family\">\n", out.file);
        for (std::size_t c : family.classPairs)
            writeRow(out.file, ++number, page, page.classPairs[c]);
        std::fputs("</tbody>\n", out.file);
    }
    std::fputs("</table>\n</body>\n</html>\n", out.file);
    return closeOutput(&out, 0);
}

}  // namespace

const char *pictureName(const char *textM, const char *textV) {
    static char name[PICTURE_NAME_SIZE];
    std::uint64_t hash = fnv1a(textM, FNV_OFFSET);
    hash *= FNV_PRIME;  // the NUL between M and V: xor with 0, then the multiply
    hash = fnv1a(textV, hash);
    std::snprintf(name, sizeof name, "pair_%016llx.png", static_cast<unsigned long long>(hash));
    return name;
}

int buildPage(const char *const *sources, int sourceCount, const char *outDir) {
    Page page;
    std::unordered_map<std::string, std::size_t> index;
    PageTally tally;
    for (int i = 0; i < sourceCount; ++i)
        if (readSource(sources[i], &page.pairs, &index, &tally) != 0) return 1;
    if (mkdir(outDir, 0777) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "quarnShow: cannot create %s: %s\n", outDir, std::strerror(errno));
        return 1;
    }
    if (groupPairs(outDir, &page, &tally) != 0 ||
        writeIndex(outDir, sources, sourceCount, page, tally) != 0)
        return 1;
    std::printf(
        "page: %s/index.html: %zu distinct pairs from %d lines (%d repeats, %d skipped), "
        "%ld passing; %zu class pairs, %zu families; pictures: %d drawn, %d kept\n",
        outDir, page.pairs.size(), tally.lines, tally.lines - static_cast<int>(page.pairs.size()),
        tally.skipped, tally.passing, page.classPairs.size(), page.families.size(), tally.drawn,
        tally.kept);
    return 0;
}
