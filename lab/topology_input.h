// The network a --topology option names, whatever its file's format: the console's matrix
// text, which the run loads, and the nodes' names and places where they are known.
#pragma once

#include <string>
#include <vector>

#include "topology/node_file.h"

namespace lab {

struct TopologyInput {
  // The console's topology file text.
  std::string conText;
  // By node number; empty when the network has no names (a .con without NAME.nodes beside
  // it).
  std::vector<topology::NodePlace> nodes;
};

// Reads the file. A .con is taken as it is, with NAME.nodes beside it when there is one.
// Throws UsageError for a file that cannot be read or holds no network in its format.
TopologyInput readTopology(const std::string& path);

// The node's name, or its number when it has none.
std::string nodeLabel(const TopologyInput& topology, int node);

}  // namespace lab
