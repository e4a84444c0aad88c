// Candidate paths of many pairs found once, kept compactly so that every run and thread of a
// sweep may read them without a copy of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "routing/path.h"

namespace routing {

class PathCatalogue {
 public:
  struct Pair {
    NodeId origin = network::kNoNode;
    NodeId destination = network::kNoNode;
    // The search that found the paths ended at its limit.
    bool limited = false;
    // The pair's paths are paths first .. first + count - 1 of the catalogue.
    std::size_t first = 0;
    std::size_t count = 0;
  };

  // Adds a pair's paths in order (a path may come twice, as a search may accept it twice).
  // Each pair is added once. Throws std::bad_alloc when memory runs out.
  void add(NodeId origin, NodeId destination, std::span<const Path> paths, bool limited);
  void add(NodeId origin, NodeId destination, const PathSet& paths, bool limited);

  // The pairs of every part, in order; no pair may be in two parts. Throws std::bad_alloc
  // when memory runs out.
  static PathCatalogue joined(std::vector<PathCatalogue>&& parts);

  // The pair's entry; none for a pair never added. Safe from several threads at once once
  // nothing is added any more.
  const Pair* find(NodeId origin, NodeId destination) const;

  // The nodes of path `index`, origin first.
  std::span<const NodeId> path(std::size_t index) const {
    return {nodes_.data() + starts_[index], starts_[index + 1] - starts_[index]};
  }

  // Every pair, in the order added.
  const std::vector<Pair>& pairs() const { return pairs_; }
  std::size_t pathCount() const { return starts_.size() - 1; }

 private:
  void addPath(std::span<const NodeId> nodes);
  void addPair(NodeId origin, NodeId destination, bool limited, std::size_t first);

  std::vector<Pair> pairs_;
  // Positions in pairs_ sorted by origin, then destination.
  std::vector<std::uint32_t> sorted_;
  std::vector<std::size_t> starts_{0};
  std::vector<NodeId> nodes_;
};

}  // namespace routing
