// Paths and path sets: copying, scanning for the paths of a pair, freeing and printing.
#include "routing/path.h"

#include <new>

namespace routing {

PathScan freshScan(const PathSet& set) {
  PathScan scan;
  scan.set = &set;
  scan.start = set.empty() ? -1 : 0;
  return scan;
}

PathSetItem* appendPathItem(PathSet& set, base::ErrorReporter& reporter) {
  try {
    return &set.emplace_back();
  } catch (const std::bad_alloc&) {
    reporter.reportError(70);
    return nullptr;
  }
}

PathSetItem* copyPath(PathSet& set, std::span<const NodeId> path, base::ErrorReporter& reporter) {
  if (path.empty()) return nullptr;
  PathSetItem* item = appendPathItem(set, reporter);
  if (item == nullptr) return nullptr;
  try {
    item->path.assign(path.begin(), path.end());
  } catch (const std::bad_alloc&) {
    // An empty item would break the rule that every path of a set has a node.
    set.pop_back();
    reporter.reportError(110);
    return nullptr;
  }
  return item;
}

PathScan* nextPathBetween(PathScan* scan, NodeId origin, NodeId destination,
                          base::ErrorReporter& reporter) {
  if (scan == nullptr) {
    reporter.reportError(200);
    return nullptr;
  }
  std::ptrdiff_t from = -1;
  if (scan->start >= 0 && scan->resume < 0) from = scan->start;
  if (scan->resume >= 0 && scan->start < 0) from = scan->resume;
  const PathSet& set = *scan->set;
  for (std::ptrdiff_t i = from; from >= 0 && i < static_cast<std::ptrdiff_t>(set.size()); ++i) {
    const Path& path = set[static_cast<std::size_t>(i)].path;
    if (i == scan->found || path.empty()) continue;
    if (path.front() == origin && path.back() == destination) {
      scan->found = i;
      scan->resume = i + 1 < static_cast<std::ptrdiff_t>(set.size()) ? i + 1 : -1;
      scan->start = -1;
      return scan;
    }
  }
  scan->start = scan->resume = scan->found = -1;
  return scan;
}

void freePathSet(PathSet& set) {
  set.clear();
}

void printPathSet(const PathSet& set, base::Output& console) {
  console.write("\t");
  for (const PathSetItem& item : set) {
    for (NodeId node : item.path) {
      console.writeInt(node);
      console.write("  ");
    }
    console.write("\n\t");
  }
}

void printPath(const Path& path, base::Output& console) {
  for (NodeId node : path) {
    console.writeInt(node);
    console.write(" ");
  }
}

}  // namespace routing
