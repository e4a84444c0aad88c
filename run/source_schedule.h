// The ticks at which the sources of a run have something to do.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace run {

// Each source waits for one tick at a time. Ticks close ahead sit in a ring of buckets
// (a source is appended to its tick's list in O(1)), farther ones in a heap; a tick's
// sources come out in ascending order, as stepping them in list order requires.
class SourceSchedule {
 public:
  // Room for every source, so that scheduling never allocates afterwards.
  explicit SourceSchedule(std::size_t sources);

  // Source i waits for `tick`, which is not before the tick last taken. Each source may be
  // waiting for one tick only.
  void schedule(std::int64_t tick, std::size_t source);

  // The earliest tick any source waits for, with those sources in ascending order (they
  // wait no more). False when no source waits.
  bool takeNextTick(std::int64_t& tick, std::vector<std::size_t>& sources);

 private:
  static constexpr std::size_t kBuckets = 64;
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  bool earliestBucket(std::int64_t& tick) const;
  void takeBucket(std::size_t bucket, std::vector<std::size_t>& sources);

  // Buckets hold the ticks base_ .. base_ + kBuckets - 1, each as a list through next_.
  std::array<std::size_t, kBuckets> head_;
  std::array<std::size_t, kBuckets> tail_;
  std::uint64_t occupied_ = 0;
  std::vector<std::size_t> next_;
  std::int64_t base_ = 0;
  // (tick, source), earliest on top.
  std::vector<std::pair<std::int64_t, std::size_t>> far_;
};

}  // namespace run
