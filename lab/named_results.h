// Node names beside node numbers in a run's record, for networks whose file names them.
#pragma once

#include <nlohmann/json.hpp>

#include "lab/topology_input.h"

namespace lab {

// Adds "topology_format" to the record, and, when the network has names, "origin_name" and
// "destination_name" to each per-pair row and "from_name" and "to_name" to each per-link
// row, beside the numbers, which stay as they are. A node without a name gets none.
void addNodeNames(nlohmann::json& record, const TopologyInput& topology);

}  // namespace lab
