// The formula generator's process-wide state, all in one place. Defined in state.cpp; every
// variable starts zeroed (the state after next_try(1) and a start of the cycle).
#pragma once

#include "generator/constants.h"

// ---- Symbol odometer (odometer.cpp).
extern int symblNumTbl[SYMBL_TBL_SIZE];    // symbol codes, entry 0 leftmost; ends at the first 0
extern int numTblPos;                      // index addToNumTbl stores at next (0..99)
extern char genFormula[GEN_FORMULA_SIZE];  // the raw candidate next_try rendered last

// ---- Insertion (insertion.cpp).
extern char tmpStr[TMP_STR_SIZE];  // result of the latest addConstant/addFunct

// ---- Generation cycle (cycle.cpp).
extern char test_F[TEST_F_SIZE];           // the formula the latest zindel call returned
extern char oldFormula[OLD_FORMULA_SIZE];  // the current raw candidate, undecorated
extern int presConstantNum;  // 0: no constant pending; 1..18: constant the next call uses
extern int presFunctNum;     // 0: no function pending; 1..30: function the next call uses
extern int drawFast;         // 1: draw candidates by seekAccepted; 0: step literally. resetCycle

// ---- Formula files (formula_file.cpp).
extern char fileBuf[FILE_BUF_SIZE];  // stdio buffer of the file being written; static, so
                                     // exit() can still flush it
