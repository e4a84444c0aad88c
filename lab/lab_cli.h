// The command line of wrnsim-lab: subcommands, options and exit status.
#pragma once

#include "lab/commands.h"

namespace lab {

// Parses and runs one command line. Returns 0 on success and after --help, 2 (with a
// message on io.err) for bad options or unusable input files.
int runLab(int argc, const char* const* argv, LabIo& io);

}  // namespace lab
