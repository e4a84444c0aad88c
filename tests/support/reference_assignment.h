// The wavelength assignment as defined, slow and plain: rank every wavelength, try each.
#pragma once

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "base/error_reporter.h"
#include "calls/blocking_stats.h"
#include "calls/wavelength_assignment.h"
#include "network/link_table.h"
#include "routing/path.h"

namespace testing_support {

// The wavelengths 0..count-1 by descending total of free counters along the path, equal
// totals by ascending wavelength. Missing links and wavelengths beyond the table's count
// add nothing.
inline std::vector<std::int32_t> orderWavelengths(const calls::PathLinks& links,
                                                  std::size_t count) {
  std::vector<std::int64_t> totals(count, 0);
  for (std::size_t k = 0; k < links.hopCount(); ++k) {
    const calls::PathLinks::Hop& hop = links.hop(k);
    if (hop.freeFibers == nullptr) continue;
    for (std::size_t w = 0; w < count && w < static_cast<std::size_t>(links.lambdaCount()); ++w) {
      totals[w] += hop.freeFibers[w];
    }
  }
  std::vector<std::int32_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&totals](std::int32_t a, std::int32_t b) {
    return totals[static_cast<std::size_t>(a)] > totals[static_cast<std::size_t>(b)];
  });
  return order;
}

// Ranks every wavelength and tries them one by one, then conversion.
inline bool assignByTryingEveryRank(const network::LinkTable& links, const routing::Path& path,
                                    std::size_t lambdas, calls::HopList& hops,
                                    calls::BlockingTypes& types, base::ErrorReporter& reporter) {
  calls::PathLinks resolved;
  resolved.resolve(links, path);
  for (std::int32_t w : orderWavelengths(resolved, lambdas)) {
    if (calls::tryWavelength(w, resolved, hops, reporter)) return true;
    calls::freeHops(hops);
  }
  if (calls::assignWithConversion(resolved, hops, types, reporter) == 1) return true;
  calls::freeHops(hops);
  return false;
}

}  // namespace testing_support
