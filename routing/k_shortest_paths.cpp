#include "routing/k_shortest_paths.h"

#include <algorithm>
#include <limits>

#include "routing/k_shortest_state.h"

namespace routing {

// The paths are walked depth first, neighbours in increasing order, one hop count at a time,
// so they come in the order the result is defined by. A prefix is given up as soon as no
// completion of it could be kept: it already shares too many links with a kept path, or
// every way on to the destination is too long or would share too many. So every path the
// walk completes is kept, and when no prefix was given up for its length alone, no longer
// path could be kept either.

using k_shortest::Index;
using k_shortest::kFar;
using k_shortest::kNoPrefix;
using k_shortest::Walked;

// Keeps the walk's nodes at depths 0 .. depth as a path.
void KShortestSearch::State::keep(std::size_t depth) {
  if (kept.size() == keptCount) kept.emplace_back();
  Kept& path = kept[keptCount++];
  path.path.assign(at.begin(), at.begin() + static_cast<std::ptrdiff_t>(depth) + 1);
  steps += static_cast<std::int64_t>(depth);
  // A path of h links cannot share more than h with it.
  path.constrains = static_cast<std::int64_t>(depth) > maxShared;
  path.bounded = false;
  if (!path.constrains || keptCount == wanted) return;
  path.successor.assign(nodes, HopGraph::kNone);
  for (std::size_t i = 0; i < depth; ++i) {
    path.successor[static_cast<std::size_t>(path.path[i])] = path.path[i + 1];
    linkCost[graph.link(path.path[i], path.path[i + 1])] += 1;
  }
  // Each prefix of the walk is a prefix of this path.
  path.shared.resize(at.size());
  for (std::size_t d = 0; d < at.size(); ++d) path.shared[d] = static_cast<std::int32_t>(d);
  constraining.push_back(keptCount - 1);
  togetherFound = false;
  boundsDue = steps + static_cast<std::int64_t>((static_cast<std::size_t>(maxShared) + 1) *
                                                (nodes + graph.linkCount()));
}

// Every path of `length` hops in order; sets nextLength to the fewest hops of a path that
// a cut for length alone may have left out, kFar when none was.
Walked KShortestSearch::State::walk(std::int32_t length, std::int32_t& nextLength) {
  const auto hops = static_cast<std::size_t>(length);
  const auto answerCost = static_cast<std::int64_t>(nodes + graph.linkCount());
  at.assign(hops + 1, HopGraph::kNone);
  tried.assign(hops + 1, 0);
  audited.assign(hops + 1, 0);
  auditDue = steps + answerCost / kAuditShare;
  for (std::size_t k : constraining) kept[k].shared.assign(hops + 1, 0);
  std::size_t depth = 0;
  at[0] = origin;
  onPath[static_cast<std::size_t>(origin)] = 1;
  auto leave = [&] {
    for (std::size_t d = 0; d <= depth; ++d) onPath[static_cast<std::size_t>(at[d])] = 0;
  };
  for (;;) {
    if (overLimit()) {
      leave();
      return Walked::kLimit;
    }
    if (boundsDue >= 0 && steps >= boundsDue) boundAll();
    if (steps >= auditDue) {
      const std::int64_t before = steps;
      depth = audit(depth, hops, nextLength);
      auditDue = steps + std::max(answerCost, steps - before) / kAuditShare;
      if (depth == kNoPrefix) return Walked::kFinished;
    }
    const Index node = at[depth];
    const std::span<const Index> next = graph.out(node);
    if (tried[depth] == next.size()) {
      onPath[static_cast<std::size_t>(node)] = 0;
      if (depth == 0) return Walked::kFinished;
      --depth;
      continue;
    }
    const Index neighbour = next[tried[depth]++];
    ++steps;
    const auto n = static_cast<std::size_t>(neighbour);
    if (onPath[n] != 0 || toward.distance(neighbour) == kFar || passesWalk(neighbour)) continue;
    const auto left = static_cast<std::int32_t>(hops - depth - 1);
    std::int32_t needed = toward.distance(neighbour);
    bool refused = false;
    std::int32_t allowance = 0;
    allowanceOf.resize(constraining.size());
    for (std::size_t i = 0; i < constraining.size() && !refused; ++i) {
      const Kept& path = kept[constraining[i]];
      const std::int32_t shared =
          path.shared[depth] + (path.successor[static_cast<std::size_t>(node)] == neighbour);
      allowanceOf[i] = maxShared - shared;
      allowance += maxShared - shared;
      if (shared > maxShared) {
        refused = true;
      } else if (path.bounded) {
        const std::int32_t rest =
            path.bound[static_cast<std::size_t>(maxShared - shared) * nodes + n];
        refused = rest == kFar;
        needed = std::max(needed, rest);
      }
    }
    steps += static_cast<std::int64_t>(constraining.size());
    if (refused) continue;
    if (togetherFound) {
      const std::int32_t rest = together[static_cast<std::size_t>(allowance) * nodes + n];
      if (rest == kFar) continue;
      needed = std::max(needed, rest);
    }
    if (needed > left) {
      nextLength = std::min(nextLength, static_cast<std::int32_t>(depth) + 1 + needed);
      continue;
    }
    if (neighbour == target) {
      // Reaching the destination early ends no path of this length.
      if (left != 0) continue;
      at[depth + 1] = neighbour;
      keep(depth + 1);
      std::fill(audited.begin(), audited.end(), 0);
      if (keptCount == wanted) {
        leave();
        return Walked::kPathCount;
      }
      // Deeper prefixes of the new path share more links with it than allowed.
      while (depth > 0 && static_cast<std::int64_t>(depth) > maxShared &&
             kept[keptCount - 1].constrains) {
        onPath[static_cast<std::size_t>(at[depth])] = 0;
        --depth;
      }
      continue;
    }
    for (std::size_t k : constraining) {
      Kept& path = kept[k];
      path.shared[depth + 1] =
          path.shared[depth] + (path.successor[static_cast<std::size_t>(node)] == neighbour);
    }
    ++depth;
    at[depth] = neighbour;
    tried[depth] = 0;
    audited[depth] = 0;
    onPath[n] = 1;
  }
}

// Asks of the shallowest prefix of the walk not yet asked about whether its completions
// can still reach the target, and how soon; gives up the prefix (returning the depth to
// go on from, kNoPrefix for the origin's) when they cannot within `hops`. A prefix's answer
// holds while it is on the walk and no path is kept, so it is asked once; the deeper nodes
// of the walk are not part of it. The origin's answer is the length of the next path that
// could be kept, or that none could.
std::size_t KShortestSearch::State::audit(std::size_t depth, std::size_t hops,
                                          std::int32_t& nextLength) {
  std::size_t d = 0;
  while (d <= depth && audited[d] != 0) ++d;
  if (d > depth) return depth;
  audited[d] = 1;
  for (std::size_t below = d + 1; below <= depth; ++below) {
    onPath[static_cast<std::size_t>(at[below])] = 0;
  }
  allowanceOf.resize(constraining.size());
  for (std::size_t i = 0; i < constraining.size(); ++i) {
    allowanceOf[i] = maxShared - kept[constraining[i]].shared[d];
  }
  const std::int32_t free =
      freeDistance(at[d], d == 0 ? kFar - 1 : static_cast<std::int32_t>(hops - d));
  const bool reachable = d + static_cast<std::size_t>(free) <= hops;
  for (std::size_t below = d + 1; below <= depth; ++below) {
    onPath[static_cast<std::size_t>(at[below])] = reachable ? 1 : 0;
  }
  if (reachable) return depth;
  onPath[static_cast<std::size_t>(at[d])] = 0;
  if (d == 0) {
    nextLength = free;
    return kNoPrefix;
  }
  if (free != kFar) nextLength = std::min(nextLength, static_cast<std::int32_t>(d) + free);
  return d - 1;
}

void KShortestSearch::State::forgetKept() {
  for (std::size_t k : constraining) {
    const std::vector<Index>& nodesOf = kept[k].path;
    for (std::size_t i = 0; i + 1 < nodesOf.size(); ++i) {
      linkCost[graph.link(nodesOf[i], nodesOf[i + 1])] = 0;
    }
  }
  keptCount = 0;
  constraining.clear();
  togetherFound = false;
  boundsDue = -1;
}

KShortestSearch::KShortestSearch(const network::LinkTable& table)
    : state_(std::make_unique<State>(table)) {}

KShortestSearch::~KShortestSearch() = default;

KShortestOutcome KShortestSearch::find(std::vector<Path>& result, NodeId origin, NodeId destination,
                                       std::int32_t maxCoincidences, std::int32_t pathCount,
                                       const KShortestLimits& limits) {
  result.clear();
  KShortestOutcome outcome;
  if (pathCount <= 0) {
    outcome.end = SearchEnd::kPathCount;
    return outcome;
  }
  if (origin == destination) {
    result.push_back({origin});
    outcome.end = pathCount == 1 ? SearchEnd::kPathCount : SearchEnd::kExhausted;
    return outcome;
  }
  State& s = *state_;
  s.origin = s.graph.indexOf(origin);
  const Index target = s.graph.indexOf(destination);
  if (s.origin == HopGraph::kNone || target == HopGraph::kNone) return outcome;
  s.toward.aimAt(target);
  s.target = target;
  std::int32_t length = s.toward.distance(s.origin);
  if (length == kFar) return outcome;
  s.forgetKept();
  s.wanted = static_cast<std::size_t>(pathCount);
  s.maxShared = std::max(maxCoincidences, 0);
  s.steps = 0;
  s.maxSteps = limits.maxSteps;
  for (;;) {
    std::int32_t nextLength = kFar;
    const Walked walked = s.walk(length, nextLength);
    if (walked == Walked::kPathCount) {
      outcome.end = SearchEnd::kPathCount;
      break;
    }
    if (walked == Walked::kLimit) {
      outcome.end = SearchEnd::kLimit;
      break;
    }
    if (nextLength == kFar) break;
    length = nextLength;
  }
  outcome.steps = s.steps;
  for (std::size_t k = 0; k < s.keptCount; ++k) {
    Path& path = result.emplace_back();
    path.reserve(s.kept[k].path.size());
    for (Index node : s.kept[k].path) path.push_back(s.graph.idOf(node));
  }
  return outcome;
}

KShortestOutcome kShortestPaths(std::vector<Path>& kept, const network::LinkTable& table,
                                NodeId origin, NodeId destination, std::int32_t maxCoincidences,
                                std::int32_t pathCount, const KShortestLimits& limits) {
  KShortestSearch search(table);
  return search.find(kept, origin, destination, maxCoincidences, pathCount, limits);
}

}  // namespace routing
