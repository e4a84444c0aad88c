#include "routing/k_shortest_paths.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <set>
#include <utility>

namespace routing {

namespace {

using Index = std::int32_t;
constexpr Index kUnreached = std::numeric_limits<Index>::max();

// Fewer hops first, then the smaller node sequence: the order paths are taken in.
struct HopOrder {
  bool operator()(const Path& a, const Path& b) const {
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
  }
};

std::uint64_t linkKey(NodeId from, NodeId to) {
  return (std::uint64_t{static_cast<std::uint32_t>(from)} << 32) | static_cast<std::uint32_t>(to);
}

// A simple path holds each directed link once, so two share as many links as their sorted
// key lists have in common.
std::vector<std::uint64_t> sortedLinks(const Path& path) {
  std::vector<std::uint64_t> keys;
  keys.reserve(path.size());
  for (std::size_t i = 1; i < path.size(); ++i) keys.push_back(linkKey(path[i - 1], path[i]));
  std::sort(keys.begin(), keys.end());
  return keys;
}

std::int64_t common(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b) {
  std::int64_t shared = 0;
  auto i = a.begin();
  auto j = b.begin();
  while (i != a.end() && j != b.end()) {
    if (*i < *j) {
      ++i;
    } else if (*j < *i) {
      ++j;
    } else {
      ++shared;
      ++i;
      ++j;
    }
  }
  return shared;
}

// The table's nodes renumbered densely in increasing order of id, with their out- and
// in-neighbours sorted by id, so that the smallest node sequence is the first one found.
class DenseGraph {
 public:
  DenseGraph(const network::LinkTable& table, NodeId origin, NodeId destination) {
    ids_ = {origin, destination};
    for (const network::Link& link : table.links()) {
      ids_.push_back(link.from);
      ids_.push_back(link.to);
    }
    std::sort(ids_.begin(), ids_.end());
    ids_.erase(std::unique(ids_.begin(), ids_.end()), ids_.end());
    out_.resize(ids_.size());
    in_.resize(ids_.size());
    for (const network::Link& link : table.links()) {
      const Index from = indexOf(link.from);
      const Index to = indexOf(link.to);
      if (from == to) continue;
      out_[static_cast<std::size_t>(from)].push_back(to);
      in_[static_cast<std::size_t>(to)].push_back(from);
    }
    for (auto* lists : {&out_, &in_}) {
      for (std::vector<Index>& list : *lists) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
      }
    }
  }

  Index indexOf(NodeId id) const {
    return static_cast<Index>(std::lower_bound(ids_.begin(), ids_.end(), id) - ids_.begin());
  }
  NodeId idOf(Index index) const { return ids_[static_cast<std::size_t>(index)]; }
  std::size_t size() const { return ids_.size(); }
  const std::vector<Index>& out(Index node) const { return out_[static_cast<std::size_t>(node)]; }
  const std::vector<Index>& in(Index node) const { return in_[static_cast<std::size_t>(node)]; }

 private:
  std::vector<NodeId> ids_;
  std::vector<std::vector<Index>> out_;
  std::vector<std::vector<Index>> in_;
};

// The paths taken so far as a prefix tree, so that the next hops of every taken path that
// starts with a given root are found by walking the root once.
class PrefixTree {
 public:
  PrefixTree() : children_(1) {}

  void insert(const std::vector<Index>& path) {
    std::size_t at = 0;
    for (std::size_t i = 1; i < path.size(); ++i) {
      std::size_t child = find(at, path[i]);
      if (child == kNone) {
        children_.emplace_back();
        child = children_.size() - 1;
        children_[at].emplace_back(path[i], child);
      }
      at = child;
    }
  }

  // The next hops after the root path[0..length-1] of the paths inserted.
  std::vector<Index> nextHops(const std::vector<Index>& path, std::size_t length) const {
    std::size_t at = 0;
    for (std::size_t i = 1; i < length; ++i) {
      at = find(at, path[i]);
      if (at == kNone) return {};
    }
    std::vector<Index> hops;
    for (const auto& [node, child] : children_[at]) hops.push_back(node);
    return hops;
  }

 private:
  static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

  std::size_t find(std::size_t at, Index node) const {
    for (const auto& [hop, child] : children_[at]) {
      if (hop == node) return child;
    }
    return kNone;
  }

  std::vector<std::vector<std::pair<Index, std::size_t>>> children_;
};

class Yen {
 public:
  Yen(const network::LinkTable& table, NodeId origin, NodeId destination,
      const KShortestLimits& limits)
      : graph_(table, origin, destination),
        origin_(graph_.indexOf(origin)),
        destination_(graph_.indexOf(destination)),
        limits_(limits),
        distance_(graph_.size(), kUnreached),
        blocked_(graph_.size(), false) {}

  // The next simple path in hop order; none when there is no other, or at a limit.
  std::optional<std::vector<Index>> next();
  bool limitReached() const { return steps_ >= limits_.maxSteps; }
  NodeId idOf(Index index) const { return graph_.idOf(index); }
  void charge(std::int64_t steps) { steps_ += steps; }

 private:
  std::optional<std::vector<Index>> spur(Index from, const std::vector<Index>& avoidedHops);
  void addDeviations(const std::vector<Index>& path);

  DenseGraph graph_;
  Index origin_;
  Index destination_;
  const KShortestLimits& limits_;
  std::vector<Index> distance_;
  std::vector<bool> blocked_;
  std::vector<Index> reached_;
  std::set<std::vector<Index>, HopOrder> candidates_;
  PrefixTree taken_;
  std::optional<std::vector<Index>> last_;
  bool started_ = false;
  std::int64_t steps_ = 0;
};

// The smallest node sequence among the shortest paths from `from` to the destination that
// avoid the blocked nodes and leave `from` by none of `avoidedHops`.
std::optional<std::vector<Index>> Yen::spur(Index from, const std::vector<Index>& avoidedHops) {
  auto avoided = [&](Index a, Index b) {
    return a == from && std::find(avoidedHops.begin(), avoidedHops.end(), b) != avoidedHops.end();
  };
  for (Index node : reached_) distance_[static_cast<std::size_t>(node)] = kUnreached;
  reached_.clear();
  // Backwards from the destination, layer by layer, until the layer that reaches `from`.
  distance_[static_cast<std::size_t>(destination_)] = 0;
  reached_.push_back(destination_);
  for (std::size_t head = 0; head < reached_.size(); ++head) {
    const Index node = reached_[head];
    const Index depth = distance_[static_cast<std::size_t>(node)];
    if (distance_[static_cast<std::size_t>(from)] < depth) break;
    ++steps_;
    for (Index previous : graph_.in(node)) {
      ++steps_;
      if (blocked_[static_cast<std::size_t>(previous)] || avoided(previous, node)) continue;
      if (distance_[static_cast<std::size_t>(previous)] != kUnreached) continue;
      distance_[static_cast<std::size_t>(previous)] = depth + 1;
      reached_.push_back(previous);
    }
  }
  if (distance_[static_cast<std::size_t>(from)] == kUnreached) return std::nullopt;
  std::vector<Index> path{from};
  for (Index node = from; node != destination_;) {
    const Index want = distance_[static_cast<std::size_t>(node)] - 1;
    for (Index next : graph_.out(node)) {
      ++steps_;
      if (distance_[static_cast<std::size_t>(next)] == want && !avoided(node, next) &&
          !blocked_[static_cast<std::size_t>(next)]) {
        node = next;
        break;
      }
    }
    path.push_back(node);
  }
  return path;
}

// Every path that follows `path` up to one of its nodes and then leaves it by a hop no taken
// path with that root leaves by, shortest first: Yen's candidates.
void Yen::addDeviations(const std::vector<Index>& path) {
  for (std::size_t i = 0; i + 1 < path.size() && !limitReached(); ++i) {
    for (std::size_t j = 0; j < i; ++j) blocked_[static_cast<std::size_t>(path[j])] = true;
    const std::optional<std::vector<Index>> tail = spur(path[i], taken_.nextHops(path, i + 1));
    for (std::size_t j = 0; j < i; ++j) blocked_[static_cast<std::size_t>(path[j])] = false;
    if (!tail) continue;
    std::vector<Index> candidate(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(i));
    candidate.insert(candidate.end(), tail->begin(), tail->end());
    steps_ += static_cast<std::int64_t>(candidate.size());
    candidates_.insert(std::move(candidate));
  }
}

std::optional<std::vector<Index>> Yen::next() {
  if (!started_) {
    started_ = true;
    if (origin_ == destination_) {
      last_ = std::vector<Index>{origin_};
    } else {
      last_ = spur(origin_, {});
    }
  } else {
    if (!last_) return std::nullopt;
    addDeviations(*last_);
    if (limitReached() || candidates_.empty()) {
      last_.reset();
    } else {
      last_ = std::move(candidates_.extract(candidates_.begin()).value());
    }
  }
  if (last_) taken_.insert(*last_);
  return last_;
}

}  // namespace

KShortestOutcome kShortestPaths(std::vector<Path>& kept, const network::LinkTable& table,
                                NodeId origin, NodeId destination, std::int32_t maxCoincidences,
                                std::int32_t pathCount, const KShortestLimits& limits) {
  kept.clear();
  KShortestOutcome outcome;
  if (pathCount <= 0) {
    outcome.end = SearchEnd::kPathCount;
    return outcome;
  }
  Yen yen(table, origin, destination, limits);
  std::vector<std::vector<std::uint64_t>> keptLinks;
  for (;;) {
    if (outcome.examined >= limits.maxExamined || yen.limitReached()) {
      outcome.end = SearchEnd::kLimit;
      return outcome;
    }
    const std::optional<std::vector<Index>> next = yen.next();
    if (!next) {
      outcome.end = yen.limitReached() ? SearchEnd::kLimit : SearchEnd::kExhausted;
      return outcome;
    }
    ++outcome.examined;
    Path path;
    path.reserve(next->size());
    for (Index node : *next) path.push_back(yen.idOf(node));
    std::vector<std::uint64_t> links = sortedLinks(path);
    yen.charge(static_cast<std::int64_t>((links.size() + 1) * (keptLinks.size() + 1)));
    const bool fits = std::all_of(keptLinks.begin(), keptLinks.end(), [&](const auto& other) {
      return common(links, other) <= maxCoincidences;
    });
    if (!fits) continue;
    kept.push_back(std::move(path));
    keptLinks.push_back(std::move(links));
    if (static_cast<std::int64_t>(kept.size()) >= pathCount) {
      outcome.end = SearchEnd::kPathCount;
      return outcome;
    }
  }
}

}  // namespace routing
