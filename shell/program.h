// One whole session of the program on a given console and file system.
#pragma once

#include "base/console.h"
#include "base/input_file.h"
#include "routing/candidate_search.h"
#include "run/run_loop.h"

namespace shell {

struct ProgramOptions {
  // The loop that steps the runs; none for the program's own (tests give a reference).
  run::RunDriver runDriver = nullptr;
  // Smaller only where many sessions must each end in moments (fuzzing).
  routing::SearchLimits searchLimits = {};
};

// The exit status when the console's output could not be written, whatever else happened;
// the system's reason is then said on standard error. Otherwise the status is 0, or 1 after
// a fatal failure.
inline constexpr int kOutputLostStatus = 3;

// Starts up, runs the main menu and ends as the program does (the end of the input at a
// key read ends it like option 9). Returns the exit status.
int runProgram(base::Console& console, base::FileSystem& files, const ProgramOptions& options = {});

}  // namespace shell
