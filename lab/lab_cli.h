// The command line of wrnsim-lab: subcommands, options and exit status.
#pragma once

#include <string>
#include <vector>

#include "lab/commands.h"

namespace lab {

// Parses and runs one command line. Returns 0 on success and after --help, 2 (with a
// message on io.err) for bad options or unusable input files.
int runLab(int argc, const char* const* argv, LabIo& io);

// The options of `wrnsim-lab run WORDS...` and `wrnsim-lab sweep WORDS...`, with the command
// line's defaults, checks and refusals of options alone. Throws UsageError with the message
// wrnsim-lab prints for a refused command line. Nothing is read; the command is not run.
RunOptions runOptionsOf(const std::vector<std::string>& words);
SweepOptions sweepOptionsOf(const std::vector<std::string>& words);

}  // namespace lab
