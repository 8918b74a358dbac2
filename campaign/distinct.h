// The distinct search: a campaign over one formula of each class of a catalogue (classes.h),
// which gives exactly the passes of the search over all pairs from a fraction of the work.
//
// A pair holding a formula that does not compile or has other than four variables scores "f"
// and never passes; any other pair scores what its class pair scores, with the same field at
// every step (common/formula_class.h). So the units run the unchanged coordinator and client
// on the representatives' catalogue, and collect expands each passing class pair into all its
// member pairs.
//
// The self-test pair. Every run from zero sends its pair SELFTEST_AT_TOTAL as a self-test that
// the client answers without evaluating, and the coordinator records it in best.txt like a pass.
// A distinct search's self-test pair is a class pair too, whose members are never evaluated:
// collect scores it here with the client's own code (client/field.h) and expands it only when
// it passes. (The search over all pairs never evaluates its own self-test pair, the original
// catalogue's pair SELFTEST_AT_TOTAL: best-all.txt holds it when it passes, that search's
// best.txt only as its self-test line.)
//
// Contract:
// - classesCommand(catalogue): classes a catalogue and prints the counts and the time; writes
//   nothing. EXIT_OK, or EXIT_ERROR after a message.
// - planDistinct(campaign, catalogue, mPerUnit): `plan --distinct`: classes the catalogue,
//   writes the representatives, the class table and the unusable list into
//   <campaign>/DISTINCT_DIR_NAME and a plan over the representatives with its distinct part.
//   A campaign that has a plan keeps it. EXIT_OK, or EXIT_ERROR after a message.
// - expandPasses(campaign, plan, best, unevaluated, error): the class pairs of the merged
//   best.txt `best` expanded into <campaign>/BEST_ALL_FILE_NAME: every passing pair of the
//   original catalogue, one line each as the coordinator writes best.txt, M-major by original
//   position (the order a search over all pairs sends them); prints each class pair with its
//   member pairs, and the pairs that the class pairs of the merged unevaluated.txt stand for.
//   Returns 1, or 0 with *error set (best-all.txt is then left as it was).
#pragma once

#include <string>

#include "campaign/plan.h"

int classesCommand(const std::string &catalogue);
int planDistinct(const std::string &campaign, const std::string &catalogue, long mPerUnit);
int expandPasses(const std::string &campaign, const Plan &plan, const std::string &best,
                 const std::string &unevaluated, std::string *error);
