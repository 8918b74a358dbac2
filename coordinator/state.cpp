// Definitions of the coordinator's process-wide state (see state.h).
#include "coordinator/state.h"

char catalogueDir[PATH_MAX] = ".";
char filenames[MAX_FILES][FILENAME_SIZE];
int numFiles;

FormulaStream streamM = {1, nullptr, {}, {}, 0, 0, 0, {}, 0, 0, 0};
FormulaStream streamV = {0, nullptr, {}, {}, 0, 0, 0, {}, 0, 0, 0};

int startFileNumM;
int startFormulaNumM;
int startFileNumV;
int startFormulaNumV;

long totalFormulas;
long numPassed;

ClientInfo clientInfoArr[MB_NUM_CLIENTS];
time_t clientsWatchedAt;

PendingPair handOnQueue[MB_NUM_CLIENTS];
int handOnCount;

PendingPair nextPair;

int recordFailed;
PendingPair unrecordedPair = {{}, {}, 0, {0, 0, 0, 0, -1}};

long minFreeKb = DEFAULT_MIN_FREE_KB;
long mCountLimit;
int keyBase = MB_KEY_BASE;
int keyBaseAuto;
int keyLockFd = -1;
int clientSudo = 1;
int holdLimitS = DEFAULT_HOLD_LIMIT_S;
int yieldWhenIdle;

volatile std::sig_atomic_t sigintReceived;
volatile std::sig_atomic_t signalCount;
