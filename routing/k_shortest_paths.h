// The routing the field commonly uses, offered beside the console's search: simple paths in
// order of hop count (Yen's algorithm), kept when they share few enough links with those
// kept before.
#pragma once

#include <cstdint>
#include <vector>

#include "network/link_table.h"
#include "routing/candidate_search.h"
#include "routing/path.h"

namespace routing {

// Where a search ends anyway on networks whose simple paths are too many to go through.
// With the defaults a search ends within a few tenths of a second (about 0.15 s per pair on
// a sparse network of 754 nodes where every search met a limit).
struct KShortestLimits {
  // Simple paths taken from the enumeration and judged against those kept.
  std::int64_t maxExamined = 5'000;
  // Units of work: a node visited or a link followed by a shortest-path search, a node of
  // a path compared or stored.
  std::int64_t maxSteps = 30'000'000;
};

struct KShortestOutcome {
  // kExhausted (no simple path left), kPathCount or kLimit.
  SearchEnd end = SearchEnd::kExhausted;
  // Simple paths taken from the enumeration, kept or not.
  std::int64_t examined = 0;

  bool stoppedAtLimit() const { return end == SearchEnd::kLimit; }
};

// Returns in `kept` the simple paths from origin to destination over the table's links
// (each in its own direction), taken in order of hop count and, among paths of equal hop
// count, in lexicographic order of their node sequences; a path is kept when it shares at
// most `maxCoincidences` directed links with every path kept before it. Ends when
// `pathCount` paths are kept, when no simple path is left, or at a limit. No path repeats
// and none visits a node twice; origin equal to destination gives the one-node path.
// Throws std::bad_alloc when memory runs out.
KShortestOutcome kShortestPaths(std::vector<Path>& kept, const network::LinkTable& table,
                                NodeId origin, NodeId destination, std::int32_t maxCoincidences,
                                std::int32_t pathCount, const KShortestLimits& limits = {});

}  // namespace routing
