// The pair inspector's process-wide state and its set-up.
#include "inspector/state.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

Cell recordTbl[CYCLE_COUNT][CELL_COUNT];
int recordedSteps;

Rgb rampTbl[2 * RAMP_HALF_STEPS + 1];

unsigned char canvasTbl[CANVAS_BYTES];
int canvasWidth;
int canvasHeight;

int quietFd = -1;

int setupShowState() {
    if (setupClientState() != 0) {
        std::fputs("quarnShow: memory allocation failed\n", stderr);
        return 1;
    }
    fieldRecorder = recordStep;
    buildRamp();
    quietFd = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (quietFd == -1) {
        std::perror("quarnShow: open /dev/null");
        return 1;
    }
    return 0;
}

void recordStep(int cycle, const Cell *field, int /*reach*/) {
    std::memcpy(recordTbl[cycle], field, sizeof recordTbl[cycle]);
    recordedSteps = cycle + 1;
}
