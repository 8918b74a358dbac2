// The classes of a catalogue (common/formula_class.h) and the files of a distinct campaign
// that hold them: its catalogue of class representatives, its class table and its list of
// unusable formulas, all in the folder DISTINCT_DIR_NAME of the campaign (names in constants.h).
// This module owns the table and the list:
//
//   classes.txt   '#' starts a comment; then one line per class, in the order of the
//                 representatives' catalogue: "<class> <members> <position> <formula> ..."
//                 with every member's position in the original catalogue (0-based, in the
//                 order of the coordinator's streams) and its text, in catalogue order; the
//                 first member is the class's representative.
//   unusable.txt  '#' starts a comment; then "<position> <why> <formula>" for every formula
//                 whose pairs score "f" and never pass, why being "not-compiled" or
//                 "variables" (other than four).
//
// The representatives' catalogue is formulas_001.txt, ... in the generator's shape: lines of
// DISTINCT_FORMULAS_PER_LINE formulas, each written as "<formula>, ", DISTINCT_LINES_PER_FILE
// lines a file (the last file and line may hold fewer), then one empty line.
//
// Contract:
// - classifyCatalogue(dir, files, checkLibrary, out, error) counts the catalogue of folder dir
//   as the plan counts it (countCatalogue: *files) and sorts each of its formulas, read with
//   the coordinator's own stream rules, into its class, or unusable. Returns 1, or 0 with
//   *error set.
// - writeDistinct(folder, classes, error) writes the three kinds of file into folder, which
//   must exist and hold no formula files yet. Returns 1, or 0 with *error set.
// - readClasses(folder, formulas, out, error) reads classes.txt and unusable.txt of folder
//   strictly: every position of the original catalogue of `formulas` formulas once, classes in
//   order of their first members. Returns 1, or 0 with *error naming the file and line.
#pragma once

#include <string>
#include <vector>

#include "campaign/plan.h"
#include "common/formula_class.h"

constexpr long NOT_COMPILED_CLASS = -1;     // classOf of a formula that does not compile
constexpr long WRONG_VARIABLES_CLASS = -2;  // and of one with other than four variables

struct CatalogueClasses {
    long formulas = 0;             // formulas of the catalogue
    long uses[FORMULA_USES] = {};  // formulas by what the client makes of them (classing)
    std::vector<long> classOf;     // per position: its class, or a *_CLASS above
    std::vector<long> textAt;      // per position: where its text starts in texts
    std::vector<char> texts;       // the texts, each with its NUL
    std::vector<long> memberAt;    // class c's members: members[memberAt[c], memberAt[c + 1])
    std::vector<long> members;     // positions, by class, in catalogue order within each
    long classes() const { return static_cast<long>(memberAt.size()) - 1; }
    long usable() const { return static_cast<long>(members.size()); }
    const char *text(long position) const { return texts.data() + textAt[position]; }
};

int classifyCatalogue(const std::string &dir, std::vector<CatalogueFile> *files, int checkLibrary,
                      CatalogueClasses *out, std::string *error);
int writeDistinct(const std::string &folder, const CatalogueClasses &classes, std::string *error);
int readClasses(const std::string &folder, long formulas, CatalogueClasses *out,
                std::string *error);
