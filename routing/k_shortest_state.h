// What a search of KShortestSearch keeps between its steps: the walk, the kept paths and
// the bounds they leave. Shared by the walk (k_shortest_paths.cpp) and the bounds
// (k_shortest_bounds.cpp).
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "routing/destination_map.h"
#include "routing/hop_graph.h"
#include "routing/k_shortest_paths.h"

namespace routing {

namespace k_shortest {

using Index = HopGraph::Index;
constexpr std::int32_t kFar = DestinationMap::kFar;
constexpr std::size_t kNoPrefix = std::numeric_limits<std::size_t>::max();

enum class Walked { kFinished, kPathCount, kLimit };

}  // namespace k_shortest

struct KShortestSearch::State {
  using Index = k_shortest::Index;
  using Walked = k_shortest::Walked;
  static constexpr std::int32_t kFar = k_shortest::kFar;

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
  // next question is due: after a fraction (kAuditShare) of the steps the last answer cost.
  // Exact answers cut dead prefixes that the walk would go through at far greater cost, so
  // they may take most of the work.
  std::vector<char> audited;
  std::int64_t auditDue = 0;
  static constexpr std::int64_t kAuditShare = 16;
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

}  // namespace routing
