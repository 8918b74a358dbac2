// The picture of a pair's field over time, drawn from the recording of its inspection.
//
// Layout, top to bottom: a header line ("score 4 steps 95"); the names "m" and "v" above two
// panels side by side, the m components on the left and the v components on the right; in
// each panel one row per step run (step 1 at the top) and one column per cell of the
// inspection's zone, each cell-step a block of 4 to 16 pixels on a side so that a panel fills
// about 400 pixels each way (cells ALL_CELLS_CELL_PX wide when every cell is shown); triangles
// above and below each panel mark the centre cell 500; step numbers every ten steps, and at the
// last step, left of the panels; then one legend row per component: its colour ramp from background
// - X through the background to background + X, a tick per decade of the scale, the three values as
// labels, and the swatches of NaN, +inf and -inf. Values become colours as colours.h describes; the
// m panel is centred on the background value of the field, the v panel on 0.
//
// The picture carries texts (see image.h): Title "M = <M>, V = <V>" (a line of best.txt),
// Score, Steps, Reason (the words), Comment (the scale of each panel) and Software.
//
// Uses the process-wide recordTbl (read) and canvasTbl, canvasWidth, canvasHeight (written).
//
// drawPicture(path, userNamed, M, V, inspection, allCells) draws the recording of the inspection
// just made (its steps and zone; allCells as given to inspectPair) and writes it as a PNG
// (userNamed: the user gave the path; see output.h). Result
// 0, with the size in canvasWidth and canvasHeight; 1 after the writer's message. An
// inspection whose field did not run has no picture: result 1 without writing.
#pragma once

#include "inspector/inspect.h"

int drawPicture(const char *path, int userNamed, const char *textM, const char *textV,
                const Inspection &inspection, int allCells);
