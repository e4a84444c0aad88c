// The plain operations the reference rendering of the candidate search is written with.
#pragma once

#include <cstdint>
#include <new>

#include "base/error_reporter.h"
#include "network/link_table.h"
#include "routing/path.h"

namespace testing_support {

// False after reporting code 110; the path is then unchanged.
inline bool appendNode(routing::PathSetItem& item, routing::NodeId node,
                       base::ErrorReporter& reporter) {
  try {
    item.path.push_back(node);
  } catch (const std::bad_alloc&) {
    reporter.reportError(110);
    return false;
  }
  return true;
}

// A deep copy of the item's path at the tail of the set, as `routing::copyPath` makes it.
inline routing::PathSetItem* copyItemPath(routing::PathSet& set, const routing::PathSetItem& item,
                                          base::ErrorReporter& reporter) {
  return routing::copyPath(set, item.path, reporter);
}

inline bool linkExists(const network::LinkTable& table, routing::NodeId from, routing::NodeId to) {
  return table.positionOf(from, to) >= 0;
}

// Equal directed links of the two paths, every occurrence counted: each pair of positions
// holding the same link counts once.
inline std::int64_t commonLinks(const routing::Path& a, const routing::Path& b) {
  std::int64_t count = 0;
  for (std::size_t i = 1; i < a.size(); ++i) {
    for (std::size_t j = 1; j < b.size(); ++j) {
      if (a[i - 1] == b[j - 1] && a[i] == b[j]) ++count;
    }
  }
  return count;
}

// True when the path shares more than `limit` links with some path of the set.
inline bool overlapsAny(const routing::PathSet& set, const routing::Path& path,
                        std::int64_t limit) {
  for (const routing::PathSetItem& item : set) {
    if (commonLinks(path, item.path) > limit) return true;
  }
  return false;
}

}  // namespace testing_support
