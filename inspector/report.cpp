// Answering for one pair: words, picture and CSV.
#include "inspector/report.h"

#include <cstdio>

#include "common/pair_line.h"
#include "inspector/csv.h"
#include "inspector/inspect.h"
#include "inspector/page.h"
#include "inspector/picture.h"
#include "inspector/state.h"

int showPair(const char *textM, const char *textV, const char *picturePath, const char *csvPath,
             int allCells) {
    Inspection inspection;
    int status = inspectPair(textM, textV, allCells, &inspection);
    std::printf("%s\n", pairText(textM, textV).c_str());
    if (inspection.reason == REASON_REFUSED) {
        std::puts("score: none");
    } else {
        std::printf("score: %d\n", inspection.score);
    }
    std::printf("answer: %s\nsteps: %d\nwhy: %s\n", clientAnswer(inspection), inspection.steps,
                inspection.words);
    if (status != EXIT_EVALUATED) return status;

    const int userNamed = picturePath != nullptr;
    if (!picturePath) picturePath = pictureName(textM, textV);
    if (drawPicture(picturePath, userNamed, textM, textV, inspection, allCells) != 0)
        return EXIT_IO_ERROR;
    std::printf("picture: %s (%d x %d)\n", picturePath, canvasWidth, canvasHeight);
    if (csvPath) {
        if (writeCsv(csvPath, inspection) != 0) return EXIT_IO_ERROR;
        std::printf("csv: %s\n", csvPath);
    }
    return EXIT_EVALUATED;
}
