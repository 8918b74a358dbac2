// The coordinator's process-wide state, all in one place: the formula catalogue, the two
// formula streams, the run totals, the client records and the interrupt flag. Defined in
// state.cpp; every variable starts zeroed and is reset by the start-up.
#pragma once

#include <csignal>
#include <cstdio>

#include "constants.h"

// ---- Catalogue: the formula files of the working directory, sorted once at start-up.
extern char filenames[MAX_FILES][FILENAME_SIZE];  // names in file-number order, NUL-terminated
extern int numFiles;                              // valid entries, 0..MAX_FILES

// ---- One formula stream over the catalogue. There are two, M and V; they share nothing
// but the catalogue.
struct FormulaStream {
    int isM;                                  // 1 for the M stream (its messages and its end)
    FILE *current_file;                       // the catalogue file being read, or null
    char current_formula[LINE_BUF_SIZE];      // the line (piece) last read from the file
    char presFormulaLine[LINE_BUF_SIZE];      // the line being taken apart
    int presFormulaInLine;                    // 1-based field to take next; 0: read a line
    char presFormula[LINE_BUF_SIZE];          // the formula last returned
    int presFileNum;                          // file number being read (0..numFiles)
    int presFormulaNum;                       // formulas returned from that file so far
};
extern FormulaStream streamM;
extern FormulaStream streamV;

// The names the stream state goes by in log lines and elsewhere.
inline FILE *&current_fileM = streamM.current_file;
inline FILE *&current_fileV = streamV.current_file;
inline char (&presFormulaLineM)[LINE_BUF_SIZE] = streamM.presFormulaLine;
inline char (&presFormulaLineV)[LINE_BUF_SIZE] = streamV.presFormulaLine;
inline int &presFormulaInLineM = streamM.presFormulaInLine;
inline int &presFormulaInLineV = streamV.presFormulaInLine;
inline char (&presFormulaM)[LINE_BUF_SIZE] = streamM.presFormula;
inline char (&presFormulaV)[LINE_BUF_SIZE] = streamV.presFormula;
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

// ---- The client farm. Record i belongs to the client with key 1000 + i.
struct ClientInfo {
    int shm_id;                  // segment identifier from shmget
    int key;                     // 1000 + index
    char *shm_ptr;               // the attached mailbox, or null before it is attached
    int active;                  // 1 once the client is started, 0 again when it confirmed its stop
    char lastM[FORMULA_BUF_SIZE];  // the M last written into this mailbox
    char lastV[FORMULA_BUF_SIZE];  // the V last written into this mailbox
};
extern ClientInfo clientInfoArr[MB_NUM_CLIENTS];

// ---- Settings decided once at start-up.
extern long minFreeKb;   // free memory (kB) below which the search ends; QUARN_MIN_FREE_KB
extern int yieldWhenIdle;  // 1 when there are fewer processors than pollers (sched_yield)

// ---- Set by the SIGINT handler; every loop polls it and hands over to the shutdown.
extern volatile std::sig_atomic_t sigintReceived;  // 0, or the number of the signal
