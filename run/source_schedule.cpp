#include "run/source_schedule.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace run {

SourceSchedule::SourceSchedule(std::size_t sources) {
  std::size_t bits = std::max<std::size_t>(sources, 1);
  std::size_t total = 0;
  do {
    const std::size_t words = (bits + 63) / 64;
    words_[levels_] = words;
    offset_[levels_] = total;
    total += kBuckets * words;
    ++levels_;
    bits = words;
  } while (bits > 64);
  bits_.assign(total, 0);
  far_.reserve(sources);
}

void SourceSchedule::mark(std::size_t bucket, std::size_t source) {
  std::size_t index = source / 64;
  bits_[bucket * words_[0] + index] |= std::uint64_t{1} << (source % 64);
  // Setting a summary bit already set costs less than the branch that would skip it.
  for (std::size_t level = 1; level < levels_; ++level) {
    word(level, bucket, index / 64) |= std::uint64_t{1} << (index % 64);
    index /= 64;
  }
  top_[bucket] |= std::uint64_t{1} << index;
  ++count_[bucket];
}

// Out of line, so that the near case, by far the commoner, needs no registers saved.
[[gnu::noinline]] void SourceSchedule::scheduleFar(std::int64_t tick, std::size_t source) {
  far_.emplace_back(tick, source);
  std::push_heap(far_.begin(), far_.end(), std::greater<>{});
}

void SourceSchedule::schedule(std::int64_t tick, std::size_t source) {
  if (tick - base_ >= static_cast<std::int64_t>(kBuckets)) {
    scheduleFar(tick, source);
    return;
  }
  const std::size_t bucket = static_cast<std::size_t>(tick) % kBuckets;
  mark(bucket, source);
  occupied_ |= std::uint64_t{1} << bucket;
}

bool SourceSchedule::earliestBucket(std::int64_t& tick) const {
  if (occupied_ == 0) return false;
  const unsigned offset = static_cast<unsigned>(static_cast<std::uint64_t>(base_) % kBuckets);
  // Buckets from base_'s onwards first, then those that wrapped round the ring.
  const std::uint64_t rotated = std::rotr(occupied_, static_cast<int>(offset));
  tick = base_ + std::countr_zero(rotated);
  return true;
}

// Words are taken depth first, so sources come out ascending, and cleared as they are
// visited, which leaves the bucket empty.
std::size_t* SourceSchedule::takeLeaf(std::size_t bucket, std::size_t index, std::size_t* out) {
  std::uint64_t& at = word(0, bucket, index);
  for (std::uint64_t bits = at; bits != 0; bits &= bits - 1) {
    *out++ = index * 64 + static_cast<std::size_t>(std::countr_zero(bits));
  }
  at = 0;
  return out;
}

std::size_t* SourceSchedule::takeLevel(std::size_t bucket, std::size_t level, std::size_t index,
                                       std::size_t* out) {
  std::uint64_t& at = word(level, bucket, index);
  for (std::uint64_t bits = at; bits != 0; bits &= bits - 1) {
    const std::size_t below = index * 64 + static_cast<std::size_t>(std::countr_zero(bits));
    out = level == 1 ? takeLeaf(bucket, below, out) : takeLevel(bucket, level - 1, below, out);
  }
  at = 0;
  return out;
}

void SourceSchedule::takeBucket(std::size_t bucket, std::vector<std::size_t>& sources) {
  // The count can only be too high, were a source scheduled twice for the tick, so writing
  // through the buffer stays within it.
  sources.resize(count_[bucket]);
  std::size_t* const first = sources.data();
  std::size_t* out = first;
  for (std::uint64_t bits = top_[bucket]; bits != 0; bits &= bits - 1) {
    const auto index = static_cast<std::size_t>(std::countr_zero(bits));
    out = levels_ == 1 ? takeLeaf(bucket, index, out) : takeLevel(bucket, levels_ - 1, index, out);
  }
  sources.resize(static_cast<std::size_t>(out - first));
  top_[bucket] = 0;
  count_[bucket] = 0;
  occupied_ &= ~(std::uint64_t{1} << bucket);
}

bool SourceSchedule::takeNextTick(std::int64_t& tick, std::vector<std::size_t>& sources) {
  sources.clear();
  std::int64_t near = 0;
  const bool hasNear = earliestBucket(near);
  if (!hasNear && far_.empty()) return false;
  tick = hasNear ? near : far_.front().first;
  if (!far_.empty()) tick = std::min(tick, far_.front().first);
  base_ = tick;
  const std::size_t bucket = static_cast<std::size_t>(tick) % kBuckets;
  // With base_ at the tick, its bucket holds that tick alone, so the heap's sources for it
  // can join the bucket's bitmap and come out in order with them.
  while (!far_.empty() && far_.front().first == tick) {
    std::pop_heap(far_.begin(), far_.end(), std::greater<>{});
    mark(bucket, far_.back().second);
    far_.pop_back();
  }
  takeBucket(bucket, sources);
  return true;
}

}  // namespace run
