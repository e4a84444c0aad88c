// What every path search towards one destination shares: how many hops each node is from
// it, and the nodes that every path from a node to it passes (its post-dominators).
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "routing/hop_graph.h"

namespace routing {

class DestinationMap {
 public:
  using Index = HopGraph::Index;
  static constexpr std::int32_t kFar = std::numeric_limits<std::int32_t>::max();

  // The graph must outlive the map.
  explicit DestinationMap(const HopGraph& graph) : graph_(graph) {}

  // Finds the distances and post-dominators towards `target`, a node of the graph; kept
  // when it is the target already. Throws std::bad_alloc when memory runs out.
  void aimAt(Index target);

  // Hops from the node to the target; kFar when it cannot reach it.
  std::int32_t distance(Index node) const { return distance_[static_cast<std::size_t>(node)]; }
  // The next node after `node` that every path from it to the target passes: the target
  // itself for a node whose paths share no other, and for the target. HopGraph::kNone where
  // the target cannot be reached.
  Index dominator(Index node) const { return dominator_[static_cast<std::size_t>(node)]; }

 private:
  void findPostDominators();

  const HopGraph& graph_;
  Index target_ = HopGraph::kNone;
  std::vector<std::int32_t> distance_;
  std::vector<Index> dominator_;
};

}  // namespace routing
