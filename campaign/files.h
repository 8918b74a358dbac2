// File helpers of quarnCampaign: whole-file reads and atomic replacement. A file another
// process may read at any moment (a unit's records in the campaign folder, the plan, the merged
// best.txt) is written beside its place under a temporary name of its own (mkstemp), flushed to
// disk and renamed over the old one, so a reader sees the old or the new file, never a part.
// Only regular files are read, without waiting (a FIFO under a record's name never blocks a
// command), and lines are appended only to a regular file, never through a link.
#pragma once

#include <string>

// The whole content of `path` into *text. Returns 1; 0 when it cannot be read (errno set;
// failure() then says "not a regular file" for a FIFO, device or folder).
int readWhole(const std::string &path, std::string *text);

// Replaces `path` with `text`, the new file with permission bits `mode`. Returns 1, or 0 with
// *error set.
int writeAtomically(const std::string &path, const std::string &text, std::string *error,
                    int mode = 0644);

// The same in pieces, for a file too big to build in memory first: openAtomically creates the
// temporary file (returns 1, or 0 with *error set), writeAtomically adds text to it (a failure
// is kept for the close), closeAtomically puts it in place (returns 1) or removes it after a
// failure (returns 0 with *error set).
struct AtomicFile {
    std::string path;     // the file's place
    std::string temp;     // the temporary file's name
    std::string pending;  // text not yet written
    int fd = -1;
    int failed = 0;  // errno of the first failure
};
int openAtomically(const std::string &path, AtomicFile *file, std::string *error, int mode = 0644);
void writeAtomically(AtomicFile *file, const char *text, std::size_t size);
int closeAtomically(AtomicFile *file, std::string *error);

// Replaces `dst` with a copy of `src` (permission bits `mode`); when `src` does not exist,
// nothing happens. Returns 1, or 0 with *error set.
int copyAtomically(const std::string &src, const std::string &dst, std::string *error,
                   int mode = 0644);

// Appends one line (a LF is added) to the regular file `path`, creating it; a link or any other
// kind of entry under that name is refused. Returns 1, or 0 with *error set.
int appendLine(const std::string &path, const std::string &line, std::string *error);

// The text up to and with its last line end: a last line without one (being written, or torn)
// is left out.
std::string wholeLines(const std::string &text);

// The first line of `text` in plain characters: any other character becomes '?', so that text
// another process wrote can be shown on a terminal safely.
std::string plainLine(const std::string &text);

// "<what> <path>: <system's error text>" for the last failed call.
std::string failure(const char *what, const std::string &path);

// The FNV-1a digest (64 bits) of the regular file `path`, as 16 lower-case hex digits, into
// *hex. Returns 1, or 0 when it cannot be read (errno set).
int fileDigest(const std::string &path, std::string *hex);

// 1 when an entry of that name exists.
int exists(const std::string &path);

// The local time as the coordinator's logs write it: "y2026m12d07 10:11:12".
std::string stampNow();
