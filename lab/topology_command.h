// `wrnsim-lab topology convert`: a network in one of the field's formats made into the
// console's NAME.con, with its names and places in NAME.nodes beside it.
#pragma once

#include <string>

#include "lab/commands.h"
#include "lab/topology_input.h"

namespace CLI {
class App;
}

namespace lab {

struct ConvertOptions {
  std::string input;
  // NAME.con; NAME.nodes goes beside it.
  std::string output;
  TopologyOptions topology;
};

// Adds `topology convert` to the command line; `chosen` is set when it is given.
void addTopologyCommand(CLI::App& app, ConvertOptions& options, bool& chosen);

// Writes NAME.con and NAME.nodes, both or neither, and the conversion's summary to standard
// error. Throws UsageError (status 2) for a bad input or a file that cannot be written.
int convertCommand(const ConvertOptions& options, LabIo& io);

}  // namespace lab
