// The generator driver: starts the generation cycle, or resumes it after argv[1] when there
// is exactly one argument (any other count starts from the beginning), then writes 20 new
// formula files in the current directory, printing "filename is: %s\n" for each and "\nDone"
// at the end. Returns the exit status: 0 for the normal end and for the failures it reports
// before writing ("failed to parse given formula", "no more filenames, last was: %s\n",
// "Could not open file"); 1 after "Could not close file formulas.txt", printed when a file
// could not be written whole (a write, the last flush or the close failed), whose torn file
// is removed.
#pragma once

int zindelMain(int argc, char **argv);
