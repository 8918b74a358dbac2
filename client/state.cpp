// The client's process-wide state and its set-up and release.
#include "client/state.h"

#include <matheval.h>

#include <cstdlib>
#include <cstring>

#include "client/field.h"

int key;
int mailboxId;
char *mailbox;

char fixedNames[VARIABLE_COUNT][NAME_SIZE];
char *fixedNamesPtr[NAME_SLOTS];
char **fixedNamesPtrs;
double varValues[VALUE_SLOTS];

Cell *arrayA;
Cell *arrayB;
Cell *lastT;
int fieldReach;

char formulas[FORMULAS_SIZE];
int score;

FormulaTree formulaScratch;
FormulaProgram programV;
FormulaBatch faceBatch;
double faceValuesM[FORMULA_LANES];
double faceValuesV[FORMULA_LANES];
char keptTextM[FORMULA_BUF_SIZE];
int keptValidM;
int keptResultM;
FormulaProgram keptProgramM;
void *keptEvaluatorM;

std::uint64_t failedTextTbl[FAILED_TEXT_SLOTS];
char failedTexts[FAILED_TEXT_BYTES];
std::size_t failedTextsUsed;
int failedTextCount;
int failedTextsFull;

int yieldOnIdlePoll;

FieldRecorder fieldRecorder;

int setupClientState() {
    static const char *const names[VARIABLE_COUNT] = {"m", "M", "v", "V"};
    for (int i = 0; i < VARIABLE_COUNT; ++i) {
        std::strcpy(fixedNames[i], names[i]);
        fixedNamesPtr[i] = fixedNames[i];
    }
    fixedNamesPtrs = fixedNamesPtr;

    arrayA = static_cast<Cell *>(std::malloc(FIELD_BYTES));
    arrayB = arrayA ? static_cast<Cell *>(std::malloc(FIELD_BYTES)) : nullptr;
    if (!arrayB) {
        std::free(arrayA);
        arrayA = nullptr;
        return 1;
    }
    fillFields();

    std::memset(formulas, 0, sizeof formulas);
    keptTextM[0] = '\0';
    keptValidM = 0;
    keptResultM = 0;
    keptEvaluatorM = nullptr;
    return 0;
}

void freeClientState() {
    if (keptEvaluatorM) evaluator_destroy(keptEvaluatorM);
    keptEvaluatorM = nullptr;
    keptValidM = 0;
    std::free(arrayA);
    std::free(arrayB);
    arrayA = arrayB = lastT = nullptr;
}
