// One whole session of the program on a given console and file system.
#pragma once

#include "routing/candidate_search.h"
#include "shell/console.h"
#include "shell/input_file.h"

namespace shell {

struct ProgramOptions {
  // Off only to check runs against the plain tick-by-tick loop.
  bool eventDrivenRuns = true;
  // Smaller only where many sessions must each end in moments (fuzzing).
  routing::SearchLimits searchLimits = {};
};

// Starts up, runs the main menu and ends as the program does (the end of the input at a
// key read ends it like option 9). Returns the exit status.
int runProgram(Console& console, FileSystem& files, const ProgramOptions& options = {});

}  // namespace shell
