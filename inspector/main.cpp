// quarnShow, the pair inspector: scores a pair with the client's own simulation and shows why,
// as words, a picture of the field and optionally CSV; or builds a results page from best.txt
// files. Reads its arguments, sets up and runs.
#include <cstdio>
#include <cstring>

#include "inspector/page.h"
#include "inspector/report.h"
#include "inspector/state.h"

namespace {

int usage() {
    std::fputs(
        "usage: quarnShow [--png FILE] [--csv FILE] [--all] [--] <M> <V>\n"
        "       quarnShow page <best.txt> [more best.txt ...] <out dir>\n"
        "  --png FILE  the picture (default: pair_<hash>.png in the working directory)\n"
        "  --csv FILE  also the field values per step and cell as CSV\n"
        "  --all       all 1000 cells instead of the disturbed zone\n"
        "exit status: 0 evaluated, 1 file error, 2 usage, 3 formula does not compile or\n"
        "has the wrong variables, 4 text the client does not take whole\n",
        stderr);
    return EXIT_USAGE;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc >= 2 && std::strcmp(argv[1], "page") == 0) {
        if (argc < 4) return usage();
        if (setupShowState() != 0) return EXIT_IO_ERROR;
        return buildPage(argv + 2, argc - 3, argv[argc - 1]) == 0 ? 0 : EXIT_IO_ERROR;
    }
    const char *picturePath = nullptr;
    const char *csvPath = nullptr;
    int allCells = 0;
    int arg = 1;
    for (; arg < argc && std::strncmp(argv[arg], "--", 2) == 0; ++arg) {
        if (std::strcmp(argv[arg], "--") == 0) {
            ++arg;
            break;
        }
        if (std::strcmp(argv[arg], "--all") == 0) {
            allCells = 1;
        } else if (std::strcmp(argv[arg], "--png") == 0 && arg + 1 < argc) {
            picturePath = argv[++arg];
        } else if (std::strcmp(argv[arg], "--csv") == 0 && arg + 1 < argc) {
            csvPath = argv[++arg];
        } else {
            return usage();
        }
    }
    if (argc - arg != 2) return usage();
    if (setupShowState() != 0) return EXIT_IO_ERROR;
    return showPair(argv[arg], argv[arg + 1], picturePath, csvPath, allCells);
}
