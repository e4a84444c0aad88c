#include "routing/neighbour_index.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace routing {

NeighbourIndex::NeighbourIndex(const network::LinkTable& linkTable,
                               const network::NodeList& nodeList) {
  // (node, position in the list), sorted by node.
  std::vector<std::pair<NodeId, std::size_t>> positions;
  positions.reserve(nodeList.size());
  std::size_t position = 0;
  for (NodeId node : nodeList) positions.emplace_back(node, position++);
  std::sort(positions.begin(), positions.end());

  // (from, position of `to` in the list, to) for every link whose end is listed.
  std::vector<std::tuple<NodeId, std::size_t, NodeId>> entries;
  entries.reserve(linkTable.size());
  for (const network::Link& link : linkTable.links()) {
    auto at = std::lower_bound(positions.begin(), positions.end(),
                               std::pair<NodeId, std::size_t>(link.to, 0));
    for (; at != positions.end() && at->first == link.to; ++at) {
      entries.emplace_back(link.from, at->second, link.to);
    }
  }
  std::sort(entries.begin(), entries.end());
  // A pair linked twice is still one neighbour: whether a link exists is asked per pair.
  entries.erase(std::unique(entries.begin(), entries.end()), entries.end());

  neighbours_.reserve(entries.size());
  for (const auto& [from, at, to] : entries) {
    if (ends_.empty() || ends_.back().first != from) ends_.emplace_back(from, 0);
    neighbours_.push_back(to);
    ends_.back().second = neighbours_.size();
  }
}

std::span<const NodeId> NeighbourIndex::of(NodeId node) const {
  auto found =
      std::lower_bound(ends_.begin(), ends_.end(), std::pair<NodeId, std::size_t>(node, 0));
  if (found == ends_.end() || found->first != node) return {};
  const std::size_t begin = found == ends_.begin() ? 0 : std::prev(found)->second;
  return {neighbours_.data() + begin, found->second - begin};
}

}  // namespace routing
