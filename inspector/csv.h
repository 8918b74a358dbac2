// The field values of an inspection as CSV, for people who plot with their own tools.
//
// Layout: a header line "step,cell,m,v", then one line per step run (1 = the field after the
// first step) and per cell of the inspection's zone (the cells of the picture's columns), in
// step order and then cell order: the step, the cell number (0..999) and the cell's m and v
// components, each written with the fewest digits that read back as the same double ("NaN",
// "inf" and "-inf" for the values that are not finite). Lines end with "\n".
//
// Uses the process-wide recordTbl (read). writeCsv(path, inspection) writes the recording of
// the inspection just made. Result 0; 1 after printing "quarnShow: cannot write <path>:
// <reason>" on the error stream.
#pragma once

#include "inspector/inspect.h"

int writeCsv(const char *path, const Inspection &inspection);
