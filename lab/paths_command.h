// `wrnsim-lab paths`: the candidate paths a built-in routing finds, written as the file that
// `--routing paths:FILE` reads, for a user to start from.
#pragma once

#include <string>
#include <vector>

#include "base/config.h"
#include "lab/commands.h"

namespace CLI {
class App;
}

namespace lab {

struct PathsOptions {
  std::string topology;
  // The search's settings: paths and largest shared links.
  base::Config config;
  // "console" or "k-shortest".
  std::string routing = "console";
  bool allPairs = false;
  // Origin and destination, two words per pair.
  std::vector<std::string> pairs;
  // Standard output when empty.
  std::string output;
  // No progress on standard error.
  bool quiet = false;
};

// Adds `paths` to the command line; `chosen` is set when it is given.
void addPathsCommand(CLI::App& app, PathsOptions& options, bool& chosen);

// Writes each pair's paths as a run with the routing would find them (every ordered pair when
// none is listed), after comment lines naming the network, the routing and its settings, and
// a summary to standard error. Throws UsageError for a bad option or input.
int pathsCommand(const PathsOptions& options, LabIo& io);

}  // namespace lab
