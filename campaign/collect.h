// Merging a campaign's results: the units' best.txt, in unit order, into the campaign's
// best.txt, and their unevaluated.txt (pairs the coordinator gave up) into its
// unevaluated.txt, with a report of each unit's pairs done and passes.
#pragma once

#include <string>

// Merges the units of the campaign in `campaign`, replacing its best.txt and unevaluated.txt
// atomically (a unit still running adds what it has found so far). Prints one line per unit
// and the totals. Returns EXIT_OK, or EXIT_ERROR when the plan or a file cannot be read or
// written, or when a distinct campaign's catalogue or class table changed since its plan.
int collectCampaign(const std::string &campaign);
