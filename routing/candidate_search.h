// The breadth-first search for the candidate paths of one origin/destination pair.
#pragma once

#include <cstdint>

#include "base/error_reporter.h"
#include "base/key_source.h"
#include "base/output.h"
#include "network/link_table.h"
#include "network/node_list.h"
#include "routing/path.h"

namespace routing {

// Where a search that the links would let run for ever (or until memory runs out) ends
// anyway, as if the abort key had been pressed after that pass. Each bound is checked
// after every pass; a search that ends before reaching any of them is not affected.
// With the defaults a search that runs into them takes well under a second and well under
// 400 MiB (about 70 MiB on the networks measured).
struct SearchLimits {
  // Passes run.
  std::int64_t maxPasses = 1'000'000;
  // Walks held in the working list.
  std::int64_t maxWorkingList = 4'000'000;
  // Paths appended to the result.
  std::int64_t maxAccepted = 200'000;
  // Units of work, each a walk appended, a node read or copied, or a link compared: bounds
  // the time of searches whose walks grow very long.
  std::int64_t maxSteps = 50'000'000;
};

enum class SearchEnd {
  kExhausted,          // no walk left to extend
  kPathCount,          // pathCount paths accepted
  kAbortKey,           // "s" read after a pass
  kLimit,              // one of the SearchLimits reached
  kAllocationFailure,  // reported through the error reporter
};

struct SearchOutcome {
  SearchEnd end = SearchEnd::kExhausted;
  std::int64_t passes = 0;
  // Paths appended to the result by this search.
  std::int64_t accepted = 0;
  std::int64_t peakWorkingList = 0;

  bool stoppedAtLimit() const { return end == SearchEnd::kLimit; }
};

// Appends to `result`, in order of acceptance, every walk from origin to destination that
// the breadth-first passes accept. A walk is accepted when it shares at most
// `maxCoincidences` links with each path then in the result, links counted in their
// direction and once per pair of equal hops (so a hop repeated in both counts more than
// once). A walk is examined again in every pass until the one after its own extension,
// so it may be accepted several times. The search ends after the pass in which the
// working list runs out, `pathCount` is reached (the last pass may overshoot it), "s" is
// read from `keys`, or a limit is reached. Any other key waiting after a pass is read and
// dropped. Without keys nobody can stop the search.
// Paths already in `result` take part in the overlap test but not in the count; they and
// the references to them are left alone. When memory runs out the search ends with
// kAllocationFailure after reporting code 70, 110, 140 or 150, and `result` keeps the
// whole paths accepted until then.
SearchOutcome searchCandidatePaths(PathSet& result, const network::LinkTable& linkTable,
                                   const network::NodeList& nodeList, NodeId origin,
                                   NodeId destination, std::int32_t maxCoincidences,
                                   std::int32_t pathCount, base::KeySource* keys,
                                   base::ErrorReporter& reporter, const SearchLimits& limits = {});

// Prints the line that tells the user the search stopped at its limit, when it did;
// nothing otherwise.
void printSearchLimitNotice(const SearchOutcome& outcome, base::Output& output);

}  // namespace routing
