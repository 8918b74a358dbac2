// The plan of a campaign: the catalogue counted with the coordinator's own stream rules, and
// its M formulas split into units of work. A unit is a run of quarnMain that starts at the
// unit's first M formula (its resume argument: total = pairs of the units before it, passes 0)
// and takes the unit's M formulas (QUARN_M_COUNT), each with every V formula of the catalogue.
// Unit i thus holds the pairs an uninterrupted run sends as numbers
// firstM * formulas .. (firstM + mCount) * formulas - 1, and its self-test pair is the same.
//
// This module owns plan.txt, a plain table with a few header lines ('#' starts a comment):
//   catalogue /abs/path/of/the/catalogue
//   file <formulas> <bytes> <digest> <name>   one per catalogue file, in file-number order
//   m-per-unit <n>
//   <unit> <resume argument> <M count> <pairs>
// for example "2 0,20,0,0,4000,0 10 2000". The catalogue lines let every later command check
// that the catalogue is still the one the plan counted: the digest is FNV-1a (64 bits, 16 hex
// digits) of the file's content. A plan is read strictly: a line with other fields is refused.
//
// A distinct plan (plan --distinct, classes.h) searches the class representatives of another
// catalogue, the original: its catalogue is the representatives' folder in the campaign, and
// the lines below (before the units) name the original and the files the classes are kept in:
//   original /abs/path/of/the/original/catalogue
//   original-file <formulas> <bytes> <digest> <name>   one per original file, as "file"
//   classes <usable formulas> <digest of classes.txt>
//   unusable <unusable formulas> <digest of unusable.txt>
// A plan without them is a plan of all pairs and reads as before.
#pragma once

#include <string>
#include <vector>

static_assert(sizeof(long) >= 8, "pair counts of a catalogue exceed 32 bits");

// One file of the catalogue.
struct CatalogueFile {
    std::string name;    // its name in the catalogue folder
    long formulas;       // formulas the coordinator's streams take from it
    long bytes;          // its size when counted; -1 for an entry that is not a regular file
    std::string digest;  // its content's digest when counted; empty for none (or an old plan)
};

struct PlanUnit {
    long resume[6];  // the resume argument that starts the unit
    long mCount;     // M formulas of the unit
    long firstM;     // M formulas of the catalogue before the unit
    long pairs;      // its pairs, as the plan's table states them
};

// The distinct part of a plan: the catalogue whose classes the plan's catalogue represents.
struct DistinctPart {
    std::string original;              // its absolute path; empty in a plan of all pairs
    std::vector<CatalogueFile> files;  // its files, in file-number order
    long formulas = 0;                 // its formulas
    long usable = 0;                   // of them usable: the members of the plan's classes
    long unusable = 0;                 // and those whose pairs score "f"
    std::string classesDigest;         // of the class table and the unusable list
    std::string unusableDigest;
};

struct Plan {
    std::string catalogue;             // absolute path of the catalogue folder
    std::vector<CatalogueFile> files;  // in file-number order
    long formulas = 0;                 // formulas of the whole catalogue: V formulas per M
    long mPerUnit = 0;                 // M formulas per unit (the last unit may have fewer)
    std::vector<PlanUnit> units;
    DistinctPart distinct;  // set in a distinct plan only
};

// Counts the formula files of folder `dir` as quarnMain started there would read them.
// Returns 1 and fills *files; 0 with *error set when the folder cannot be used or its file
// order is not fixed (more catalogue names than the coordinator takes, or two names with the
// same file number, whose order the coordinator leaves open), or a file cannot be read.
int countCatalogue(const std::string &dir, std::vector<CatalogueFile> *files, std::string *error);

// Counts the catalogue in `dir` and splits it into units of mPerUnit M formulas. Returns 1 and
// fills *plan; 0 with *error set (see countCatalogue; an empty catalogue has no units).
int makePlan(const std::string &dir, long mPerUnit, Plan *plan, std::string *error);

// Pairs of a unit: its M formulas with every formula of the catalogue.
inline long unitPairs(const Plan &plan, const PlanUnit &unit) {
    return unit.mCount * plan.formulas;
}

// Pairs of the whole catalogue.
inline long planPairs(const Plan &plan) { return plan.formulas * plan.formulas; }

// The number of formulas before the one a stream reaches when it starts at file `fileNum` and
// skips `skip` formulas (the count runs on across file ends); -1 when fileNum names no file.
long formulaIndex(const Plan &plan, long fileNum, long skip);

// The resume argument text "a,b,c,d,e,f".
std::string resumeText(const long resume[6]);

// Writes the plan to `path` (atomically). Returns 1, or 0 with *error set.
int writePlan(const std::string &path, const Plan &plan, std::string *error);

// Reads and checks a plan: its units must follow each other without gap or overlap and cover
// the catalogue. Returns 1, or 0 with *error set.
int readPlan(const std::string &path, Plan *plan, std::string *error);

// Checks that the plan's catalogue folder still holds the same files with the same sizes and
// contents (digests), and in a distinct plan also the original catalogue, the class table and
// the unusable list. Returns 1, or 0 with *error naming the first difference.
int checkCatalogue(const Plan &plan, std::string *error);
