#include "routing/hop_graph.h"

#include <algorithm>
#include <utility>

namespace routing {

namespace {

// Adjacency lists from (node, neighbour) pairs, sorted and without repeats.
void fill(std::vector<std::pair<HopGraph::Index, HopGraph::Index>>& pairs, std::size_t nodes,
          std::vector<std::size_t>& start, std::vector<HopGraph::Index>& ends) {
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  start.assign(nodes + 1, 0);
  ends.clear();
  ends.reserve(pairs.size());
  for (const auto& [node, neighbour] : pairs) {
    ++start[static_cast<std::size_t>(node) + 1];
    ends.push_back(neighbour);
  }
  for (std::size_t i = 1; i <= nodes; ++i) start[i] += start[i - 1];
}

}  // namespace

HopGraph::HopGraph(const network::LinkTable& table) {
  for (const network::Link& link : table.links()) {
    if (link.from == link.to) continue;
    ids_.push_back(link.from);
    ids_.push_back(link.to);
  }
  std::sort(ids_.begin(), ids_.end());
  ids_.erase(std::unique(ids_.begin(), ids_.end()), ids_.end());
  std::vector<std::pair<Index, Index>> forward;
  std::vector<std::pair<Index, Index>> backward;
  forward.reserve(table.size());
  backward.reserve(table.size());
  for (const network::Link& link : table.links()) {
    if (link.from == link.to) continue;
    const Index from = indexOf(link.from);
    const Index to = indexOf(link.to);
    forward.emplace_back(from, to);
    backward.emplace_back(to, from);
  }
  fill(forward, ids_.size(), outStart_, outTo_);
  fill(backward, ids_.size(), inStart_, inFrom_);
}

HopGraph::Index HopGraph::indexOf(NodeId id) const {
  const auto at = std::lower_bound(ids_.begin(), ids_.end(), id);
  if (at == ids_.end() || *at != id) return kNone;
  return static_cast<Index>(at - ids_.begin());
}

std::size_t HopGraph::link(Index from, Index to) const {
  const std::span<const Index> previous = in(to);
  return inLink(to) +
         static_cast<std::size_t>(std::lower_bound(previous.begin(), previous.end(), from) -
                                  previous.begin());
}

std::size_t HopGraph::outLink(Index from, Index to) const {
  const std::span<const Index> next = out(from);
  return outLink(from) +
         static_cast<std::size_t>(std::lower_bound(next.begin(), next.end(), to) - next.begin());
}

}  // namespace routing
