#include "run/source_schedule.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace run {

SourceSchedule::SourceSchedule(std::size_t sources) : next_(sources, kNone) {
  head_.fill(kNone);
  tail_.fill(kNone);
  far_.reserve(sources);
}

void SourceSchedule::schedule(std::int64_t tick, std::size_t source) {
  if (tick - base_ >= static_cast<std::int64_t>(kBuckets)) {
    far_.emplace_back(tick, source);
    std::push_heap(far_.begin(), far_.end(), std::greater<>{});
    return;
  }
  const std::size_t bucket = static_cast<std::size_t>(tick) % kBuckets;
  next_[source] = kNone;
  if (head_[bucket] == kNone) {
    head_[bucket] = source;
    occupied_ |= std::uint64_t{1} << bucket;
  } else {
    next_[tail_[bucket]] = source;
  }
  tail_[bucket] = source;
}

bool SourceSchedule::earliestBucket(std::int64_t& tick) const {
  if (occupied_ == 0) return false;
  const unsigned offset = static_cast<unsigned>(static_cast<std::uint64_t>(base_) % kBuckets);
  // Buckets from base_'s onwards first, then those that wrapped round the ring.
  const std::uint64_t rotated = std::rotr(occupied_, static_cast<int>(offset));
  tick = base_ + std::countr_zero(rotated);
  return true;
}

void SourceSchedule::takeBucket(std::size_t bucket, std::vector<std::size_t>& sources) {
  for (std::size_t s = head_[bucket]; s != kNone; s = next_[s]) sources.push_back(s);
  head_[bucket] = kNone;
  tail_[bucket] = kNone;
  occupied_ &= ~(std::uint64_t{1} << bucket);
}

namespace {

// A bucket fills in stepping order, so it is nearly sorted: insertion sort suits it while
// it is short.
void sortSmall(std::vector<std::size_t>& sources) {
  if (sources.size() > 32) {
    std::sort(sources.begin(), sources.end());
    return;
  }
  for (auto it = sources.begin() + 1; it < sources.end(); ++it) {
    std::rotate(std::upper_bound(sources.begin(), it, *it), it, it + 1);
  }
}

}  // namespace

bool SourceSchedule::takeNextTick(std::int64_t& tick, std::vector<std::size_t>& sources) {
  sources.clear();
  std::int64_t near = 0;
  const bool hasNear = earliestBucket(near);
  if (!hasNear && far_.empty()) return false;
  tick = hasNear ? near : far_.front().first;
  if (!far_.empty()) tick = std::min(tick, far_.front().first);
  base_ = tick;
  if (hasNear && near == tick) takeBucket(static_cast<std::size_t>(tick) % kBuckets, sources);
  const bool merged = !far_.empty() && far_.front().first == tick && !sources.empty();
  while (!far_.empty() && far_.front().first == tick) {
    std::pop_heap(far_.begin(), far_.end(), std::greater<>{});
    sources.push_back(far_.back().second);
    far_.pop_back();
  }
  if (merged || !std::is_sorted(sources.begin(), sources.end())) sortSmall(sources);
  return true;
}

}  // namespace run
