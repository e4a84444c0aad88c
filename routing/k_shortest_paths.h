// The routing the field commonly uses, offered beside the console's search: simple paths in
// order of hop count, kept when they share few enough links with those kept before.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "network/link_table.h"
#include "routing/candidate_search.h"
#include "routing/path.h"

namespace routing {

// Where a search ends anyway on networks whose simple paths are too many to go through.
struct KShortestLimits {
  // Units of work: a link followed or a kept path compared while walking, a node or link
  // reached while bounding what the kept paths leave or what the walk can still reach. With
  // the default a search that meets it ends within about 5 ms. On the 754-node Kdl network
  // of the Topology Zoo, with 4 paths and 2 shared links, about one pair in 400 meets it;
  // none on networks of a few hundred nodes and several links a node.
  std::int64_t maxSteps = 1'000'000;
};

struct KShortestOutcome {
  // kExhausted (no simple path left that could be kept), kPathCount or kLimit.
  SearchEnd end = SearchEnd::kExhausted;
  // Units of work done, as KShortestLimits counts them.
  std::int64_t steps = 0;

  bool stoppedAtLimit() const { return end == SearchEnd::kLimit; }
};

// The searches of one link table, for as many pairs as asked. Each search gives the same
// paths whatever was searched before (a search only reuses what it learnt of a destination).
// Not for use by two threads at once; each thread may have its own.
class KShortestSearch {
 public:
  // Throws std::bad_alloc when memory runs out.
  explicit KShortestSearch(const network::LinkTable& table);
  KShortestSearch(const KShortestSearch&) = delete;
  KShortestSearch& operator=(const KShortestSearch&) = delete;
  ~KShortestSearch();

  // Returns in `kept` the first `pathCount` of the simple paths from origin to destination
  // over the table's links (each in its own direction), taken in order of hop count and,
  // among paths of equal hop count, in lexicographic order of their node sequences, that
  // share at most `maxCoincidences` directed links with every path kept before them. Ends
  // when `pathCount` paths are kept, when no path that could be kept is left, or at the
  // limit, having kept the first paths of that list. No path repeats and none visits a node
  // twice; origin equal to destination gives the one-node path. Throws std::bad_alloc when
  // memory runs out.
  KShortestOutcome find(std::vector<Path>& kept, NodeId origin, NodeId destination,
                        std::int32_t maxCoincidences, std::int32_t pathCount,
                        const KShortestLimits& limits = {});

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// One search of a table of its own (KShortestSearch::find).
KShortestOutcome kShortestPaths(std::vector<Path>& kept, const network::LinkTable& table,
                                NodeId origin, NodeId destination, std::int32_t maxCoincidences,
                                std::int32_t pathCount, const KShortestLimits& limits = {});

}  // namespace routing
