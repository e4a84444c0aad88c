// The ticks at which the sources of a run have something to do.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace run {

// Each source waits for one tick at a time. Ticks close ahead sit in a ring of buckets,
// each a bitmap of sources with summary levels over it, farther ones in a heap; a tick's
// sources come out in ascending order, as stepping them in list order requires, and taking
// a tick visits only the bitmap words that hold its sources.
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

  // Enough levels for any count of sources.
  static constexpr std::size_t kMaxLevels = 11;

  bool earliestBucket(std::int64_t& tick) const;
  void scheduleFar(std::int64_t tick, std::size_t source);
  void mark(std::size_t bucket, std::size_t source);
  void takeBucket(std::size_t bucket, std::vector<std::size_t>& sources);
  std::size_t* takeLevel(std::size_t bucket, std::size_t level, std::size_t index,
                         std::size_t* out);
  std::size_t* takeLeaf(std::size_t bucket, std::size_t index, std::size_t* out);

  std::uint64_t& word(std::size_t level, std::size_t bucket, std::size_t index) {
    return bits_[offset_[level] + bucket * words_[level] + index];
  }

  // Buckets hold the ticks base_ .. base_ + kBuckets - 1. Level 0 has a bit per source,
  // each level above a bit per word of the one below, and top_ a bit per word of the last
  // of them; a bucket's words of a level lie together.
  std::size_t levels_ = 0;
  std::array<std::size_t, kMaxLevels> words_{};
  std::array<std::size_t, kMaxLevels> offset_{};
  std::vector<std::uint64_t> bits_;
  std::array<std::uint64_t, kBuckets> top_{};
  // How many sources each bucket holds.
  std::array<std::size_t, kBuckets> count_{};
  std::uint64_t occupied_ = 0;
  std::int64_t base_ = 0;
  // (tick, source), earliest on top.
  std::vector<std::pair<std::int64_t, std::size_t>> far_;
};

}  // namespace run
