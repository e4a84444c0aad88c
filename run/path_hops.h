// Where the links of each hop of a run's candidate paths sit, in the live table and in
// the pair's view: looked up once per path for the whole run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "routing/path.h"

namespace run {

// One path's hops, in path order, by the positions of their links in the live table and
// in the pair's view (-1 where the table has no such link); the two spans have the same
// length. Valid until the next path is added to the index.
struct PathHops {
  std::span<const std::int32_t> live;
  std::span<const std::int32_t> inView;
};

// Paths by address, in an open-addressing table: a lookup is a multiplication and a probe
// or two, with no division, as it is made several times per call. The hops of all paths
// share two arrays, so a path costs a few bytes per hop and no allocation of its own.
class PathHopsIndex {
 public:
  // With `viewIsLive` every view position is the live one, and is kept once.
  explicit PathHopsIndex(bool viewIsLive = false) : viewIsLive_(viewIsLive) {}

  // Room for `paths` more paths of `hops` hops in all, so that adding them does not grow
  // the arrays by more than they need. Throws std::bad_alloc when there is no room.
  void reserve(std::size_t paths, std::size_t hops);
  // Adds the path with its hops (`inView` is not read when view positions are live ones);
  // false, adding nothing, when the path is known already. Throws std::bad_alloc when
  // there is no room.
  bool add(const routing::Path* path, std::span<const std::int32_t> live,
           std::span<const std::int32_t> inView);
  // None when the path was never added.
  std::optional<PathHops> find(const routing::Path* path) const {
    if (slots_.empty()) return std::nullopt;
    const std::uint32_t at = slots_[slotOf(path)];
    if (at == kEmpty) return std::nullopt;
    const Entry& entry = entries_[at];
    const std::span<const std::int32_t> live(live_.data() + entry.first, entry.count);
    return PathHops{live, viewIsLive_ ? live
                                      : std::span<const std::int32_t>(inView_.data() + entry.first,
                                                                      entry.count)};
  }

 private:
  static constexpr std::uint32_t kEmpty = static_cast<std::uint32_t>(-1);
  struct Entry {
    const routing::Path* path;
    std::uint32_t first;
    std::uint32_t count;
  };
  std::size_t slotOf(const routing::Path* path) const {
    // Fibonacci hashing: the high bits of the product spread neighbouring addresses.
    const auto key = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(path));
    auto slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> (64 - bits_));
    const std::size_t mask = slots_.size() - 1;
    while (slots_[slot] != kEmpty && entries_[slots_[slot]].path != path) slot = (slot + 1) & mask;
    return slot;
  }
  void grow();

  // Entry positions by slot; a table of 2^bits_ slots, at most half full.
  std::vector<std::uint32_t> slots_;
  std::vector<Entry> entries_;
  std::vector<std::int32_t> live_;
  std::vector<std::int32_t> inView_;
  unsigned bits_ = 0;
  bool viewIsLive_;
};

}  // namespace run
