// File helpers of quarnCampaign: whole-file reads and atomic replacement. A file another
// process may read at any moment (a unit's records in the campaign folder, the plan, the merged
// best.txt) is written beside its place under a temporary name, flushed to disk and renamed
// over the old one, so a reader sees the old or the new file, never a part.
#pragma once

#include <string>

// The whole content of `path` into *text. Returns 1; 0 when it cannot be read (errno set).
int readWhole(const std::string &path, std::string *text);

// Replaces `path` with `text`, the new file with permission bits `mode`. Returns 1, or 0 with
// *error set.
int writeAtomically(const std::string &path, const std::string &text, std::string *error,
                    int mode = 0644);

// Replaces `dst` with a copy of `src` (permission bits `mode`); when `src` does not exist,
// nothing happens. Returns 1, or 0 with *error set.
int copyAtomically(const std::string &src, const std::string &dst, std::string *error,
                   int mode = 0644);

// Appends one line (a LF is added) to `path`. Returns 1, or 0 with *error set.
int appendLine(const std::string &path, const std::string &line, std::string *error);

// "<what> <path>: <system's error text>" for the last failed call.
std::string failure(const char *what, const std::string &path);

// 1 when an entry of that name exists.
int exists(const std::string &path);

// The local time as the coordinator's logs write it: "y2026m12d07 10:11:12".
std::string stampNow();
