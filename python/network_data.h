// A network as the Python module hands it to users: read once, in any format the lab
// reads, with its nodes and links as the runs will load them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lab/topology_input.h"

namespace python {

struct NodeData {
  std::int32_t number = 0;
  // None where the file gives none.
  std::optional<std::string> name;
  std::optional<double> longitude;
  std::optional<double> latitude;
};

struct LinkData {
  std::int32_t from = 0;
  std::int32_t to = 0;
  std::int32_t regenerators = 0;
  // The two directions of a link share their fibres, and this number.
  std::int32_t fibreGroup = 0;
};

class NetworkData {
 public:
  // Reads the file as `wrnsim-lab run --topology PATH` does. Throws lab::UsageError
  // (lab::MissingFileError when there is no such file) with the lab's message, and
  // experiment::ExperimentError for a topology the simulator cannot load.
  static NetworkData load(const std::string& path);

  // As given to load.
  const std::string& path() const { return path_; }
  const lab::TopologyInput& input() const { return input_; }
  std::int32_t nodeCount() const { return static_cast<std::int32_t>(nodes_.size()); }
  // By node number.
  const std::vector<NodeData>& nodes() const { return nodes_; }
  // Every directed link, in the order the run's per-link counts use.
  const std::vector<LinkData>& links() const { return links_; }

 private:
  std::string path_;
  lab::TopologyInput input_;
  std::vector<NodeData> nodes_;
  std::vector<LinkData> links_;
};

}  // namespace python
