#include "lab/named_results.h"

namespace lab {

namespace {

void nameField(nlohmann::json& row, const char* number, const char* name,
               const TopologyInput& topology) {
  if (!row.contains(number) || !row[number].is_number_integer()) return;
  const std::int64_t node = row[number].get<std::int64_t>();
  if (node < 0 || static_cast<std::size_t>(node) >= topology.nodes.size()) return;
  const std::string& label = topology.nodes[static_cast<std::size_t>(node)].name;
  if (!label.empty()) row[name] = label;
}

void nameRows(nlohmann::json& record, const char* list, const char* first, const char* second,
              const TopologyInput& topology) {
  if (!record.contains(list) || !record[list].is_array()) return;
  for (nlohmann::json& row : record[list]) {
    nameField(row, first, (std::string(first) + "_name").c_str(), topology);
    nameField(row, second, (std::string(second) + "_name").c_str(), topology);
  }
}

}  // namespace

void addNodeNames(nlohmann::json& record, const TopologyInput& topology) {
  record["topology_format"] = topology.format;
  nameRows(record, "pairs", "origin", "destination", topology);
  nameRows(record, "links", "from", "to", topology);
}

}  // namespace lab
