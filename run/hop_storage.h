// Hop lists of ended calls, kept so that the next calls reuse their storage.
#pragma once

#include <new>
#include <vector>

#include "calls/wavelength_assignment.h"

namespace run {

// Saves an allocation per call; keeping is never required for correctness.
class HopStorage {
 public:
  // Takes the list's storage, leaving it empty without storage; a list without storage,
  // or one that cannot be kept, is left as it is.
  void keep(calls::HopList& hops) {
    if (hops.capacity() == 0) return;
    try {
      spare_.emplace_back();
    } catch (const std::bad_alloc&) {
      return;
    }
    hops.clear();
    spare_.back().swap(hops);
  }

  // Gives an empty list without storage the storage of a kept one, when there is one.
  void lend(calls::HopList& hops) {
    if (spare_.empty()) return;
    hops.swap(spare_.back());
    spare_.pop_back();
  }

 private:
  std::vector<calls::HopList> spare_;
};

}  // namespace run
