#include "run/path_hops.h"

namespace run {

std::size_t PathHopsIndex::slotOf(const routing::Path* path) const {
  // Fibonacci hashing: the high bits of the product spread neighbouring addresses.
  const auto key = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(path));
  std::size_t slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> (64 - bits_));
  const std::size_t mask = slots_.size() - 1;
  while (slots_[slot] != kEmpty && keys_[slots_[slot]] != path) slot = (slot + 1) & mask;
  return slot;
}

void PathHopsIndex::grow() {
  const unsigned bits = bits_ == 0 ? 4 : bits_ + 1;
  std::vector<std::size_t> slots(std::size_t{1} << bits, kEmpty);
  slots_.swap(slots);
  bits_ = bits;
  for (std::size_t entry = 0; entry < keys_.size(); ++entry) slots_[slotOf(keys_[entry])] = entry;
}

std::pair<PathHops&, bool> PathHopsIndex::add(const routing::Path* path) {
  if (2 * (keys_.size() + 1) > slots_.size()) grow();
  const std::size_t slot = slotOf(path);
  if (slots_[slot] != kEmpty) return {entries_[slots_[slot]], false};
  keys_.reserve(keys_.size() + 1);
  entries_.emplace_back();
  keys_.push_back(path);
  slots_[slot] = keys_.size() - 1;
  return {entries_.back(), true};
}

const PathHops* PathHopsIndex::find(const routing::Path* path) const {
  if (slots_.empty()) return nullptr;
  const std::size_t slot = slotOf(path);
  return slots_[slot] == kEmpty ? nullptr : &entries_[slots_[slot]];
}

}  // namespace run
