// The plan of a campaign: counting the catalogue, splitting it into units, plan.txt (see plan.h).
#include "campaign/plan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "campaign/constants.h"
#include "campaign/files.h"
#include "coordinator/catalogue.h"
#include "coordinator/runlog.h"
#include "coordinator/settings.h"
#include "coordinator/state.h"
#include "coordinator/streams.h"

namespace {

// The size of a regular file (following links), or -1 for any other entry.
long sizeOf(const std::string &path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<long>(st.st_size);
}

// Lists and counts the catalogue of folder `dir` with the coordinator's own code.
int countIn(const std::string &dir, std::vector<CatalogueFile> *files, std::string *error) {
    buildCatalogue(dir.c_str());
    for (int i = 1; i < numFiles; ++i) {
        if (fileNameNumber(filenames[i - 1]) == fileNameNumber(filenames[i])) {
            *error = "the order of " + std::string(filenames[i - 1]) + " and " + filenames[i] +
                     " in " + dir + " is not fixed (both read as file number " +
                     std::to_string(fileNameNumber(filenames[i])) + "); rename one";
            return 0;
        }
    }
    files->clear();
    // Every file must open as the coordinator's streams will open it (a link that leads nowhere
    // does not); a regular file is read for its digest.
    for (int i = 0; i < numFiles; ++i) {
        struct stat st;
        const std::string path = dir + "/" + filenames[i];
        files->push_back({filenames[i], 0, sizeOf(path), ""});
        if (stat(path.c_str(), &st) != 0 ||
            (files->back().bytes >= 0 && !fileDigest(path, &files->back().digest))) {
            *error = failure("cannot read", path);
            return 0;
        }
    }
    FormulaStream stream = {};
    resetStream(stream);
    while (getNextFormula(stream, STREAM_NEXT) != nullptr) ++(*files)[stream.presFileNum].formulas;
    if (stream.openFailed) {  // a file that went away since: the stream rewound, so no name
        *error = "cannot read a file of " + dir + " (it changed while it was counted)";
        getNextFormulaLine(stream, STREAM_REWIND);
        return 0;
    }
    return 1;
}

// The fields of a line split at single blanks; the last one takes the rest of the line.
std::vector<std::string> splitFields(const std::string &line, std::size_t most) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (fields.size() + 1 < most && line.find(' ', at) != std::string::npos) {
        fields.push_back(line.substr(at, line.find(' ', at) - at));
        at = line.find(' ', at) + 1;
    }
    fields.push_back(line.substr(at));
    return fields;
}

bool isNumber(const std::string &text, long min, long *value) {
    return parseWholeNumber(text.c_str(), min, LONG_MAX, value) == 1;
}

// A digest as writePlan writes it: 16 lower-case hex digits.
bool isDigest(const std::string &text) {
    return text.size() == DIGEST_DIGITS &&
           text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Reads one line of plan.txt into *plan, strictly: the fields writePlan writes and nothing
// else. A catalogue line of a plan written before digests were kept has none.
bool readPlanLine(const std::string &line, Plan *plan) {
    const std::vector<std::string> f = splitFields(line, 5);
    if (f[0] == "catalogue" && f.size() >= 2) {
        plan->catalogue = line.substr(sizeof "catalogue");
        return true;
    }
    if (f[0] == "m-per-unit") return f.size() == 2 && isNumber(f[1], 1, &plan->mPerUnit);
    if ((f[0] == "file" || f[0] == "original-file") && f.size() >= 4) {
        CatalogueFile file;
        const bool digested = f.size() == 5 && isDigest(f[3]);
        file.digest = digested ? f[3] : "";
        file.name = digested ? f[4] : line.substr(f[0].size() + f[1].size() + f[2].size() + 3);
        file.bytes = -1;  // an entry that is not a regular file is written as -1
        const bool ok = isNumber(f[1], 0, &file.formulas) &&
                        (f[2] == "-1" || isNumber(f[2], 0, &file.bytes)) &&
                        file.name.starts_with(CATALOGUE_PREFIX) && (digested || f[0] == "file");
        (f[0] == "file" ? plan->files : plan->distinct.files).push_back(file);
        return ok;
    }
    DistinctPart &d = plan->distinct;
    if (f[0] == "original" && f.size() >= 2) {
        d.original = line.substr(sizeof "original");
        return true;
    }
    if (f[0] == "classes")
        return f.size() == 3 && isNumber(f[1], 1, &d.usable) && isDigest(f[2]) &&
               (d.classesDigest = f[2], true);
    if (f[0] == "unusable")
        return f.size() == 3 && isNumber(f[1], 0, &d.unusable) && isDigest(f[2]) &&
               (d.unusableDigest = f[2], true);
    PlanUnit u = {};
    long unit = -1;
    const bool ok = f.size() == 4 && isNumber(f[0], 0, &unit) &&
                    unit == static_cast<long>(plan->units.size()) &&
                    readResumeFields(f[1].c_str(), u.resume) == 6 && f[1] == resumeText(u.resume) &&
                    isNumber(f[2], 1, &u.mCount) && isNumber(f[3], 0, &u.pairs);
    plan->units.push_back(u);
    return ok;
}

// Checks that folder dir still holds the catalogue files `files` with their sizes and digests.
int checkFolder(const std::string &dir, const std::vector<CatalogueFile> &files,
                std::string *error) {
    const int names = countCatalogueNames(dir.c_str());
    if (names < 0) {
        *error = failure("cannot list the catalogue", dir);
        return 0;
    }
    if (names != static_cast<int>(files.size())) {
        *error = "the catalogue " + dir + " now holds " + std::to_string(names) +
                 " formula files, the plan counted " + std::to_string(files.size());
        return 0;
    }
    for (const CatalogueFile &f : files) {
        std::string digest;
        const std::string file = dir + "/" + f.name;
        if (sizeOf(file) != f.bytes ||
            (!f.digest.empty() && (!fileDigest(file, &digest) || digest != f.digest))) {
            *error =
                "the catalogue file " + dir + "/" + f.name + " has changed since it was planned";
            return 0;
        }
    }
    return 1;
}

}  // namespace

int countCatalogue(const std::string &dir, std::vector<CatalogueFile> *files, std::string *error) {
    const int names = countCatalogueNames(dir.c_str());
    if (names < 0) {
        *error = failure("cannot list", dir);
        return 0;
    }
    if (names > MAX_FILES) {
        *error = dir + " holds " + std::to_string(names) +
                 " formula files; the coordinator takes " + std::to_string(MAX_FILES) +
                 " of them in no fixed order";
        return 0;
    }
    return countIn(dir, files, error);
}

long formulaIndex(const Plan &plan, long fileNum, long skip) {
    if (fileNum < 0 || fileNum >= static_cast<long>(plan.files.size())) return -1;
    long before = 0;
    for (long f = 0; f < fileNum; ++f) before += plan.files[f].formulas;
    return before + skip;
}

int makePlan(const std::string &dir, long mPerUnit, Plan *plan, std::string *error) {
    char real[PATH_MAX];
    if (realpath(dir.c_str(), real) == nullptr) {
        *error = failure("cannot find", dir);
        return 0;
    }
    *plan = Plan();
    plan->catalogue = real;
    plan->mPerUnit = mPerUnit;
    if (!countCatalogue(plan->catalogue, &plan->files, error)) return 0;
    for (const CatalogueFile &f : plan->files) plan->formulas += f.formulas;
    if (plan->formulas == 0) {
        *error = "the catalogue " + plan->catalogue + " holds no formulas";
        return 0;
    }
    // A unit starts at the file that holds its first M formula, skipping the formulas before it
    // in that file; empty files before it are passed over.
    long file = 0, before = 0;
    for (long firstM = 0; firstM < plan->formulas; firstM += mPerUnit) {
        while (before + plan->files[file].formulas <= firstM)
            before += plan->files[file++].formulas;
        PlanUnit unit = {{file, firstM - before, 0, 0, firstM * plan->formulas, 0},
                         std::min(mPerUnit, plan->formulas - firstM),
                         firstM,
                         0};
        unit.pairs = unitPairs(*plan, unit);
        plan->units.push_back(unit);
    }
    return 1;
}

std::string resumeText(const long resume[6]) {
    std::string text;
    for (int i = 0; i < 6; ++i) text += (i ? "," : "") + std::to_string(resume[i]);
    return text;
}

int writePlan(const std::string &path, const Plan &plan, std::string *error) {
    std::string text = "# quarnCampaign plan: units of " + std::to_string(plan.mPerUnit) +
                       " M formulas over " + std::to_string(plan.formulas) + " formulas, " +
                       std::to_string(planPairs(plan)) + " pairs\n";
    text += "catalogue " + plan.catalogue + "\n";
    text += "# file <formulas> <bytes> <digest> <name>\n";
    for (const CatalogueFile &f : plan.files)
        text += "file " + std::to_string(f.formulas) + " " + std::to_string(f.bytes) + " " +
                (f.digest.empty() ? "" : f.digest + " ") + f.name + "\n";
    text += "m-per-unit " + std::to_string(plan.mPerUnit) + "\n";
    const DistinctPart &d = plan.distinct;
    if (!d.original.empty()) {
        text += "# distinct: the catalogue above holds one formula of each class of this one\n";
        text += "original " + d.original + "\n";
        for (const CatalogueFile &f : d.files)
            text += "original-file " + std::to_string(f.formulas) + " " + std::to_string(f.bytes) +
                    " " + f.digest + " " + f.name + "\n";
        text += "classes " + std::to_string(d.usable) + " " + d.classesDigest + "\n";
        text += "unusable " + std::to_string(d.unusable) + " " + d.unusableDigest + "\n";
    }
    text += "# unit  resume argument  M count  pairs\n";
    for (std::size_t i = 0; i < plan.units.size(); ++i)
        text += std::to_string(i) + " " + resumeText(plan.units[i].resume) + " " +
                std::to_string(plan.units[i].mCount) + " " +
                std::to_string(unitPairs(plan, plan.units[i])) + "\n";
    return writeAtomically(path, text, error);
}

int readPlan(const std::string &path, Plan *plan, std::string *error) {
    std::string text;
    if (!readWhole(path, &text)) {
        *error = failure("cannot read", path);
        return 0;
    }
    *plan = Plan();
    int lineNo = 0;
    for (std::size_t at = 0; at < text.size(); ++lineNo) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty() || line[0] == '#') continue;
        if (!readPlanLine(line, plan)) {
            *error = path + " line " + std::to_string(lineNo + 1) + " is not a plan line: " + line;
            return 0;
        }
    }
    for (const CatalogueFile &f : plan->files) plan->formulas += f.formulas;
    // Each unit must start where the one before it ended, the first at the catalogue's start,
    // and the last must end at the catalogue's end; its pairs are its M formulas' pairs.
    long next = 0;
    for (std::size_t i = 0; i < plan->units.size(); ++i) {
        PlanUnit &u = plan->units[i];
        u.firstM = formulaIndex(*plan, u.resume[0], u.resume[1]);
        if (u.firstM != next || u.resume[2] != 0 || u.resume[3] != 0 ||
            u.resume[4] != next * plan->formulas || u.resume[5] != 0 || u.mCount <= 0 ||
            u.pairs != unitPairs(*plan, u)) {
            *error = path + ": unit " + std::to_string(i) +
                     " does not start where the unit before it ends";
            return 0;
        }
        next += u.mCount;
    }
    if (plan->catalogue.empty() || plan->units.empty() || next != plan->formulas) {
        *error = path + " does not cover its catalogue";
        return 0;
    }
    DistinctPart &d = plan->distinct;
    for (const CatalogueFile &f : d.files) d.formulas += f.formulas;
    const bool distinct = !d.original.empty() || !d.files.empty() || !d.classesDigest.empty() ||
                          !d.unusableDigest.empty();
    if (distinct && (d.original.empty() || d.files.empty() || d.classesDigest.empty() ||
                     d.unusableDigest.empty() || d.usable + d.unusable != d.formulas ||
                     d.usable < plan->formulas)) {
        *error = path + ": its distinct part does not add up to its original catalogue";
        return 0;
    }
    return 1;
}

int checkCatalogue(const Plan &plan, std::string *error) {
    const DistinctPart &d = plan.distinct;
    if (!checkFolder(plan.catalogue, plan.files, error) ||
        (!d.original.empty() && !checkFolder(d.original, d.files, error)))
        return 0;
    for (const auto &[name, digest] : {std::pair{CLASSES_FILE_NAME, &d.classesDigest},
                                       {UNUSABLE_FILE_NAME, &d.unusableDigest}}) {
        std::string now;
        const std::string file = plan.catalogue + "/" + name;
        if (!d.original.empty() && (!fileDigest(file, &now) || now != *digest)) {
            *error = file + " has changed since it was planned (edited by hand?); plan anew";
            return 0;
        }
    }
    return 1;
}
