// Wavelength and regenerator assignment of a call's path on a pair's view of the links.
#include "calls/wavelength_assignment.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <numeric>

namespace calls {

namespace {
// Wavelength counts up to this rank with packed keys on the stack.
constexpr std::size_t kPackedRanks = 4096;
}  // namespace

namespace {

// A counter of 0 or below (a stale view can drive it negative) is not free.
bool isFree(const PathLinks::Hop& hop, std::int32_t wavelength, std::int32_t lambdaCount) {
  return hop.freeFibers != nullptr && wavelength >= 0 && wavelength < lambdaCount &&
         hop.freeFibers[wavelength] > 0;
}

std::int32_t lowestFree(const PathLinks::Hop& hop, std::int32_t lambdaCount) {
  for (std::int32_t w = 0; w < lambdaCount; ++w) {
    if (isFree(hop, w, lambdaCount)) return w;
  }
  return -1;
}

bool hasRegenerator(const PathLinks::Hop& hop) {
  return hop.link != nullptr && hop.link->regenerators > 0;
}

int block(BlockingTypes& types, BlockingCause cause, const PathLinks::Hop& hop,
          base::ErrorReporter& reporter) {
  recordBlocking(types[cause], hop.from, hop.to, reporter);
  return 0;
}

}  // namespace

HopAssignment* appendHop(HopList& hops, std::int32_t wavelength, base::ErrorReporter& reporter) {
  try {
    return &hops.emplace_back(HopAssignment{wavelength, false});
  } catch (const std::bad_alloc&) {
    reporter.reportError(1050);
    return nullptr;
  }
}

HopAssignment* appendHopFlagged(HopList& hops, std::int32_t wavelength, bool regenerate,
                                base::ErrorReporter& reporter) {
  try {
    return &hops.emplace_back(HopAssignment{wavelength, regenerate});
  } catch (const std::bad_alloc&) {
    reporter.reportError(1051);
    return nullptr;
  }
}

void freeHops(HopList& hops) {
  hops.clear();
}

bool copyHops(const HopList& from, HopList& to, base::ErrorReporter& reporter) {
  to.clear();
  try {
    to.reserve(from.size());
  } catch (const std::bad_alloc&) {
    reporter.reportError(1051);
    return false;
  }
  for (const HopAssignment& hop : from) to.push_back(hop);
  return true;
}

void PathLinks::resolve(const network::LinkTable& table, const routing::Path& path,
                        std::span<const std::ptrdiff_t> positions) {
  table_ = &table;
  path_ = &path;
  hopCount_ = path.empty() ? 0 : path.size() - 1;
  lambdaCount_ = table.lambdaCount();
  cached_ = false;
  const bool known = positions.size() == hopCount_;
  try {
    hops_.resize(hopCount_);
  } catch (const std::bad_alloc&) {
    return;
  }
  for (std::size_t k = 0; k < hopCount_; ++k) hops_[k] = known ? hopAt(k, positions[k]) : hop(k);
  cached_ = true;
}

PathLinks::Hop PathLinks::hopAt(std::size_t k, std::ptrdiff_t position) const {
  Hop hop{(*path_)[k], (*path_)[k + 1], nullptr, nullptr};
  if (position >= 0 && hop.from != network::kNoNode && hop.to != network::kNoNode) {
    hop.link = &(*table_)[static_cast<std::size_t>(position)];
    hop.freeFibers = table_->freeFibers(*hop.link);
  }
  return hop;
}

PathLinks::Hop PathLinks::hop(std::size_t k) const {
  if (cached_) return hops_[k];
  Hop hop{(*path_)[k], (*path_)[k + 1], nullptr, nullptr};
  // An end of -1 would make the lookup match any link at the other end.
  if (hop.from != network::kNoNode && hop.to != network::kNoNode) {
    hop.link = network::findLink(*table_, hop.from, hop.to);
  }
  if (hop.link != nullptr) hop.freeFibers = table_->freeFibers(*hop.link);
  return hop;
}

void orderWavelengths(const PathLinks& links, std::span<std::int32_t> order,
                      std::vector<std::int64_t>& totals, base::ErrorReporter& reporter) {
  const std::size_t n = order.size();
  try {
    totals.assign(n, 0);
  } catch (const std::bad_alloc&) {
    reporter.reportError(7000);
    return;
  }
  const auto counted = std::min(n, static_cast<std::size_t>(links.lambdaCount()));
  for (std::size_t k = 0; k < links.hopCount(); ++k) {
    const PathLinks::Hop hop = links.hop(k);
    if (hop.freeFibers == nullptr) continue;
    for (std::size_t w = 0; w < counted; ++w) totals[w] += hop.freeFibers[w];
  }
  // A total order (descending total, then ascending wavelength): the stable selection
  // by rank, without a mark that a real total could meet. Totals that fit 32 bits are
  // packed with their wavelength into one key, so that the ranks come from one plain sort.
  const bool packable = std::all_of(totals.begin(), totals.end(), [](std::int64_t total) {
    return total >= std::numeric_limits<std::int32_t>::min() &&
           total <= std::numeric_limits<std::int32_t>::max();
  });
  if (packable && n <= kPackedRanks) {
    std::array<std::uint64_t, kPackedRanks> keys;
    for (std::size_t w = 0; w < n; ++w) {
      // A larger total gives a smaller key; equal totals keep the wavelength's order.
      const auto descending = static_cast<std::uint64_t>(
          std::int64_t{std::numeric_limits<std::int32_t>::max()} - totals[w]);
      keys[w] = descending << 32 | w;
    }
    std::sort(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(n));
    for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::int32_t>(keys[i] & 0xffffffffu);
    return;
  }
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&totals](std::int32_t a, std::int32_t b) {
    const std::int64_t ta = totals[static_cast<std::size_t>(a)];
    const std::int64_t tb = totals[static_cast<std::size_t>(b)];
    return ta != tb ? ta > tb : a < b;
  });
}

bool tryWavelength(std::int32_t wavelength, const PathLinks& links, HopList& hops,
                   base::ErrorReporter& reporter) {
  for (std::size_t k = 0; k < links.hopCount(); ++k) {
    if (!isFree(links.hop(k), wavelength, links.lambdaCount())) return false;
    if (appendHop(hops, wavelength, reporter) == nullptr) return false;
  }
  return links.hopCount() > 0;
}

// A hop that cannot be stored (1051, already reported) also ends the assignment with 0,
// without a cause: a list with a gap would pair wavelengths with the wrong links.
int assignWithConversion(const PathLinks& links, HopList& hops, BlockingTypes& blockingTypes,
                         base::ErrorReporter& reporter) {
  if (links.hopCount() == 0) return 1;
  const std::int32_t lambdas = links.lambdaCount();
  const PathLinks::Hop first = links.hop(0);
  std::int32_t current = lowestFree(first, lambdas);
  if (current < 0) return block(blockingTypes, kNoWavelength, first, reporter);
  if (appendHopFlagged(hops, current, false, reporter) == nullptr) return 0;
  for (std::size_t k = 1; k < links.hopCount(); ++k) {
    const PathLinks::Hop hop = links.hop(k);
    bool regenerate = false;
    if (!isFree(hop, current, lambdas)) {
      const std::int32_t free = lowestFree(hop, lambdas);
      const bool regenerator = hasRegenerator(hop);
      if (free >= 0 && !regenerator) return block(blockingTypes, kNoRegenerator, hop, reporter);
      if (free < 0 && !regenerator) {
        return block(blockingTypes, kNoWavelengthNoRegenerator, hop, reporter);
      }
      if (free < 0) return block(blockingTypes, kNoWavelengthWithRegenerator, hop, reporter);
      current = free;
      regenerate = true;
    }
    if (appendHopFlagged(hops, current, regenerate, reporter) == nullptr) return 0;
  }
  return 1;
}

namespace {

// The wavelength the rank order would try first among those free on every hop: the
// greatest total of free counters, the lowest wavelength among equals. -1 when none is
// free end to end. Fills `totals` as orderWavelengths does.
std::int32_t bestFreeWavelength(const PathLinks& links, std::size_t n,
                                std::vector<std::int64_t>& totals,
                                std::vector<unsigned char>& freeEverywhere) {
  totals.assign(n, 0);
  freeEverywhere.assign(n, links.hopCount() > 0 ? 1 : 0);
  const auto counted = std::min(n, static_cast<std::size_t>(std::max(links.lambdaCount(), 0)));
  std::fill(freeEverywhere.begin() + static_cast<std::ptrdiff_t>(counted), freeEverywhere.end(), 0);
  for (std::size_t k = 0; k < links.hopCount(); ++k) {
    const PathLinks::Hop hop = links.hop(k);
    if (hop.freeFibers == nullptr) {
      std::fill(freeEverywhere.begin(), freeEverywhere.end(), 0);
      continue;
    }
    for (std::size_t w = 0; w < counted; ++w) {
      totals[w] += hop.freeFibers[w];
      freeEverywhere[w] &= static_cast<unsigned char>(hop.freeFibers[w] > 0);
    }
  }
  std::int32_t best = -1;
  for (std::size_t w = 0; w < counted; ++w) {
    if (freeEverywhere[w] != 0 &&
        (best < 0 || totals[w] > totals[static_cast<std::size_t>(best)])) {
      best = static_cast<std::int32_t>(w);
    }
  }
  return best;
}

// Tries every wavelength in rank order, as the assignment is defined; used when the hop
// list could not be given room beforehand, so that every failed append is met in order.
bool tryInRankOrder(AssignmentWorkspace& workspace, std::span<std::int32_t> order,
                    base::ErrorReporter& reporter) {
  std::fill(order.begin(), order.end(), 0);
  orderWavelengths(workspace.links, order, workspace.totals, reporter);
  for (std::int32_t wavelength : order) {
    if (tryWavelength(wavelength, workspace.links, workspace.hops, reporter)) return true;
    freeHops(workspace.hops);
  }
  return false;
}

// With room for every hop, trying the ranked wavelengths one by one ends at the first
// one free end to end, so that one is found directly, without ranking them all.
bool tryBestWavelength(AssignmentWorkspace& workspace, std::size_t n,
                       base::ErrorReporter& reporter) {
  std::int32_t best = 0;
  try {
    best = bestFreeWavelength(workspace.links, n, workspace.totals, workspace.freeEverywhere);
  } catch (const std::bad_alloc&) {
    // Without its totals the ranking leaves every entry at wavelength 0.
    reporter.reportError(7000);
  }
  if (best >= 0 && tryWavelength(best, workspace.links, workspace.hops, reporter)) return true;
  freeHops(workspace.hops);
  return false;
}

}  // namespace

bool assignWavelengths(AssignmentWorkspace& workspace, const network::LinkTable& view,
                       const routing::Path& path, std::span<std::int32_t> order,
                       BlockingTypes& blockingTypes, base::ErrorReporter& reporter,
                       std::span<const std::ptrdiff_t> viewPositions) {
  PathLinks& links = workspace.links;
  HopList& hops = workspace.hops;
  links.resolve(view, path, viewPositions);
  freeHops(hops);
  bool roomForEveryHop = true;
  try {
    hops.reserve(links.hopCount());
  } catch (const std::bad_alloc&) {
    // appendHop reports the shortage when it meets it.
    roomForEveryHop = false;
  }
  if (order.empty()) return true;
  const bool carried = roomForEveryHop ? tryBestWavelength(workspace, order.size(), reporter)
                                       : tryInRankOrder(workspace, order, reporter);
  if (carried) return true;
  if (assignWithConversion(links, hops, blockingTypes, reporter) == 1) return true;
  freeHops(hops);
  return false;
}

}  // namespace calls
