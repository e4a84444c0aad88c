#include "lab/topology_input.h"

#include <filesystem>

#include "lab/lab_files.h"
#include "topology/graph.h"

namespace lab {

TopologyInput readTopology(const std::string& path) {
  TopologyInput topology;
  topology.conText = readFile(path, "topology file");
  std::filesystem::path nodesPath(path);
  nodesPath.replace_extension(".nodes");
  std::error_code error;
  if (std::filesystem::is_regular_file(nodesPath, error)) {
    const std::string shown = nodesPath.string();
    try {
      topology.nodes = topology::parseNodeFile(readFile(shown, "node file"));
    } catch (const topology::FormatError& fault) {
      throw UsageError(shown + ": " + fault.what());
    }
  }
  return topology;
}

std::string nodeLabel(const TopologyInput& topology, int node) {
  if (node >= 0 && static_cast<std::size_t>(node) < topology.nodes.size() &&
      !topology.nodes[node].name.empty()) {
    return topology.nodes[node].name;
  }
  return std::to_string(node);
}

}  // namespace lab
