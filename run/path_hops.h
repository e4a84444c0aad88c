// Where the links of each hop of a run's candidate paths sit, in the live table and in
// the pair's view: looked up once per path for the whole run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "routing/path.h"

namespace run {

struct HopLinks {
  // -1 where the table has no such link.
  std::ptrdiff_t live;
  std::ptrdiff_t view;
};

struct PathHops {
  std::vector<HopLinks> links;
  // The view positions alone, as the assignment takes them.
  std::vector<std::ptrdiff_t> inView;
};

// Paths by address, in an open-addressing table: a lookup is a multiplication and a probe
// or two, with no division, as it is made several times per call.
class PathHopsIndex {
 public:
  // The path's entry, added empty when new, and whether it was added. The reference holds
  // until the next addition. Throws std::bad_alloc when there is no room.
  std::pair<PathHops&, bool> add(const routing::Path* path);
  // None when the path was never added.
  const PathHops* find(const routing::Path* path) const;

 private:
  static constexpr std::size_t kEmpty = static_cast<std::size_t>(-1);
  std::size_t slotOf(const routing::Path* path) const;
  void grow();

  // Entry positions by slot; a table of 2^bits_ slots, at most half full.
  std::vector<std::size_t> slots_;
  std::vector<const routing::Path*> keys_;
  std::vector<PathHops> entries_;
  unsigned bits_ = 0;
};

}  // namespace run
