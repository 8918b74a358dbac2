// A unit's working directory and where its search stands (see unit.h).
#include "campaign/unit.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "campaign/constants.h"
#include "campaign/context.h"
#include "campaign/files.h"
#include "coordinator/catalogue.h"
#include "coordinator/records.h"
#include "coordinator/runlog.h"

namespace {

constexpr char END_LINE_MARK[] = " end unit ";  // behind the time stamp
const char *const OUTCOME_WORDS[] = {"", "done", "unfinished", "failed"};

int isEndOfUnit(const Plan &plan, const PlanUnit &u, long mIndex) {
    return mIndex == u.firstM + u.mCount || (mIndex < 0 && &u == &plan.units.back());
}

}  // namespace

std::string unitDir(const std::string &campaign, int unit) {
    char name[TEXT_SIZE];
    std::snprintf(name, sizeof name, UNIT_DIR_FORMAT, unit);
    return campaign + "/" + name;
}

int readUnitProgress(const Plan &plan, int unit, const std::string &dir, UnitProgress *out,
                     std::string *error) {
    const PlanUnit &u = plan.units[unit];
    *out = UnitProgress();
    std::memcpy(out->resume, u.resume, sizeof out->resume);
    out->mLeft = u.mCount;
    const std::string log = dir + "/" + LOG_FILE_NAME;
    RunLogSummary s;
    const int found = readRunLog(log.c_str(), &s);
    if (found < 0) *error = failure("cannot read", log);
    if (found <= 0) return found == 0;
    struct stat st;
    if (stat(log.c_str(), &st) == 0) out->logTime = st.st_mtime;
    out->started = 1;
    out->runs = s.runs;
    out->ended = s.end != END_NONE;
    out->end = s.end;
    out->endText = s.endText;
    out->startedAt = s.startedAt;
    out->endedAt = s.endedAt;
    out->runPairs = s.resume[4] - s.startTotal;
    out->passed = s.resume[5];
    std::memcpy(out->resume, s.resume, sizeof out->resume);
    // The continuation's M formula, counted from the catalogue's start; after the last M of
    // the catalogue the M file number is one past the last file.
    const long mIndex = s.end == END_ALL_DONE ? -1 : formulaIndex(plan, s.resume[0], s.resume[1]);
    if (s.finished && isEndOfUnit(plan, u, mIndex)) {
        out->finished = 1;
        out->mLeft = 0;
        out->pairsDone = unitPairs(plan, u);
        return 1;
    }
    const long vIndex = formulaIndex(plan, s.resume[2], s.resume[3]);
    if (mIndex < u.firstM || mIndex >= u.firstM + u.mCount || vIndex < 0) {
        *error = dir + "/" + LOG_FILE_NAME + " continues at " + resumeText(s.resume) +
                 ", outside unit " + std::to_string(unit) + " of the plan";
        return 0;
    }
    out->mLeft = u.firstM + u.mCount - mIndex;
    out->pairsDone = (mIndex - u.firstM) * plan.formulas + std::min(vIndex, plan.formulas);
    return 1;
}

int prepareWorkDir(const Plan &plan, const std::string &dir, std::string *error) {
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        *error = failure("cannot create", dir);
        return 0;
    }
    for (const CatalogueFile &f : plan.files) {
        const std::string link = dir + "/" + f.name, target = plan.catalogue + "/" + f.name;
        char held[PATH_MAX];
        ssize_t n = readlink(link.c_str(), held, sizeof held - 1);
        if (n >= 0 && target == std::string(held, static_cast<std::size_t>(n))) continue;
        if (n >= 0 || exists(link)) {
            *error = link + " is not a link to " + target + "; remove it";
            return 0;
        }
        if (symlink(target.c_str(), link.c_str()) != 0) {
            *error = failure("cannot link", link);
            return 0;
        }
    }
    if (countCatalogueNames(dir.c_str()) != static_cast<int>(plan.files.size())) {
        *error = dir + " holds formula files of its own; the coordinator would take them too";
        return 0;
    }
    if (!exists(clientPath)) {
        *error = "no client program at " + clientPath;
        return 0;
    }
    return copyAtomically(clientPath, dir + "/" + CLIENT_NAME, error, 0755);
}

int appendTaskLine(const std::string &dir, const std::string &text, std::string *error) {
    return appendLine(dir + "/" + TASK_FILE_NAME, stampNow() + " " + text, error);
}

std::string taskEndLine(int unit, TaskOutcome outcome, const std::string &details) {
    return "end unit " + std::to_string(unit) + " pid " + std::to_string(getpid()) + ": " +
           OUTCOME_WORDS[outcome] + details;
}

TaskOutcome readTaskEnd(const std::string &dir, std::string *details) {
    std::string text;
    details->clear();
    if (!readWhole(dir + "/" + TASK_FILE_NAME, &text) || text.empty() || text.back() != '\n')
        return TASK_NONE;
    text.pop_back();
    const std::string line = text.substr(text.rfind('\n') + 1);
    const std::size_t mark = line.find(END_LINE_MARK), colon = line.find(": ", mark);
    if (mark == std::string::npos || colon == std::string::npos) return TASK_NONE;
    const std::string said = line.substr(colon + 2);
    for (int outcome = TASK_FAILED; outcome > TASK_NONE; --outcome) {
        const std::string word = OUTCOME_WORDS[outcome];
        if (said.compare(0, word.size(), word) == 0) {
            *details = said.substr(word.size());
            return static_cast<TaskOutcome>(outcome);
        }
    }
    return TASK_NONE;
}
