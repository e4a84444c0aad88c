#include <algorithm>

#include "routing/k_shortest_state.h"

namespace routing {

using k_shortest::Index;
using k_shortest::kFar;

// Layer r: the fewest hops from each node to the target over walks whose costly links cost
// at most r in all. Found backwards from the target, by hops: a costly link leads from a
// lower layer (seeded from there), any other link stays in the layer.
template <typename IsCostly>
void KShortestSearch::State::layered(std::vector<std::int32_t>& bound, std::size_t layers,
                                     IsCostly isCostly) {
  bound.assign(layers * nodes, kFar);
  for (std::size_t r = 0; r < layers; ++r) {
    std::int32_t* layer = bound.data() + r * nodes;
    auto reach = [&](Index node, std::int32_t hops) {
      ++steps;
      if (hops >= layer[node]) return;
      layer[node] = hops;
      if (buckets.size() <= static_cast<std::size_t>(hops)) {
        buckets.resize(static_cast<std::size_t>(hops) + 1);
      }
      buckets[static_cast<std::size_t>(hops)].push_back(node);
    };
    reach(target, 0);
    for (const CostlyLink& link : costly) {
      if (static_cast<std::size_t>(link.cost) > r) continue;
      const std::int32_t rest = bound[(r - static_cast<std::size_t>(link.cost)) * nodes +
                                      static_cast<std::size_t>(link.to)];
      if (rest != kFar) reach(link.from, rest + 1);
    }
    for (std::size_t hops = 0; hops < buckets.size(); ++hops) {
      for (std::size_t i = 0; i < buckets[hops].size(); ++i) {
        const Index node = buckets[hops][i];
        if (layer[node] != static_cast<std::int32_t>(hops)) continue;
        const std::span<const Index> previous = graph.in(node);
        const std::size_t first = graph.inLink(node);
        for (std::size_t k = 0; k < previous.size(); ++k) {
          if (isCostly(first + k, previous[k], node)) continue;
          reach(previous[k], static_cast<std::int32_t>(hops) + 1);
        }
      }
      buckets[hops].clear();
    }
  }
}

// Each kept path's own allowance, then (with two or more) what they allow together: a walk
// that shares a links with one path and b with another spends a + b of their summed
// allowances, which shows bottlenecks that each path alone would let through.
void KShortestSearch::State::boundAll() {
  boundsDue = -1;
  for (std::size_t k : constraining) {
    Kept& path = kept[k];
    if (path.bounded) continue;
    costly.clear();
    for (std::size_t i = 0; i + 1 < path.path.size(); ++i) {
      costly.push_back({path.path[i], path.path[i + 1], 1});
    }
    layered(path.bound, static_cast<std::size_t>(maxShared) + 1,
            [&](std::size_t, Index from, Index to) {
              return path.successor[static_cast<std::size_t>(from)] == to;
            });
    path.bounded = true;
  }
  if (constraining.size() < 2) return;
  costly.clear();
  for (std::size_t k : constraining) {
    const std::vector<Index>& nodesOf = kept[k].path;
    for (std::size_t i = 0; i + 1 < nodesOf.size(); ++i) {
      costly.push_back(
          {nodesOf[i], nodesOf[i + 1], linkCost[graph.link(nodesOf[i], nodesOf[i + 1])]});
    }
  }
  layered(together, constraining.size() * static_cast<std::size_t>(maxShared) + 1,
          [&](std::size_t link, Index, Index) { return linkCost[link] != 0; });
  togetherFound = true;
}

// Sets (or with 0, clears) the share marks of a constraining path's links.
void KShortestSearch::State::markShares(std::uint8_t spentOrTracked, std::size_t path) {
  const std::vector<Index>& nodesOf = kept[path].path;
  for (std::size_t i = 0; i + 1 < nodesOf.size(); ++i) {
    std::uint8_t& mark = shares[graph.outLink(nodesOf[i], nodesOf[i + 1])];
    mark = spentOrTracked == 0 ? 0 : static_cast<std::uint8_t>(mark | spentOrTracked);
  }
  steps += static_cast<std::int64_t>(nodesOf.size());
}

// The fewest hops from a state of freeDistance to the target that the bounds found allow.
std::int32_t KShortestSearch::State::lowerBound(Index node, std::uint32_t code) const {
  const auto n = static_cast<std::size_t>(node);
  std::int32_t needed = toward.distance(node);
  std::int32_t used = 0;
  for (const Guide& guide : guides) {
    const auto digit = static_cast<std::int32_t>((code / guide.radix) % guide.span);
    used += digit;
    needed = std::max(needed,
                      guide.bound[static_cast<std::size_t>(guide.allowance - digit) * nodes + n]);
  }
  if (useTogether) {
    needed = std::max(needed, together[static_cast<std::size_t>(allowanceLeft - used) * nodes + n]);
  }
  return needed;
}

// The fewest hops from `from` to the target over nodes off the walk, sharing with each kept
// path no more links than its allowance left (allowanceOf); within + 1 when more than
// `within`, kFar when none. Searches states of node and links shared so far, nearest by hops
// plus bound first; a shortest such walk has no cycle (cutting it would share no more), so
// this is exactly what the walk can still reach. Paths whose allowances would make too many
// states are left out, which only makes the answer smaller.
std::int32_t KShortestSearch::State::freeDistance(Index from, std::int32_t within) {
  tracked.clear();
  guides.clear();
  allowanceLeft = 0;
  shares.resize(graph.linkCount(), 0);
  std::uint32_t combos = 1;
  for (std::size_t i = 0; i < constraining.size(); ++i) {
    if (allowanceOf[i] == 0) markShares(kSpent, constraining[i]);
    allowanceLeft += allowanceOf[i];
  }
  for (std::int32_t allowance = 1; allowance <= maxShared; ++allowance) {
    for (std::size_t i = 0; i < constraining.size(); ++i) {
      const auto span = static_cast<std::uint32_t>(allowance) + 1;
      if (allowanceOf[i] != allowance || combos * span > kMaxCombos) continue;
      markShares(static_cast<std::uint8_t>(1U << tracked.size()), constraining[i]);
      const Kept& path = kept[constraining[i]];
      if (path.bounded) guides.push_back({path.bound.data(), combos, span, allowance});
      tracked.push_back({combos, span});
      combos *= span;
    }
  }
  // The bounds of a path left out would not follow the links shared with it, and the first
  // state at the target could then come late.
  std::size_t left = 0;
  for (std::int32_t allowance : allowanceOf) left += allowance != 0 ? 1 : 0;
  useTogether = togetherFound && left == tracked.size();
  const std::size_t states = nodes * combos;
  if (visited.size() < states || ++visit == 0) {
    visited.assign(std::max(states, visited.size()), 0);
    hopsTo.resize(visited.size());
    visit = 1;
  }
  bool beyond = false;
  std::int32_t found = kFar;
  // Buckets of states by hops plus bound; a bound never falls by more than the hop taken,
  // so the first state at the target is reached by fewest hops.
  auto reach = [&](Index node, std::uint32_t code, std::int32_t hops) {
    const std::int32_t rest = lowerBound(node, code);
    if (rest == kFar) return;
    if (hops + rest > within) {
      beyond = true;
      return;
    }
    const std::size_t state = static_cast<std::size_t>(node) * combos + code;
    if (visited[state] == visit && hopsTo[state] <= hops) return;
    visited[state] = visit;
    hopsTo[state] = hops;
    const auto bucket = static_cast<std::size_t>(hops + rest);
    if (queue.size() <= bucket) queue.resize(bucket + 1);
    queue[bucket].push_back({node, code, hops});
  };
  reach(from, 0, 0);
  for (std::size_t f = 0; f < queue.size() && found == kFar; ++f) {
    for (std::size_t head = 0; head < queue[f].size() && found == kFar; ++head) {
      const auto [node, code, hops] = queue[f][head];
      if (hopsTo[static_cast<std::size_t>(node) * combos + code] < hops) continue;
      const std::size_t first = graph.outLink(node);
      const std::span<const Index> next = graph.out(node);
      for (std::size_t k = 0; k < next.size(); ++k) {
        ++steps;
        const auto n = static_cast<std::size_t>(next[k]);
        const std::uint8_t mark = shares[first + k];
        if (onPath[n] != 0 || (mark & kSpent) != 0) continue;
        std::uint32_t nextCode = code;
        bool spent = false;
        for (std::size_t t = 0; mark != 0 && t < tracked.size() && !spent; ++t) {
          if ((mark & (1U << t)) == 0) continue;
          spent = (code / tracked[t].radix) % tracked[t].span + 1 == tracked[t].span;
          nextCode += tracked[t].radix;
        }
        if (spent) continue;
        if (next[k] == target) {
          found = hops + 1;
          break;
        }
        reach(next[k], nextCode, hops + 1);
      }
    }
  }
  for (auto& bucket : queue) bucket.clear();
  for (std::size_t path : constraining) markShares(0, path);
  if (found == kFar && beyond) return within + 1;
  return found;
}

}  // namespace routing
