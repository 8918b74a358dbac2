// Definitions of the coordinator's process-wide state (see state.h).
#include "state.h"

char filenames[MAX_FILES][FILENAME_SIZE];
int numFiles;

FormulaStream streamM = {1, nullptr, {}, {}, 0, {}, 0, 0};
FormulaStream streamV = {0, nullptr, {}, {}, 0, {}, 0, 0};

int startFileNumM;
int startFormulaNumM;
int startFileNumV;
int startFormulaNumV;

long totalFormulas;
long numPassed;

ClientInfo clientInfoArr[MB_NUM_CLIENTS];

long minFreeKb = DEFAULT_MIN_FREE_KB;
int yieldWhenIdle;

volatile std::sig_atomic_t sigintReceived;
