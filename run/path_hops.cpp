#include "run/path_hops.h"

#include <algorithm>
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

std::size_t PathHopsIndex::slotOf(const routing::Path* path) const {
  // Fibonacci hashing: the high bits of the product spread neighbouring addresses.
  const auto key = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(path));
  std::size_t slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> (64 - bits_));
  const std::size_t mask = slots_.size() - 1;
  while (slots_[slot] != kEmpty && entries_[slots_[slot]].path != path) slot = (slot + 1) & mask;
  return slot;
}

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

bool PathHopsIndex::add(const routing::Path* path, std::span<const HopLinks> hops) {
  if (2 * (entries_.size() + 1) > slots_.size()) grow();
  const std::size_t slot = slotOf(path);
  if (slots_[slot] != kEmpty) return false;
  // Room first, so that a failure leaves the index as it was.
  roomFor(entries_, 1);
  roomFor(links_, hops.size());
  roomFor(inView_, hops.size());
  entries_.push_back({path, links_.size(), hops.size()});
  for (const HopLinks& hop : hops) {
    links_.push_back(hop);
    inView_.push_back(hop.view);
  }
  slots_[slot] = static_cast<std::uint32_t>(entries_.size() - 1);
  return true;
}

std::optional<PathHops> PathHopsIndex::find(const routing::Path* path) const {
  if (slots_.empty()) return std::nullopt;
  const std::size_t slot = slotOf(path);
  if (slots_[slot] == kEmpty) return std::nullopt;
  const Entry& entry = entries_[slots_[slot]];
  return PathHops{std::span(links_).subspan(entry.first, entry.count),
                  std::span(inView_).subspan(entry.first, entry.count)};
}

}  // namespace run
