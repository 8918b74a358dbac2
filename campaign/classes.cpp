// The classes of a catalogue and the files of a distinct campaign (see classes.h).
#include "campaign/classes.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "campaign/constants.h"
#include "campaign/files.h"
#include "coordinator/catalogue.h"
#include "coordinator/streams.h"

namespace {

constexpr const char *WHY_WORDS[] = {"not-compiled", "variables"};  // by -1 - class
constexpr long UNSEEN = LONG_MIN;  // readClasses: a position no line has named yet

// Groups the positions of out->classOf by class (memberAt, members), in catalogue order.
void groupMembers(CatalogueClasses *out, long classes) {
    out->memberAt.assign(static_cast<std::size_t>(classes) + 1, 0);
    for (long c : out->classOf)
        if (c >= 0) ++out->memberAt[c + 1];
    for (long c = 0; c < classes; ++c) out->memberAt[c + 1] += out->memberAt[c];
    out->members.resize(out->memberAt.back());
    std::vector<long> next(out->memberAt.begin(), out->memberAt.end() - 1);
    for (long p = 0; p < out->formulas; ++p)
        if (out->classOf[p] >= 0) out->members[next[out->classOf[p]]++] = p;
}

// Adds a text to out's texts as the text of the next position.
void addText(CatalogueClasses *out, std::string_view text) {
    out->textAt.push_back(static_cast<long>(out->texts.size()));
    out->texts.insert(out->texts.end(), text.begin(), text.end());
    out->texts.push_back('\0');
}

// The fields of a line split at single blanks.
std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t at = 0; at <= line.size();) {
        std::size_t end = line.find(' ', at);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return fields;
}

// A whole number in [min, max] written as writeDistinct writes it.
bool readNumber(std::string_view field, long min, long max, long *value) {
    if (field.empty() || field.size() > 18 || field.find_first_not_of("0123456789") != field.npos ||
        (field.size() > 1 && field[0] == '0'))
        return false;
    *value = 0;
    for (char c : field) *value = *value * 10 + (c - '0');
    return *value >= min && *value <= max;
}

// Reads the lines of the table file `path` whose text is `text` (comments skipped) through
// readLine, which returns false for a line that is not the table's. Returns 1, or 0 with
// *error set.
template <typename ReadLine>
int readTable(const std::string &path, const std::string &text, ReadLine readLine,
              std::string *error) {
    long lineNo = 0;
    for (std::size_t at = 0; at < text.size(); ++lineNo) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + at, end - at);
        at = end + 1;
        if (!line.empty() && line[0] == '#') continue;
        if (!readLine(fieldsOf(line))) {
            *error = path + " line " + std::to_string(lineNo + 1) +
                     " is not a line of the table: " + plainLine(std::string(line));
            return 0;
        }
    }
    return 1;
}

}  // namespace

int classifyCatalogue(const std::string &dir, std::vector<CatalogueFile> *files, int checkLibrary,
                      CatalogueClasses *out, std::string *error) {
    if (!countCatalogue(dir, files, error)) return 0;
    *out = CatalogueClasses();
    for (const CatalogueFile &f : *files) out->formulas += f.formulas;
    out->classOf.reserve(out->formulas);
    out->textAt.reserve(out->formulas);
    FormulaClassTable table;
    long classes = 0;
    FormulaStream stream = {};
    resetStream(stream);
    for (const char *text; (text = getNextFormula(stream, STREAM_NEXT)) != nullptr;) {
        int use;
        long c = classOfFormula(&table, text, checkLibrary, classes, &use);
        ++out->uses[use];
        if (c < 0) c = use == USE_NOT_COMPILED ? NOT_COMPILED_CLASS : WRONG_VARIABLES_CLASS;
        classes += c == classes;
        out->classOf.push_back(c);
        addText(out, text);
    }
    if (stream.openFailed || static_cast<long>(out->classOf.size()) != out->formulas) {
        *error = "the catalogue " + dir + " changed while it was classed";
        getNextFormulaLine(stream, STREAM_REWIND);
        return 0;
    }
    groupMembers(out, classes);
    return 1;
}

int writeDistinct(const std::string &folder, const CatalogueClasses &classes, std::string *error) {
    if (countCatalogueNames(folder.c_str()) != 0) {
        *error = folder + " holds formula files already; remove them";
        return 0;
    }
    const long perFile = static_cast<long>(DISTINCT_LINES_PER_FILE) * DISTINCT_FORMULAS_PER_LINE;
    AtomicFile file;
    for (long c = 0; c < classes.classes(); ++c) {
        char name[TEXT_SIZE];
        std::snprintf(name, sizeof name, DISTINCT_FILE_FORMAT, static_cast<int>(c / perFile + 1));
        if (c % perFile == 0 && !openAtomically(folder + "/" + name, &file, error)) return 0;
        const char *text = classes.text(classes.members[classes.memberAt[c]]);
        writeAtomically(&file, text, std::strlen(text));
        const bool lineEnds =
            (c + 1) % DISTINCT_FORMULAS_PER_LINE == 0 || c + 1 == classes.classes();
        const bool fileEnds = (c + 1) % perFile == 0 || c + 1 == classes.classes();
        writeAtomically(&file, ", \n\n", lineEnds ? (fileEnds ? 4 : 3) : 2);
        if (fileEnds && !closeAtomically(&file, error)) return 0;
    }
    AtomicFile table, unusable;
    if (!openAtomically(folder + "/" + CLASSES_FILE_NAME, &table, error) ||
        !openAtomically(folder + "/" + UNUSABLE_FILE_NAME, &unusable, error))
        return 0;
    const std::string head = "# " + std::to_string(classes.classes()) + " classes of " +
                             std::to_string(classes.usable()) + " usable formulas of " +
                             std::to_string(classes.formulas) +
                             "\n# <class> <members> then <position> <formula> of each member\n";
    writeAtomically(&table, head.data(), head.size());
    for (long c = 0; c < classes.classes(); ++c) {
        std::string line =
            std::to_string(c) + " " + std::to_string(classes.memberAt[c + 1] - classes.memberAt[c]);
        for (long k = classes.memberAt[c]; k < classes.memberAt[c + 1]; ++k)
            line +=
                " " + std::to_string(classes.members[k]) + " " + classes.text(classes.members[k]);
        line += "\n";
        writeAtomically(&table, line.data(), line.size());
    }
    const std::string unusableHead = "# <position> <why: not-compiled or variables> <formula>\n";
    writeAtomically(&unusable, unusableHead.data(), unusableHead.size());
    for (long p = 0; p < classes.formulas; ++p) {
        if (classes.classOf[p] >= 0) continue;
        const std::string line = std::to_string(p) + " " + WHY_WORDS[-1 - classes.classOf[p]] +
                                 " " + classes.text(p) + "\n";
        writeAtomically(&unusable, line.data(), line.size());
    }
    return closeAtomically(&table, error) && closeAtomically(&unusable, error);
}

int readClasses(const std::string &folder, long formulas, CatalogueClasses *out,
                std::string *error) {
    const std::string tablePath = folder + "/" + CLASSES_FILE_NAME;
    const std::string unusablePath = folder + "/" + UNUSABLE_FILE_NAME;
    std::string table, unusable;  // the files' texts, which `texts` points into
    for (const auto &[path, text] : {std::pair{&tablePath, &table}, {&unusablePath, &unusable}}) {
        if (!readWhole(*path, text)) {
            *error = failure("cannot read", *path);
            return 0;
        }
    }
    *out = CatalogueClasses();
    out->formulas = formulas;
    out->classOf.assign(formulas, UNSEEN);
    std::vector<std::string_view> texts(formulas);
    long classes = 0, lastFirst = -1, lastUnusable = -1;
    // Position field `position` with text `text` in class c, behind position `after`: the
    // position, or -1 when it is not one or named before.
    auto take = [&](std::string_view position, std::string_view text, long c, long after) {
        long p;
        if (!readNumber(position, after + 1, formulas - 1, &p) || out->classOf[p] != UNSEEN ||
            text.empty())
            return -1L;
        out->classOf[p] = c;
        texts[p] = text;
        return p;
    };
    auto classLine = [&](const std::vector<std::string_view> &f) {
        long c, members, p = -1, first;
        if (f.size() < 4 || !readNumber(f[0], classes, classes, &c) ||
            !readNumber(f[1], 1, formulas, &members) ||
            f.size() != 2 + 2 * static_cast<std::size_t>(members) ||
            !readNumber(f[2], lastFirst + 1, formulas - 1, &first))
            return false;
        for (std::size_t k = 2; k < f.size(); k += 2)
            if ((p = take(f[k], f[k + 1], c, p)) < 0) return false;
        lastFirst = first;
        ++classes;
        return true;
    };
    auto unusableLine = [&](const std::vector<std::string_view> &f) {
        const long c = f.size() != 3          ? 0
                       : f[1] == WHY_WORDS[0] ? NOT_COMPILED_CLASS
                       : f[1] == WHY_WORDS[1] ? WRONG_VARIABLES_CLASS
                                              : 0;
        return c < 0 && (lastUnusable = take(f[0], f[2], c, lastUnusable)) >= 0;
    };
    if (!readTable(tablePath, table, classLine, error) ||
        !readTable(unusablePath, unusable, unusableLine, error))
        return 0;
    for (long p = 0; p < formulas; ++p) {
        if (out->classOf[p] == UNSEEN) {
            *error = folder + ": formula " + std::to_string(p) +
                     " of the catalogue is in neither " + CLASSES_FILE_NAME + " nor " +
                     UNUSABLE_FILE_NAME;
            return 0;
        }
        addText(out, texts[p]);
    }
    groupMembers(out, classes);
    return 1;
}
