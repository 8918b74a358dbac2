// The files the inspector writes: pictures, CSV and the results page.
//
// A file is written whole or not at all: the text goes to a temporary file of its own in the
// same folder (mkstemp, so no name another process could have planted is ever followed or
// taken over) that is renamed over the file's name at the end. The rename replaces whatever
// the name held. The one exception is a name the user gave on the command line that already
// exists and is not a regular file (a link such as /dev/stdout, a device, a FIFO): that is
// written in place, as the user asked, and never replaced.
#pragma once

#include <climits>
#include <cstdio>

struct OutputFile {
    FILE *file = nullptr;           // where to write
    char path[PATH_MAX] = "";       // the name the file ends up under
    char temporary[PATH_MAX] = "";  // the temporary name; empty when written in place
};

// Opens the output for `path`; userNamed: the user gave the name (see above). Returns 0; 1 after
// printing "quarnShow: cannot write <path>: <reason>".
int openOutput(const char *path, int userNamed, OutputFile *out);

// Closes the output and puts it in place. `failed` says that writing it failed already. Returns
// 0; 1 after printing "quarnShow: cannot write <path>: <reason>" (`reason`, when given, else the
// system's), and then no temporary file is left behind.
int closeOutput(OutputFile *out, int failed, const char *reason = nullptr);
