#include "run/path_hops.h"

#include <algorithm>
#include <limits>
#include <new>

namespace run {

namespace {

// Grows by half again at least, as push_back would: reserving the exact size at every
// addition would copy the whole array each time.
template <typename T>
void roomFor(std::vector<T>& items, std::size_t more) {
  const std::size_t needed = items.size() + more;
  if (needed > items.capacity()) items.reserve(std::max(needed, items.capacity() * 3 / 2));
}

}  // namespace

void PathHopsIndex::grow() {
  const unsigned bits = bits_ == 0 ? 4 : bits_ + 1;
  if (bits >= 32) throw std::bad_alloc();
  std::vector<std::uint32_t> slots(std::size_t{1} << bits, kEmpty);
  slots_.swap(slots);
  bits_ = bits;
  for (std::size_t entry = 0; entry < entries_.size(); ++entry) {
    slots_[slotOf(entries_[entry].path)] = static_cast<std::uint32_t>(entry);
  }
}

void PathHopsIndex::reserve(std::size_t paths, std::size_t hops) {
  entries_.reserve(entries_.size() + paths);
  live_.reserve(live_.size() + hops);
  if (!viewIsLive_) inView_.reserve(inView_.size() + hops);
  while (2 * (entries_.size() + paths) > slots_.size()) grow();
}

bool PathHopsIndex::add(const routing::Path* path, std::span<const std::int32_t> live,
                        std::span<const std::int32_t> inView) {
  if (2 * (entries_.size() + 1) > slots_.size()) grow();
  const std::size_t slot = slotOf(path);
  if (slots_[slot] != kEmpty) return false;
  // Entries count hops in 32 bits.
  if (live_.size() + live.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::bad_alloc();
  }
  // Room first, so that a failure leaves the index as it was.
  roomFor(entries_, 1);
  roomFor(live_, live.size());
  if (!viewIsLive_) roomFor(inView_, live.size());
  entries_.push_back(
      {path, static_cast<std::uint32_t>(live_.size()), static_cast<std::uint32_t>(live.size())});
  live_.insert(live_.end(), live.begin(), live.end());
  if (!viewIsLive_) inView_.insert(inView_.end(), inView.begin(), inView.end());
  slots_[slot] = static_cast<std::uint32_t>(entries_.size() - 1);
  return true;
}

}  // namespace run
