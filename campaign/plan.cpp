// The plan of a campaign: counting the catalogue, splitting it into units, plan.txt (see plan.h).
#include "plan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "catalogue.h"
#include "files.h"
#include "runlog.h"
#include "state.h"
#include "streams.h"

namespace {

constexpr char CATALOGUE_PREFIX[] = "formulas";  // the names the coordinator lists

// The size of a regular file (following links), or -1 for any other entry.
long sizeOf(const std::string &path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<long>(st.st_size);
}

// Lists and counts the catalogue of the working directory with the coordinator's own code.
int countHere(const std::string &dir, std::vector<CatalogueFile> *files, std::string *error) {
    numFiles = getFileNames();
    sortFileNames(filenames, numFiles);
    for (int i = 1; i < numFiles; ++i) {
        if (fileNameNumber(filenames[i - 1]) == fileNameNumber(filenames[i])) {
            *error = "the order of " + std::string(filenames[i - 1]) + " and " + filenames[i] +
                     " in " + dir + " is not fixed (both read as file number " +
                     std::to_string(fileNameNumber(filenames[i])) + "); rename one";
            return 0;
        }
    }
    files->clear();
    for (int i = 0; i < numFiles; ++i) files->push_back({filenames[i], 0, sizeOf(filenames[i])});
    FormulaStream stream = {};
    resetStream(stream);
    while (getNextFormula(stream, STREAM_NEXT) != nullptr) ++(*files)[stream.presFileNum].formulas;
    if (stream.openFailed) {
        *error = "cannot read " + dir + "/" + filenames[stream.presFileNum];
        getNextFormulaLine(stream, STREAM_REWIND);
        return 0;
    }
    return 1;
}

}  // namespace

int countFormulaNames(const std::string &dir) {
    DIR *d = opendir(dir.c_str());
    if (d == nullptr) return -1;
    int n = 0;
    while (const dirent *e = readdir(d))
        if (std::strncmp(e->d_name, CATALOGUE_PREFIX, sizeof CATALOGUE_PREFIX - 1) == 0) ++n;
    closedir(d);
    return n;
}

int countCatalogue(const std::string &dir, std::vector<CatalogueFile> *files, std::string *error) {
    const int names = countFormulaNames(dir);
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
    int back = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (back < 0 || chdir(dir.c_str()) != 0) {
        *error = failure("cannot enter", dir);
        if (back >= 0) close(back);
        return 0;
    }
    int ok = countHere(dir, files, error);
    if (fchdir(back) != 0) {
        *error = failure("cannot return from", dir);
        ok = 0;
    }
    close(back);
    return ok;
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
                         firstM};
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
    text += "# file <formulas> <bytes> <name>\n";
    for (const CatalogueFile &f : plan.files)
        text += "file " + std::to_string(f.formulas) + " " + std::to_string(f.bytes) + " " +
                f.name + "\n";
    text += "m-per-unit " + std::to_string(plan.mPerUnit) + "\n";
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
    std::istringstream in(text);
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        std::istringstream fields(line);
        std::string word;
        fields >> word;
        bool ok = true;
        if (word.empty() || word[0] == '#') continue;
        if (word == "catalogue") {
            ok = line.size() > sizeof "catalogue";
            if (ok) plan->catalogue = line.substr(sizeof "catalogue");
        } else if (word == "file") {
            CatalogueFile f;
            ok = static_cast<bool>(fields >> f.formulas >> f.bytes) && fields.get() == ' ' &&
                 std::getline(fields, f.name) && f.formulas >= 0;
            plan->files.push_back(f);
        } else if (word == "m-per-unit") {
            ok = static_cast<bool>(fields >> plan->mPerUnit) && plan->mPerUnit > 0;
        } else {
            PlanUnit u = {};
            std::string resume;
            long pairs = 0;
            ok = word == std::to_string(plan->units.size()) &&
                 static_cast<bool>(fields >> resume >> u.mCount >> pairs) &&
                 readResumeFields(resume.c_str(), u.resume) == 6;
            plan->units.push_back(u);
        }
        if (!ok) {
            *error = path + " line " + std::to_string(lineNo) + " is not a plan line: " + line;
            return 0;
        }
    }
    for (const CatalogueFile &f : plan->files) plan->formulas += f.formulas;
    // Each unit must start where the one before it ended, the first at the catalogue's start,
    // and the last must end at the catalogue's end.
    long next = 0;
    for (std::size_t i = 0; i < plan->units.size(); ++i) {
        PlanUnit &u = plan->units[i];
        u.firstM = formulaIndex(*plan, u.resume[0], u.resume[1]);
        if (u.firstM != next || u.resume[2] != 0 || u.resume[3] != 0 ||
            u.resume[4] != next * plan->formulas || u.mCount <= 0) {
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
    return 1;
}

int checkCatalogue(const Plan &plan, std::string *error) {
    const std::string dir = plan.catalogue;
    const int names = countFormulaNames(dir);
    if (names < 0) {
        *error = failure("cannot list the catalogue", dir);
        return 0;
    }
    if (names != static_cast<int>(plan.files.size())) {
        *error = "the catalogue " + dir + " now holds " + std::to_string(names) +
                 " formula files, the plan counted " + std::to_string(plan.files.size());
        return 0;
    }
    for (const CatalogueFile &f : plan.files) {
        if (sizeOf(dir + "/" + f.name) != f.bytes) {
            *error =
                "the catalogue file " + dir + "/" + f.name + " has changed since it was planned";
            return 0;
        }
    }
    return 1;
}
