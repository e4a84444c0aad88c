#include "routing/neighbour_index.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace routing {

NeighbourIndex::NeighbourIndex(const network::LinkTable& linkTable,
                               const network::NodeList& nodeList) {
  std::unordered_map<NodeId, std::vector<std::size_t>> positionsOf;
  std::size_t position = 0;
  for (NodeId node : nodeList) positionsOf[node].push_back(position++);

  std::unordered_map<NodeId, std::vector<std::pair<std::size_t, NodeId>>> ranked;
  const auto& links = linkTable.links();
  for (std::size_t i = 0; i < links.size(); ++i) {
    const network::Link& link = links[i];
    // Only the first link of a pair counts, as linkExists answers per pair.
    if (linkTable.positionOf(link.from, link.to) != static_cast<std::ptrdiff_t>(i)) continue;
    auto found = positionsOf.find(link.to);
    if (found == positionsOf.end()) continue;
    for (std::size_t at : found->second) ranked[link.from].emplace_back(at, link.to);
  }
  for (auto& [from, list] : ranked) {
    std::sort(list.begin(), list.end());
    std::vector<NodeId>& out = neighbours_[from];
    out.reserve(list.size());
    for (const auto& entry : list) out.push_back(entry.second);
  }
}

const std::vector<NodeId>& NeighbourIndex::of(NodeId node) const {
  auto found = neighbours_.find(node);
  return found == neighbours_.end() ? none_ : found->second;
}

}  // namespace routing
