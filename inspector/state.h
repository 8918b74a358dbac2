// The pair inspector's process-wide state, all in one place: the recording of the latest
// evaluation, the canvas the picture is drawn on, and what is needed to keep the client's own
// announcements off the inspector's output. Defined in state.cpp. (The client's state, which
// the inspector shares, is client/state.h.)
//
// Contract:
// - setupShowState() sets up the client's state (setupClientState), installs the recorder
//   that fills recordTbl, builds the colour map and opens the null device used while the client
//   evaluates. Result 0 on success; 1 after reporting the failure. Called once, before the first
//   inspection.
// - recordStep() is the recorder: it copies the field just written into recordTbl[cycle] and
//   sets recordedSteps to cycle + 1.
#pragma once

#include "client/state.h"
#include "inspector/colours.h"
#include "inspector/constants.h"

// ---- The recording: the whole field after each step of the latest evaluation.
extern Cell recordTbl[CYCLE_COUNT][CELL_COUNT];  // row r: the field after step r + 1
extern int recordedSteps;  // rows of recordTbl written by the latest evaluation, 0..100

// ---- The colour map, built once by setupShowState (see colours.h).
extern Rgb rampTbl[2 * RAMP_HALF_STEPS + 1];  // entry RAMP_HALF_STEPS + i: position i / 128

// ---- The picture being drawn.
extern unsigned char canvasTbl[CANVAS_BYTES];  // RGB rows, top to bottom, canvasWidth wide
extern int canvasWidth;                        // pixels per row of the current picture
extern int canvasHeight;                       // rows of the current picture

// ---- Output while the client evaluates: it prints its own line on a pass.
extern int quietFd;  // the null device, open for writing; -1 before set-up

int setupShowState();
void recordStep(int cycle, const Cell *field, int reach);
