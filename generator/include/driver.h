// The generator driver: starts the generation cycle, or resumes it after argv[1] when there
// is exactly one argument (any other count starts from the beginning), then writes 20 new
// formula files in the current directory, printing "filename is: %s\n" for each and "\nDone"
// at the end. Returns the exit status: 0 for every ending it decides itself, failures
// included ("failed to parse given formula", "no more filenames, last was: %s\n", "Could
// not open file", "Could not close file formulas.txt").
#pragma once

int zindelMain(int argc, char **argv);
