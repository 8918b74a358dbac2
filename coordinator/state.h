// The coordinator's process-wide state, all in one place: the formula catalogue, the two
// formula streams, the run totals, the client records, the pairs waiting to be handed on, the
// settings and the interrupt flag. Defined in state.cpp; every variable starts zeroed and is
// reset by the start-up.
#pragma once

#include <climits>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "coordinator/constants.h"

// ---- Catalogue: the formula files of a folder (the working directory), sorted once at start.
extern char catalogueDir[PATH_MAX];               // the folder the files are opened in
extern char filenames[MAX_FILES][FILENAME_SIZE];  // names in file-number order, NUL-terminated
extern int numFiles;                              // valid entries, 0..MAX_FILES

// ---- One formula stream over the catalogue. There are two, M and V; they share nothing
// but the catalogue.
struct FormulaStream {
    int isM;                              // 1 for the M stream (its messages and its end)
    FILE *current_file;                   // the catalogue file being read, or null
    char current_formula[LINE_BUF_SIZE];  // the line (piece) last read from the file
    char presFormulaLine[LINE_BUF_SIZE];  // the line being taken apart
    int presFormulaInLine;                // 1-based field to take next; 0: read a line
    int walkField;   // the field of presFormulaLine that starts at or after walkOffset; 0: none
    int walkOffset;  // where the field after the one taken last may start (skipping commas)
    char presFormula[LINE_BUF_SIZE];  // the formula last returned
    int presFileNum;                  // file number being read (0..numFiles)
    int presFormulaNum;               // formulas returned from that file so far
    int openFailed;                   // 1 when the last null came from a failed open
};
extern FormulaStream streamM;
extern FormulaStream streamV;

// The names the stream positions go by in log lines and elsewhere.
inline int &presFileNumM = streamM.presFileNum;
inline int &presFileNumV = streamV.presFileNum;
inline int &presFormulaNumM = streamM.presFormulaNum;
inline int &presFormulaNumV = streamV.presFormulaNum;

// ---- Where the two streams start (from the resume argument; 0 by default).
extern int startFileNumM;
extern int startFormulaNumM;
extern int startFileNumV;
extern int startFormulaNumV;

// ---- Run totals, carried on by a resume.
extern long totalFormulas;  // pairs written into mailboxes (seed requests not counted)
extern long numPassed;      // 's' replies collected

// ---- A pair's place: where its two formulas stand in the catalogue and where it stands in
// the run. A progress line prints a place; resuming from it starts with that pair.
struct PairPlace {
    int fileM;     // presFileNumM when the pair's M was taken
    int formulaM;  // presFormulaNumM then: the M's 1-based position in its file
    int fileV;     // the same for the pair's V
    int formulaV;
    long seq;  // pairs sent before it (totalFormulas when it was sent); -1 for a seed
};

// A pair with its texts and place: one waiting to be handed on, or the first pair of the run
// that was never sent.
struct PendingPair {
    char m[FORMULA_BUF_SIZE];
    char v[FORMULA_BUF_SIZE];
    char letter;  // MB_RUN, or MB_SELFTEST for the self-test pair
    PairPlace place;
};

// ---- The client farm. Record i belongs to the client with key keyBase + i.
enum ClientState {
    CLIENT_NOT_STARTED,  // no client has been started for this mailbox
    CLIENT_STARTING,     // started at startedAt; not yet seen attached to its mailbox
    CLIENT_RUNNING,      // attached and serving
    CLIENT_RETIRING,     // held a pair too long: told to stop, its pair handed on
    CLIENT_GIVEN_UP,     // died too often; the key is no longer used
};

struct ClientInfo {
    int shm_id;     // segment identifier from shmget
    int key;        // keyBase + index
    char *shm_ptr;  // the attached mailbox, or null before it is attached
    int active;     // 1 once the client is started, 0 again when it confirmed its stop
    char lastM[FORMULA_BUF_SIZE];  // the M last written into this mailbox
    char lastV[FORMULA_BUF_SIZE];  // the V last written into this mailbox
    int state;                     // a ClientState
    int madeHere;                  // 1 when this run set up the mailbox: it removes it at the end
    time_t startedAt;              // when the client was last started
    time_t sentAt;                 // when the pair in the mailbox was written
    int restarts;                  // replacement clients started for this key
    int unsettled;                 // 1 while the pair last written has no recorded result
    char sentLetter;               // the letter that pair was sent with ('r' or 't')
    PairPlace place;               // where that pair stands
};
extern ClientInfo clientInfoArr[MB_NUM_CLIENTS];
extern time_t clientsWatchedAt;  // when the farm last looked at its clients (watchClients)

// ---- Pairs taken from clients that died or hung, to be handed to other clients before the
// next new pair. At most one per mailbox can wait at a time.
extern PendingPair handOnQueue[MB_NUM_CLIENTS];
extern int handOnCount;  // entries of handOnQueue in use, oldest first

// ---- The first pair of the run never sent: where a continuation starts. Set by the start-up
// to the start position (texts empty) and by the dispatch loop when it ends.
extern PendingPair nextPair;

// ---- The earliest pair whose result could not be written to its record file (best.txt or
// unevaluated.txt, a full disk say). The run ends, and its continuation starts at this pair, so
// that no result is lost; the pairs after it are evaluated again.
extern int recordFailed;            // 1 once a record could not be written
extern PendingPair unrecordedPair;  // that pair; place.seq is -1 while there is none

// ---- Settings decided once at start-up (settings.cpp).
extern long minFreeKb;     // free memory (kB) below which the search ends; QUARN_MIN_FREE_KB
extern long mCountLimit;   // M formulas this run takes at most; 0: no limit; QUARN_M_COUNT
extern int keyBase;        // key of client 0; QUARN_KEY_BASE (default MB_KEY_BASE)
extern int keyBaseAuto;    // 1 when the first free range of keys is to be taken
extern int keyLockFd;      // the key-range lock, held open until the process ends; -1: none
extern int clientSudo;     // 1: start clients through sudo; QUARN_CLIENT_SUDO
extern int holdLimitS;     // seconds a client may hold one pair; QUARN_HOLD_LIMIT_S
extern int yieldWhenIdle;  // 1 when there are fewer processors than pollers (sched_yield)

// ---- Set by the handler of SIGINT, SIGTERM and SIGHUP; every loop polls it and returns.
extern volatile std::sig_atomic_t sigintReceived;  // 0, or the number of the first signal
extern volatile std::sig_atomic_t signalCount;     // signals received so far
