// The theory command: the blocking theory gives for a network, on the routes a run would use.
#pragma once

#include <string>

#include "base/config.h"
#include "lab/commands.h"

namespace lab {

struct TheoryOptions {
  std::string topology;
  base::Config config;
  // Erlang per ordered pair: every pair alike, or the traffic file's pattern scaled to it.
  double load = 0.0;
  bool loadGiven = false;
  std::string trafficFile;
  bool exact = false;
  bool json = false;
  std::string routing = "console";
};

// Prints the Erlang fixed point's blocking per route and in total, and the exact
// product form's with `exact`. Throws UsageError, before printing anything, for options
// or a network the theory does not cover (the message says which condition fails).
int theoryCommand(const TheoryOptions& options, LabIo& io);

}  // namespace lab
