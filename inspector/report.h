// quarnShow's answer for one pair: the client's score and the reason on standard output, and
// the picture and the CSV asked for.
//
// showPair(M, V, picturePath, csvPath, allCells) inspects the pair (inspect.h) and prints
//   M = <M>, V = <V>
//   score: <the client's result, or "none" when refused>
//   answer: <the mailbox answer: "s,4" or "f">
//   steps: <steps run>
//   why: <the reason in words>
// then, when the field ran, writes the picture to picturePath (or, when null, to the pair's
// picture name in the working directory) and the CSV to csvPath when given, each followed by
// a line "picture: <path> (<width> x <height>)" or "csv: <path>". A pair that was not
// evaluated gets no files. Result: inspectPair's status (EXIT_EVALUATED, EXIT_NOT_EVALUATED,
// EXIT_REFUSED), or EXIT_IO_ERROR after the message of a file that could not be written.
#pragma once

int showPair(const char *textM, const char *textV, const char *picturePath, const char *csvPath,
             int allCells);
