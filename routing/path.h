// Paths as node sequences, ordered sets of paths, and the operations the search, the
// route table and the run loop share on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/error_reporter.h"
#include "base/output.h"
#include "base/pinned_list.h"
#include "network/link_table.h"

namespace routing {

using network::NodeId;

// The nodes of a route, first to last; each consecutive pair is a hop (a directed link).
using Path = std::vector<NodeId>;

struct PathSetItem {
  // Read and written only in the first item of a set (the rotating policy's position).
  std::int32_t roundRobinIndex = -1;
  Path path;
};

// Items in insertion order. References to items stay valid while items are appended and
// when the set is moved, so route entries and calls may refer to the paths of a set.
using PathSet = base::PinnedList<PathSetItem>;

// Walks a set for the paths between two nodes; -1 stands for no item.
struct PathScan {
  const PathSet* set = nullptr;
  std::ptrdiff_t start = -1;
  std::ptrdiff_t resume = -1;
  std::ptrdiff_t found = -1;
};

// A scan that starts at the first item of the set (none for an empty set). The scan refers
// to the set, which must outlive it.
PathScan freshScan(const PathSet& set);

// Appends an empty item and returns it; none, and the set unchanged, after reporting code 70.
PathSetItem* appendPathItem(PathSet& set, base::ErrorReporter& reporter);
// Appends a copy of a non-empty path, sharing nothing with `path`, and returns its item.
// None, and the set unchanged, for an empty path or after reporting code 70 or 110.
PathSetItem* copyPath(PathSet& set, std::span<const NodeId> path, base::ErrorReporter& reporter);

// Moves the scan to the next item after the one last found whose path runs from origin to
// destination, and returns the scan. Once the set holds no further such item, `found`,
// `start` and `resume` are all -1 and stay so. The set must not change while the scan is
// in use. Returns none after reporting code 200 when there is no scan.
PathScan* nextPathBetween(PathScan* scan, NodeId origin, NodeId destination,
                          base::ErrorReporter& reporter);

// Empties the set and gives back its storage; cannot fail.
void freePathSet(PathSet& set);

// A tab, then each path as "%i  " per node followed by "\n\t".
void printPathSet(const PathSet& set, base::Output& console);
// "%i " per node.
void printPath(const Path& path, base::Output& console);

}  // namespace routing
