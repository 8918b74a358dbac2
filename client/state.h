// The client's process-wide state, all in one place: its mailbox, the names and values handed
// to the expression library, the two fields, the formula buffers, the formula programs (the
// M kept across requests), the texts that did not compile and the polling mode. Defined in
// state.cpp.
//
// Contract:
// - setupClientState() fills the names table, allocates and fills both fields and clears the
//   formula buffers and the kept M. Result 0 on success; 1 when an allocation failed, and then
//   nothing stays allocated. Called once, before the first request.
// - freeClientState() destroys the kept M evaluator and frees both fields; the state may be
//   set up again afterwards. Neither touches the texts that did not compile: they still fail.
#pragma once

#include "client/constants.h"

// One cell of a field: the m component, then the v component.
struct Cell {
    double m;
    double v;
};
static_assert(sizeof(Cell) == 2 * sizeof(double));

// ---- The mailbox.
extern int key;        // the shared-memory key from the command line
extern int mailboxId;  // the segment's id from shmget, once got
extern char *mailbox;  // the attached segment (MB_SIZE bytes), or null before attaching

// ---- Names and values for the expression library, in binding order m, M, v, V.
extern char fixedNames[VARIABLE_COUNT][NAME_SIZE];  // "m", "M", "v", "V"
extern char *fixedNamesPtr[NAME_SLOTS];  // the first four point at fixedNames; the rest null
extern char **fixedNamesPtrs;            // points at fixedNamesPtr: the list the library gets
extern double varValues[VALUE_SLOTS];    // the first four: values bound to m, M, v, V

// ---- The fields. Outside the zone named by fieldReach both hold the start state.
extern Cell *arrayA;    // field of the even cycles' sources; FIELD_BYTES, from malloc
extern Cell *arrayB;    // field of the odd cycles' sources; FIELD_BYTES, from malloc
extern Cell *lastT;     // the field written by the latest step (arrayA before any step)
extern int fieldReach;  // cells within this distance of the spike may differ from the start

// ---- The request.
extern char formulas[FORMULAS_SIZE];  // M text from FORMULA_M_OFFSET, V from FORMULA_V_OFFSET
extern int score;                     // the result of the last request

// ---- The compiled formulas. A text the formula compiler takes runs as a program; one it
// leaves to the library (a byte the library skips, a syntax error) is compiled by the library.
extern FormulaTree formulaScratch;  // the tree of the text compiled last
extern FormulaProgram programV;     // the program of the V being scored
// The faces of one step that need the formulas, one lane each (field.cpp).
extern FormulaBatch faceBatch;             // registers 0..3: m, M, v, V of each face
extern double faceValuesM[FORMULA_LANES];  // face m of each lane
extern double faceValuesV[FORMULA_LANES];  // face v of each lane
// The compiled M, kept while the text of M stays the same.
extern char keptTextM[FORMULA_BUF_SIZE];  // the M text keptProgramM or keptEvaluatorM came from
extern int keptValidM;               // 1 when keptTextM and keptResultM describe a compiled text
extern int keptResultM;              // 1: usable; SCORE_NOT_COMPILED or SCORE_FAILED: its verdict
extern FormulaProgram keptProgramM;  // the usable M's program, unless keptEvaluatorM is set
extern void *keptEvaluatorM;         // the usable M compiled by the library, or null

// ---- Texts that did not compile (failed_texts.cpp); they stay across set-up and release.
extern std::uint64_t failedTextTbl[FAILED_TEXT_SLOTS];  // 0 empty, else hash << 32 | offset + 1
extern char failedTexts[FAILED_TEXT_BYTES];             // the remembered texts, each with its NUL
extern std::size_t failedTextsUsed;                     // bytes of failedTexts in use
extern int failedTextCount;                             // texts remembered, 0..FAILED_TEXT_MAX
extern int failedTextsFull;                             // 1 once a text found no room (said once)

// ---- Polling.
extern int yieldOnIdlePoll;  // 1: an idle poll calls sched_yield (fewer processors than POLLERS)

// ---- Recording, for programs that show the field (the pair inspector); null in the client.
// When set, the simulation calls it once per cycle right after the step, with the cycle
// (0..CYCLE_COUNT - 1), the field just written and the reach (the cells within reach of the
// spike were stepped); the field pointer is valid during the call only.
using FieldRecorder = void (*)(int cycle, const Cell *field, int reach);
extern FieldRecorder fieldRecorder;

int setupClientState();
void freeClientState();
