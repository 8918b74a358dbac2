// quarnCampaign: a search split into units of work, run here or on a Slurm cluster, continued
// exactly where each unit stopped, watched and merged. main reads the command line and runs
// one command.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "campaign/collect.h"
#include "campaign/commands.h"
#include "campaign/constants.h"
#include "campaign/context.h"
#include "campaign/distinct.h"
#include "campaign/runner.h"
#include "campaign/status.h"
#include "coordinator/settings.h"

namespace {

const char USAGE[] =
    "usage: quarnCampaign <command> ...\n"
    "  plan <campaign> <catalogue> <M per unit>  split the catalogue's formula files into units\n"
    "  plan --distinct <campaign> <catalogue> <M per unit>\n"
    "                                            the same over one formula of each class\n"
    "  classes <catalogue>                       count the classes of the catalogue's formulas\n"
    "  resume-argument <dir>                     the argument that continues the search in <dir>\n"
    "  run <campaign> [--units A-B] [--client PATH]\n"
    "                                            run the units here, one after another\n"
    "  submit <campaign> [--units A-B] [--max-running N] [--client PATH] [--script PATH]\n"
    "         [-- sbatch options]                submit the units as a Slurm array job\n"
    "  step <campaign> <unit> [--client PATH]    run one unit as a Slurm array task\n"
    "  status <campaign or dir>                  how far the campaign (or the search) is\n"
    "  collect <campaign>                        merge the units' best.txt into the campaign's\n"
    "  min-free-kb                               the free-memory threshold a run here takes\n";

int usage(const char *problem) {
    if (problem) std::fprintf(stderr, "quarnCampaign: %s\n", problem);
    std::fputs(USAGE, stderr);
    return EXIT_ERROR;
}

// The absolute path of a folder that exists, or "" after a message.
std::string folder(const char *path) {
    char real[PATH_MAX];
    if (realpath(path, real) != nullptr) return real;
    std::fprintf(stderr, "quarnCampaign: no folder %s\n", path);
    return "";
}

// Reads the options from argv[at] on. Returns 1, or 0 after a message.
int readOptions(int argc, char **argv, int at, CommandOptions *o) {
    for (int i = at; i < argc; ++i) {
        const char *name = argv[i];
        if (std::strcmp(name, "--") == 0) {
            o->sbatchOptions.assign(argv + i + 1, argv + argc);
            return 1;
        }
        const char *value = i + 1 < argc ? argv[++i] : nullptr;
        long a = 0, b = 0;
        if (value == nullptr) return usage((std::string(name) + " needs a value").c_str()), 0;
        if (std::strcmp(name, "--client") == 0) {
            clientPath = folder(".") + "/" + value;
            if (value[0] == '/') clientPath = value;
        } else if (std::strcmp(name, "--script") == 0) {
            scriptPath = value[0] == '/' ? value : folder(".") + "/" + value;
        } else if (std::strcmp(name, "--max-running") == 0 &&
                   parseWholeNumber(value, 1, INT_MAX, &a)) {
            o->maxRunning = static_cast<int>(a);
        } else if (std::strcmp(name, "--units") == 0 && std::strchr(value, '-') &&
                   parseWholeNumber(std::string(value, std::strchr(value, '-')).c_str(), 0, INT_MAX,
                                    &a) &&
                   parseWholeNumber(std::strchr(value, '-') + 1, a, INT_MAX, &b)) {
            o->firstUnit = static_cast<int>(a);
            o->lastUnit = static_cast<int>(b);
        } else {
            return usage((std::string("bad option ") + name + " " + value).c_str()), 0;
        }
    }
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    setUpState();
    installCampaignSignals();
    if (argc == 2 && std::strcmp(argv[1], "min-free-kb") == 0) {
        std::printf("%s\n", chosenThreshold().c_str());
        return EXIT_OK;
    }
    if (argc < 3) return usage(nullptr);
    const std::string command = argv[1];
    CommandOptions options;
    long number = 0;
    if (command == "plan") {
        const int distinct = std::strcmp(argv[2], "--distinct") == 0;
        if (argc != 5 + distinct || !parseWholeNumber(argv[4 + distinct], 1, LONG_MAX, &number))
            return usage(
                "plan needs a campaign folder, a catalogue folder and a whole number of "
                "M formulas per unit above 0");
        return distinct ? planDistinct(argv[3], argv[4], number)
                        : planCommand(argv[2], argv[3], number);
    }
    if (command == "classes" && argc == 3) return classesCommand(argv[2]);
    if (command == "resume-argument" && argc == 3) return resumeArgumentCommand(argv[2]);
    if (command == "status" && argc == 3) return showStatus(argv[2]);
    const std::string campaign = folder(argv[2]);
    if (campaign.empty()) return EXIT_ERROR;
    if (command == "collect" && argc == 3) return collectCampaign(campaign);
    if (command == "run" && readOptions(argc, argv, 3, &options))
        return runCommand(campaign, options);
    if (command == "submit" && readOptions(argc, argv, 3, &options))
        return submitCommand(campaign, options);
    if (command == "step" && argc >= 4 && parseWholeNumber(argv[3], 0, INT_MAX, &number) &&
        readOptions(argc, argv, 4, &options))
        return stepCommand(campaign, static_cast<int>(number));
    return usage(("cannot read the command " + command).c_str());
}
