#include "routing/path_catalogue.h"

#include <algorithm>
#include <utility>

namespace routing {

namespace {

bool before(const PathCatalogue::Pair& a, NodeId origin, NodeId destination) {
  return std::pair(a.origin, a.destination) < std::pair(origin, destination);
}

}  // namespace

void PathCatalogue::addPath(std::span<const NodeId> nodes) {
  nodes_.insert(nodes_.end(), nodes.begin(), nodes.end());
  starts_.push_back(nodes_.size());
}

// Pairs usually come in order, so the index is kept by appending, and only rarely by
// insertion.
void PathCatalogue::addPair(NodeId origin, NodeId destination, bool limited, std::size_t first) {
  pairs_.push_back({origin, destination, limited, first, pathCount() - first});
  const auto at = std::lower_bound(sorted_.begin(), sorted_.end(), pairs_.back(),
                                   [&](std::uint32_t position, const Pair& pair) {
                                     return before(pairs_[position], pair.origin, pair.destination);
                                   });
  sorted_.insert(at, static_cast<std::uint32_t>(pairs_.size() - 1));
}

void PathCatalogue::add(NodeId origin, NodeId destination, std::span<const Path> paths,
                        bool limited) {
  const std::size_t first = pathCount();
  for (const Path& path : paths) addPath(path);
  addPair(origin, destination, limited, first);
}

void PathCatalogue::add(NodeId origin, NodeId destination, const PathSet& paths, bool limited) {
  const std::size_t first = pathCount();
  for (const PathSetItem& item : paths) addPath(item.path);
  addPair(origin, destination, limited, first);
}

PathCatalogue PathCatalogue::joined(std::vector<PathCatalogue>&& parts) {
  PathCatalogue whole;
  std::size_t pairs = 0, paths = 0, nodes = 0;
  for (const PathCatalogue& part : parts) {
    pairs += part.pairs_.size();
    paths += part.pathCount();
    nodes += part.nodes_.size();
  }
  whole.pairs_.reserve(pairs);
  whole.starts_.reserve(paths + 1);
  whole.nodes_.reserve(nodes);
  for (PathCatalogue& part : parts) {
    const std::size_t pathBase = whole.pathCount();
    const std::size_t nodeBase = whole.nodes_.size();
    for (Pair pair : part.pairs_) {
      pair.first += pathBase;
      whole.pairs_.push_back(pair);
    }
    for (std::size_t i = 1; i < part.starts_.size(); ++i) {
      whole.starts_.push_back(nodeBase + part.starts_[i]);
    }
    whole.nodes_.insert(whole.nodes_.end(), part.nodes_.begin(), part.nodes_.end());
    part = PathCatalogue();
  }
  whole.sorted_.resize(whole.pairs_.size());
  for (std::size_t i = 0; i < whole.sorted_.size(); ++i) {
    whole.sorted_[i] = static_cast<std::uint32_t>(i);
  }
  std::sort(whole.sorted_.begin(), whole.sorted_.end(), [&](std::uint32_t a, std::uint32_t b) {
    return before(whole.pairs_[a], whole.pairs_[b].origin, whole.pairs_[b].destination);
  });
  return whole;
}

const PathCatalogue::Pair* PathCatalogue::find(NodeId origin, NodeId destination) const {
  const auto at = std::lower_bound(
      sorted_.begin(), sorted_.end(), 0,
      [&](std::uint32_t position, int) { return before(pairs_[position], origin, destination); });
  if (at == sorted_.end()) return nullptr;
  const Pair& pair = pairs_[*at];
  if (pair.origin != origin || pair.destination != destination) return nullptr;
  return &pair;
}

}  // namespace routing
