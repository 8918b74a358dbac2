// The results page: a static folder with index.html and one picture per behaviour family of
// the pairs of one or more best.txt files, readable without JavaScript and without a network.
//
// Input lines are those the coordinator appends to best.txt, "M = <M>, V = <V>"; blanks and a
// CR at the end of a formula are dropped, empty lines skipped, and any other line is reported
// with its file and number and skipped. The distinct pairs are gathered into class pairs and
// those into behaviour families (groups.h). The page lists the families in the order their
// first pairs appear, one row per class pair (its first pair's formulas, the client's score
// now, its pairs and lines, the reason in words, and its member pairs folded out, each with
// its lines), the family's thumbnail beside its rows, linking to the full picture; the head
// counts the passing pairs, class pairs and families. Pictures are named
// "pair_<16 hex digits>.png" after the 64-bit FNV-1a hash of M, a NUL and V of the pair they
// show, so a pair keeps its name from run to run: a picture that exists and whose Title text
// names the pair is kept, not drawn again, and only index.html is rewritten (through a
// temporary file and a rename). Pictures of pairs no longer shown are left alone.
//
// buildPage(sources, sourceCount, outDir) creates outDir when it does not exist and writes the
// page, then prints one summary line. Result 0; 1 after a message when a source cannot be read
// or a file cannot be written.
#pragma once

int buildPage(const char *const *sources, int sourceCount, const char *outDir);

// The file name of a pair's picture, in a static buffer valid until the next call.
const char *pictureName(const char *textM, const char *textV);
