// Starting other programs: the coordinator for a unit, and Slurm's commands. Programs are run
// by execv/execvp with an argument vector, never through a shell, so no path or argument is
// ever read as shell syntax.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Starts argv[0] (a path) in directory `dir` with the variables of `env` ("NAME=value") added,
// in a process group of its own (a terminal's Ctrl+C reaches only quarnCampaign, which passes
// it on once), its standard output and standard error into two pipes whose reading ends *outFd
// and *errFd receive. Returns the child's pid, or -1 after a message on standard error.
pid_t spawnInGroup(const std::vector<std::string> &argv, const std::string &dir,
                   const std::vector<std::string> &env, int *outFd, int *errFd);

// Runs a command found on PATH with standard output captured into *out and standard error
// passed through. Returns its exit status; -1 when it could not be run (not installed, say).
int capture(const std::vector<std::string> &argv, std::string *out);
