#include "python/observation.h"

#include <algorithm>
#include <limits>

namespace python {

Observation::Observation(std::int32_t nodes, std::int32_t paths, std::int32_t wavelengths,
                         std::int32_t fibres, std::int32_t maxHops, std::int32_t maxRegenerators,
                         std::int64_t maxAge)
    : nodes_(static_cast<std::size_t>(std::max(nodes, 0))),
      paths_(static_cast<std::size_t>(std::max(paths, 0))),
      wavelengths_(wavelengths),
      fibres_(fibres),
      maxHops_(maxHops),
      maxRegenerators_(maxRegenerators),
      maxAge_(maxAge),
      freeHops_(static_cast<std::size_t>(std::max(wavelengths, 0))) {}

std::vector<float> Observation::high() const {
  std::vector<float> high(size(), 1.0f);
  high[2 * nodes_] = static_cast<float>(maxAge_);
  for (std::size_t p = 0; p < paths_; ++p) {
    float* slot = high.data() + 2 * nodes_ + 1 + p * kSlotFields;
    slot[1] = static_cast<float>(maxHops_);
    slot[2] = static_cast<float>(wavelengths_);
    slot[3] = static_cast<float>(wavelengths_);
    slot[4] = static_cast<float>(wavelengths_) * static_cast<float>(fibres_);
    slot[5] = static_cast<float>(maxRegenerators_);
  }
  return high;
}

std::vector<std::string> Observation::names() const {
  std::vector<std::string> names;
  names.reserve(size());
  for (std::size_t n = 0; n < nodes_; ++n) names.push_back("origin[" + std::to_string(n) + "]");
  for (std::size_t n = 0; n < nodes_; ++n) {
    names.push_back("destination[" + std::to_string(n) + "]");
  }
  names.push_back("view_age");
  for (std::size_t p = 0; p < paths_; ++p) {
    for (const char* field : kSlotFieldNames) {
      names.push_back("path[" + std::to_string(p) + "]." + field);
    }
  }
  return names;
}

void Observation::fill(const wrnsim::Call& call, const wrnsim::PairView* view, float* out) {
  std::fill(out, out + size(), 0.0f);
  if (view == nullptr) return;
  const auto nodes = static_cast<std::int64_t>(nodes_);
  if (call.origin >= 0 && call.origin < nodes) out[call.origin] = 1.0f;
  if (call.destination >= 0 && call.destination < nodes) out[nodes_ + call.destination] = 1.0f;
  out[2 * nodes_] = static_cast<float>(view->age());
  const std::size_t shown = std::min(paths_, view->paths().size());
  for (std::size_t p = 0; p < shown; ++p) {
    const wrnsim::CandidatePath& path = view->paths()[p];
    float* slot = out + 2 * nodes_ + 1 + p * kSlotFields;
    slot[0] = 1.0f;
    slot[1] = static_cast<float>(path.hopCount());
    std::fill(freeHops_.begin(), freeHops_.end(), 0u);
    std::int32_t leastWavelengths = std::numeric_limits<std::int32_t>::max();
    std::int64_t leastFibres = std::numeric_limits<std::int64_t>::max();
    std::int32_t leastRegenerators = std::numeric_limits<std::int32_t>::max();
    bool missingLink = false;
    for (std::size_t k = 0; k < path.hopCount(); ++k) {
      if (path.links[k] == wrnsim::kNoLink) {
        missingLink = true;
        break;
      }
      const wrnsim::LinkView& link = view->link(p, k);
      std::int32_t wavelengths = 0;
      std::int64_t fibres = 0;
      const std::span<const std::int32_t> free = link.freeFibres();
      for (std::size_t w = 0; w < free.size() && w < freeHops_.size(); ++w) {
        if (free[w] <= 0) continue;
        ++wavelengths;
        fibres += free[w];
        ++freeHops_[w];
      }
      leastWavelengths = std::min(leastWavelengths, wavelengths);
      leastFibres = std::min(leastFibres, fibres);
      leastRegenerators = std::min(leastRegenerators, std::max(link.freeRegenerators(), 0));
    }
    // A hop the network does not hold carries nothing: the slot shows no room at all.
    if (missingLink || path.hopCount() == 0) continue;
    const auto hops = static_cast<std::uint32_t>(path.hopCount());
    slot[2] = static_cast<float>(std::count(freeHops_.begin(), freeHops_.end(), hops));
    slot[3] = static_cast<float>(leastWavelengths);
    slot[4] = static_cast<float>(leastFibres);
    slot[5] = static_cast<float>(leastRegenerators);
  }
}

}  // namespace python
