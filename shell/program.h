// One whole session of the program on a given console and file system.
#pragma once

#include "base/console.h"
#include "base/input_file.h"
#include "routing/candidate_search.h"

namespace shell {

struct ProgramOptions {
  // Off only to check runs against the plain tick-by-tick loop.
  bool eventDrivenRuns = true;
  // Smaller only where many sessions must each end in moments (fuzzing).
  routing::SearchLimits searchLimits = {};
};

// Starts up, runs the main menu and ends as the program does (the end of the input at a
// key read ends it like option 9). Returns the exit status.
int runProgram(base::Console& console, base::FileSystem& files, const ProgramOptions& options = {});

}  // namespace shell
