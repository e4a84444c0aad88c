#include "routing/k_shortest_paths.h"

#include <algorithm>
#include <limits>

#include "routing/destination_map.h"
#include "routing/hop_graph.h"

namespace routing {

// The paths are walked depth first, neighbours in increasing order, one hop count at a time,
// so they come in the order the result is defined by. A prefix is given up as soon as no
// completion of it could be kept: it already shares too many links with a kept path, or
// every way on to the destination is too long or would share too many. So every path the
// walk completes is kept, and when no prefix was given up for its length alone, no longer
// path could be kept either.

namespace {

using Index = HopGraph::Index;
constexpr std::int32_t kFar = DestinationMap::kFar;
constexpr std::size_t kNoPrefix = std::numeric_limits<std::size_t>::max();

enum class Walked { kFinished, kPathCount, kLimit };

}  // namespace

struct KShortestSearch::State {
  explicit State(const network::LinkTable& table)
      : graph(table),
        nodes(static_cast<std::size_t>(graph.size())),
        toward(graph),
        onPath(nodes, 0),
        linkCost(graph.linkCount(), 0) {}

  // What a kept path leaves to the paths after it.
  struct Kept {
    std::vector<Index> path;
    // False when the path is too short to share more links than allowed.
    bool constrains = false;
    // The next node of the path after each node, kNone off it.
    std::vector<Index> successor;
    // For r = 0 .. maxShared, `nodes` entries each: the fewest hops from a node to the
    // destination over walks that use at most r links of the path; found when `bounded`.
    std::vector<std::int32_t> bound;
    bool bounded = false;
    // Links shared with the path by the walk's prefix at each depth.
    std::vector<std::int32_t> shared;
  };

  // A link a walk pays for: it is on `cost` kept paths.
  struct CostlyLink {
    Index from = HopGraph::kNone;
    Index to = HopGraph::kNone;
    std::int32_t cost = 0;
  };

  void keep(std::size_t depth);
  template <typename IsCostly>
  void layered(std::vector<std::int32_t>& bound, std::size_t layers, IsCostly isCostly);
  void boundAll();
  std::int32_t freeDistance(Index from, std::int32_t within);
  void markShares(std::uint8_t spentOrTracked, std::size_t path);
  std::size_t audit(std::size_t depth, std::size_t hops, std::int32_t& nextLength);
  Walked walk(std::int32_t length, std::int32_t& nextLength);
  void forgetKept();
  // Whether every way from `node` to the target passes a node of the walk.
  bool passesWalk(Index node) {
    for (Index on = toward.dominator(node); on != target; on = toward.dominator(on)) {
      ++steps;
      if (onPath[static_cast<std::size_t>(on)] != 0) return true;
    }
    return false;
  }
  bool overLimit() const { return steps >= maxSteps; }

  HopGraph graph;
  std::size_t nodes;
  Index origin = HopGraph::kNone;
  Index target = HopGraph::kNone;
  // Distances and post-dominators depend on the target alone, so a search for the same
  // destination as the one before reuses them and their work is not counted.
  DestinationMap toward;
  std::vector<char> onPath;
  // Kept paths; entries past keptCount are storage to reuse.
  std::vector<Kept> kept;
  std::size_t keptCount = 0;
  std::vector<std::size_t> constraining;
  // Per link (numbered as HopGraph::inLink does), the constraining kept paths on it.
  std::vector<std::int32_t> linkCost;
  // For r up to the summed allowances, as Kept::bound: the fewest hops from a node to the
  // destination over walks whose links cost at most r, each link costing the constraining
  // kept paths it is on.
  std::vector<std::int32_t> together;
  std::vector<CostlyLink> costly;
  bool togetherFound = false;
  // The bounds cost about as much as a long walk: they are found only once the walk has
  // gone on that long since a path was kept, so that quick searches do without them.
  std::int64_t boundsDue = -1;
  // Whether the walk's prefix to each depth has been asked about (audit), and when the
  // next question is due: after as many steps as an answer costs, so that answers cost at
  // most as much as the walk.
  std::vector<char> audited;
  std::int64_t auditDue = 0;
  // Each constraining path's allowance left after the step being judged.
  std::vector<std::int32_t> allowanceOf;
  // freeDistance's states: a node and, per tracked path, the links shared with it, as the
  // digits of a code. Per link (numbered as HopGraph::outLink does), kSpent or the bits of
  // the tracked paths on it.
  struct Tracked {
    std::uint32_t radix = 1;
    std::uint32_t span = 1;
  };
  struct Reached {
    Index node = HopGraph::kNone;
    std::uint32_t code = 0;
    std::int32_t hops = 0;
  };
  // A kept path's bounds, read for a state with its allowance left less the state's digit.
  struct Guide {
    const std::int32_t* bound = nullptr;
    std::uint32_t radix = 1;
    std::uint32_t span = 1;
    std::int32_t allowance = 0;
  };
  std::int32_t lowerBound(Index node, std::uint32_t code) const;
  static constexpr std::uint32_t kMaxCombos = 64;
  static constexpr std::uint8_t kSpent = 0x80;
  std::vector<Tracked> tracked;
  std::vector<Guide> guides;
  std::int32_t allowanceLeft = 0;
  bool useTogether = false;
  std::vector<std::uint8_t> shares;
  std::vector<std::uint32_t> visited;
  std::vector<std::int32_t> hopsTo;
  std::uint32_t visit = 0;
  std::vector<std::vector<Reached>> queue;
  std::size_t wanted = 0;
  std::int32_t maxShared = 0;
  std::int64_t steps = 0;
  std::int64_t maxSteps = 0;
  // The walk: the node at each depth and the position of its next neighbour to try.
  std::vector<Index> at;
  std::vector<std::size_t> tried;
  std::vector<std::vector<Index>> buckets;
};

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

// Every path of `length` hops in order; sets nextLength to the fewest hops of a path that
// a cut for length alone may have left out, kFar when none was.
Walked KShortestSearch::State::walk(std::int32_t length, std::int32_t& nextLength) {
  const auto hops = static_cast<std::size_t>(length);
  const auto answerCost = static_cast<std::int64_t>(nodes + graph.linkCount());
  at.assign(hops + 1, HopGraph::kNone);
  tried.assign(hops + 1, 0);
  audited.assign(hops + 1, 0);
  auditDue = steps + answerCost;
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
      auditDue = steps + std::max(answerCost, steps - before);
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
