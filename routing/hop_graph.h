// A link table's nodes and links as a compact directed graph for the path searches that
// count hops: nodes renumbered densely in increasing order of id, neighbours sorted.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "network/link_table.h"

namespace routing {

using network::NodeId;

class HopGraph {
 public:
  using Index = std::int32_t;
  static constexpr Index kNone = -1;

  // Every node that a link names; parallel links count once and self-loops not at all.
  // Throws std::bad_alloc when memory runs out.
  explicit HopGraph(const network::LinkTable& table);

  // kNone for a node that no link names.
  Index indexOf(NodeId id) const;
  NodeId idOf(Index index) const { return ids_[static_cast<std::size_t>(index)]; }
  Index size() const { return static_cast<Index>(ids_.size()); }

  // The ends of the links leaving `node`, and the starts of those reaching it, both in
  // increasing order: a smaller index is a smaller id.
  std::span<const Index> out(Index node) const { return range(outStart_, outTo_, node); }
  std::span<const Index> in(Index node) const { return range(inStart_, inFrom_, node); }
  // Links numbered by their place in the `in` lists: in(node)[k] starts link inLink(node) + k.
  std::size_t inLink(Index node) const { return inStart_[static_cast<std::size_t>(node)]; }
  std::size_t linkCount() const { return inFrom_.size(); }
  // The same links numbered by their place in the `out` lists instead.
  std::size_t outLink(Index node) const { return outStart_[static_cast<std::size_t>(node)]; }
  std::size_t outLink(Index from, Index to) const;
  // The number of the link from -> to, which must exist.
  std::size_t link(Index from, Index to) const;

 private:
  static std::span<const Index> range(const std::vector<std::size_t>& start,
                                      const std::vector<Index>& ends, Index node) {
    const auto at = static_cast<std::size_t>(node);
    return {ends.data() + start[at], start[at + 1] - start[at]};
  }

  std::vector<NodeId> ids_;
  std::vector<std::size_t> outStart_;
  std::vector<Index> outTo_;
  std::vector<std::size_t> inStart_;
  std::vector<Index> inFrom_;
};

}  // namespace routing
