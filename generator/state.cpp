// Definitions of the generator's process-wide state (declared and described in state.h).
#include "generator/state.h"

int symblNumTbl[SYMBL_TBL_SIZE];    // the odometer; all 0 is the empty sequence
int numTblPos;                      // append cursor of addToNumTbl
char genFormula[GEN_FORMULA_SIZE];  // next_try's rendering
char tmpStr[TMP_STR_SIZE];          // insertion result
char test_F[TEST_F_SIZE];           // zindel's result
char oldFormula[OLD_FORMULA_SIZE];  // raw candidate of the current run
int presConstantNum;                // pending constant index, 0 for none
int presFunctNum;                   // pending function index, 0 for none
int drawFast = 1;                   // the program always draws the fast way
char fileBuf[FILE_BUF_SIZE];        // formula file buffer
