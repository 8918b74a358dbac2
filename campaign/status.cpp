// The status view (see status.h).
#include "campaign/status.h"

#include <climits>
#include <cstdio>
#include <ctime>
#include <map>

#include "campaign/constants.h"
#include "campaign/files.h"
#include "campaign/slurm.h"
#include "campaign/unit.h"
#include "coordinator/records.h"
#include "coordinator/runlog.h"

namespace {

enum UnitState { UNIT_DONE, UNIT_RUNNING, UNIT_WAITING, UNIT_FAILED, UNIT_STATES };
const char *const STATE_NAMES[UNIT_STATES] = {"done", "running", "waiting", "failed"};

UnitState classify(const UnitProgress &p, const std::string &queued, const std::string &dir,
                   time_t now, std::string *note) {
    if (p.finished) return UNIT_DONE;
    if (!queued.empty()) {
        *note = "Slurm: " + queued;
        return queued == "RUNNING" || queued == "COMPLETING" || queued == "CONFIGURING"
                   ? UNIT_RUNNING
                   : UNIT_WAITING;
    }
    // The runner's record of the last run says more than the log when the run failed, above
    // all when its coordinator never got as far as its log.
    std::string details;
    if (readTaskEnd(dir, &details) == TASK_FAILED) {
        *note = "failed" + details;
        return UNIT_FAILED;
    }
    if (p.started && !p.ended && now - p.logTime < STALE_LOG_S) return UNIT_RUNNING;
    if (p.started && !p.ended) {
        *note = "killed without an orderly end; it continues from its last progress line";
        return UNIT_FAILED;
    }
    if (!p.started) return UNIT_WAITING;
    *note = "ended: " + p.endText;
    return isFaultEnd(p.end) ? UNIT_FAILED : UNIT_WAITING;
}

// The time to go at `rate`, as "about 4h 13m to go at this rate"; empty when it is no time a
// person could wait for (no rate, or beyond a hundred years).
std::string timeToGo(double pairs, double rate) {
    const double seconds = pairs / rate;
    if (!(seconds >= 0 && seconds < MAX_SHOWN_SECONDS)) return "";
    const long s = static_cast<long>(seconds);
    char text[TEXT_SIZE];
    if (s >= 86400)
        std::snprintf(text, sizeof text, "%ldd %02ldh", s / 86400, s % 86400 / 3600);
    else if (s >= 3600)
        std::snprintf(text, sizeof text, "%ldh %02ldm", s / 3600, s % 3600 / 60);
    else
        std::snprintf(text, sizeof text, "%ldm %02lds", s / 60, s % 60);
    return std::string("; about ") + text + " to go at this rate";
}

std::string bar(double fraction) {
    const int filled = static_cast<int>(fraction * BAR_WIDTH);
    return "[" + std::string(filled, '#') + std::string(BAR_WIDTH - filled, '-') + "]";
}

// Prints the status of the units of `plan` whose directories dirOf gives.
template <typename DirOf>
int printStatus(const Plan &plan, DirOf dirOf, const std::map<int, std::string> &queued) {
    const time_t now = std::time(nullptr);
    int counts[UNIT_STATES] = {};
    long done = 0, passed = 0;
    double rate = 0, lastRate = 0;
    int measured = 0;  // running units whose current run has told its pairs yet
    time_t lastEnd = -1;
    std::string details;
    for (std::size_t i = 0; i < plan.units.size(); ++i) {
        const int unit = static_cast<int>(i);
        UnitProgress p;
        std::string note;
        UnitState state;
        if (!readUnitProgress(plan, unit, dirOf(unit), &p, &note)) {
            state = UNIT_FAILED;
        } else {
            auto q = queued.find(unit);
            state = classify(p, q == queued.end() ? "" : q->second, dirOf(unit), now, &note);
        }
        ++counts[state];
        done += p.pairsDone;
        passed += p.passed;
        // A run's pairs are known from its progress lines, on a node once they are copied back:
        // a run younger than that is counted at the rate of the others.
        if (state == UNIT_RUNNING && !p.ended && p.runPairs > 0 && p.logTime > p.startedAt) {
            rate += static_cast<double>(p.runPairs) / static_cast<double>(p.logTime - p.startedAt);
            ++measured;
        }
        if (p.ended && p.endedAt > p.startedAt && p.endedAt > lastEnd) {
            lastEnd = p.endedAt;
            lastRate =
                static_cast<double>(p.runPairs) / static_cast<double>(p.endedAt - p.startedAt);
        }
        const long pairs = unitPairs(plan, plan.units[i]);
        if (state != UNIT_DONE && (p.started || !note.empty())) {
            char line[TEXT_SIZE];
            std::snprintf(line, sizeof line,
                          "  unit %d: %s, %ld of %ld pairs (%.1f%%), %ld passes%s%s\n", unit,
                          STATE_NAMES[state], p.pairsDone, pairs,
                          100.0 * static_cast<double>(p.pairsDone) / static_cast<double>(pairs),
                          p.passed, note.empty() ? "" : "; ", note.c_str());
            details += line;
        }
    }
    const long total = planPairs(plan);
    const double fraction = static_cast<double>(done) / static_cast<double>(total);
    std::printf("units: %d done, %d running, %d waiting, %d failed\n", counts[UNIT_DONE],
                counts[UNIT_RUNNING], counts[UNIT_WAITING], counts[UNIT_FAILED]);
    std::printf("pairs: %ld of %ld (%.1f%%) %s\n", done, total, 100.0 * fraction,
                bar(fraction).c_str());
    const int running = counts[UNIT_RUNNING];
    const double left = static_cast<double>(total - done);
    if (measured > 0 && measured < running) {
        rate *= static_cast<double>(running) / measured;
        std::printf(
            "rate: %.0f pairs/s (runs going on now; %d of the %d just started, counted at "
            "the others' rate)%s\n",
            rate, running - measured, running, timeToGo(left, rate).c_str());
    } else if (measured > 0) {
        std::printf("rate: %.0f pairs/s (runs going on now)%s\n", rate,
                    timeToGo(left, rate).c_str());
    } else if (running > 0) {
        std::printf("rate: still measuring (%d runs going on have not yet told their pairs)\n",
                    running);
    } else if (lastRate > 0) {
        std::printf("rate: %.0f pairs/s (the last run that ended)%s\n", lastRate,
                    timeToGo(left, lastRate).c_str());
    } else {
        std::printf("rate: not known yet\n");
    }
    std::printf("passing %s so far: %ld\n",
                plan.distinct.original.empty() ? "pairs" : "class pairs (collect expands them)",
                passed);
    std::fputs(details.c_str(), stdout);
    return EXIT_OK;
}

}  // namespace

int showStatus(const std::string &dir) {
    Plan plan;
    std::string error;
    if (exists(dir + "/" + PLAN_FILE_NAME)) {
        if (!readPlan(dir + "/" + PLAN_FILE_NAME, &plan, &error)) {
            std::fprintf(stderr, "quarnCampaign: %s\n", error.c_str());
            return EXIT_ERROR;
        }
        std::printf("campaign %s: %zu units of %ld M formulas; catalogue %s, %ld formulas\n",
                    dir.c_str(), plan.units.size(), plan.mPerUnit, plan.catalogue.c_str(),
                    plan.formulas);
        const DistinctPart &d = plan.distinct;
        const double all = static_cast<double>(d.formulas) * static_cast<double>(d.formulas);
        if (!d.original.empty())
            std::printf(
                "distinct: one formula of each class of the %ld usable formulas of %s (%ld "
                "formulas, %ld never pass): its %ld pairs stand for the %.0f pairs of the search "
                "over all of them (%.1f%%)\n",
                d.usable, d.original.c_str(), d.formulas, d.unusable, planPairs(plan), all,
                100.0 * static_cast<double>(planPairs(plan)) / all);
        return printStatus(
            plan, [&](int unit) { return unitDir(dir, unit); }, queuedUnits(dir));
    }
    if (!exists(dir + "/" + LOG_FILE_NAME) || !makePlan(dir, LONG_MAX, &plan, &error)) {
        std::fprintf(stderr, "quarnCampaign: %s is neither a campaign nor a search (%s)\n",
                     dir.c_str(), error.empty() ? "no logfile.txt" : error.c_str());
        return EXIT_ERROR;
    }
    std::printf("search in %s: %ld formulas\n", dir.c_str(), plan.formulas);
    return printStatus(plan, [&](int) { return dir; }, {});
}
