// Wavelength and regenerator assignment of a call's path on a pair's view of the links.
#include "calls/wavelength_assignment.h"

#include <algorithm>
#include <limits>
#include <new>

namespace calls {

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
          base::ErrorReporter& reporter, BlockedAt* blocked) {
  recordBlocking(types[cause], hop.from, hop.to, reporter);
  if (blocked != nullptr) *blocked = {cause, hop.from, hop.to};
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
                        std::span<const std::int32_t> positions) {
  const std::size_t hopCount = path.empty() ? 0 : path.size() - 1;
  hops_.resize(hopCount);
  lambdaCount_ = table.lambdaCount();
  const bool known = positions.size() == hopCount;
  for (std::size_t k = 0; k < hopCount; ++k) {
    Hop& hop = hops_[k];
    hop = Hop{path[k], path[k + 1], nullptr, nullptr};
    // An end of -1 would make a lookup match any link at the other end.
    if (hop.from == network::kNoNode || hop.to == network::kNoNode) continue;
    const std::ptrdiff_t position = known ? positions[k] : table.positionOf(hop.from, hop.to);
    if (position < 0) continue;
    hop.link = &table[static_cast<std::size_t>(position)];
    hop.freeFibers = table.freeFibers(*hop.link);
  }
}

bool AssignmentWorkspace::grow(std::size_t hopCount, base::ErrorReporter& reporter) {
  try {
    links.reserve(hopCount);
    hops.reserve(hopCount);
  } catch (const std::bad_alloc&) {
    reporter.reportError(1050);
    return false;
  }
  return true;
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
                         base::ErrorReporter& reporter, BlockedAt* blocked) {
  if (links.hopCount() == 0) return 1;
  const std::int32_t lambdas = links.lambdaCount();
  const PathLinks::Hop first = links.hop(0);
  std::int32_t current = lowestFree(first, lambdas);
  if (current < 0) return block(blockingTypes, kNoWavelength, first, reporter, blocked);
  if (appendHopFlagged(hops, current, false, reporter) == nullptr) return 0;
  for (std::size_t k = 1; k < links.hopCount(); ++k) {
    const PathLinks::Hop hop = links.hop(k);
    bool regenerate = false;
    if (!isFree(hop, current, lambdas)) {
      const std::int32_t free = lowestFree(hop, lambdas);
      const bool regenerator = hasRegenerator(hop);
      if (free >= 0 && !regenerator)
        return block(blockingTypes, kNoRegenerator, hop, reporter, blocked);
      if (free < 0 && !regenerator) {
        return block(blockingTypes, kNoWavelengthNoRegenerator, hop, reporter, blocked);
      }
      if (free < 0)
        return block(blockingTypes, kNoWavelengthWithRegenerator, hop, reporter, blocked);
      current = free;
      regenerate = true;
    }
    if (appendHopFlagged(hops, current, regenerate, reporter) == nullptr) return 0;
  }
  return 1;
}

namespace {

// The wavelength free on every hop with the greatest total of free counters so far.
struct BestWavelength {
  std::int32_t wavelength = -1;
  // A wavelength free everywhere totals at least one counter a hop, more than 0.
  std::int64_t total = 0;
};

// Weighs the wavelengths in [first, last) against the best so far, which stays the best
// among equals, as a lower wavelength.
void weighOneByOne(const PathLinks& links, std::size_t first, std::size_t last,
                   BestWavelength& best) {
  for (std::size_t w = first; w < last; ++w) {
    std::int64_t total = 0;
    std::int32_t least = std::numeric_limits<std::int32_t>::max();
    for (std::size_t k = 0; k < links.hopCount(); ++k) {
      const std::int32_t counter = links.hop(k).freeFibers[w];
      total += counter;
      least = std::min(least, counter);
    }
    if (total > best.total && least > 0) {
      best.wavelength = static_cast<std::int32_t>(w);
      best.total = total;
    }
  }
}

// Sixteen wavelengths at a time, four to a vector register: most calls weigh every
// wavelength of the network, and one by one that was a fifth of a run's work.
using Lanes = std::int32_t __attribute__((vector_size(16)));
using UnsignedLanes = std::uint32_t __attribute__((vector_size(16)));
constexpr std::size_t kLanes = 4;
constexpr std::size_t kVectors = 4;
constexpr std::size_t kBlock = kLanes * kVectors;

Lanes loadLanes(const std::int32_t* at) {
  Lanes lanes;
  std::memcpy(&lanes, at, sizeof lanes);
  return lanes;
}

// Lane by lane; no instruction before SSE4.1 does either.
Lanes smallerOf(Lanes a, Lanes b) {
  const Lanes smaller = a < b;
  return (a & smaller) | (b & ~smaller);
}
Lanes largerOf(Lanes a, Lanes b) {
  const Lanes larger = a > b;
  return (a & larger) | (b & ~larger);
}

// Each wavelength's total with its place in the block below it, lower places ranking
// higher, so that the largest key names the best wavelength of the block.
constexpr int kPlaceBits = 4;
static_assert(kBlock == 1 << kPlaceBits);

// False, deciding nothing, when a counter is negative or so large that a key might not
// fit 32 bits.
bool weighBlock(const PathLinks& links, std::size_t first, BestWavelength& best) {
  UnsignedLanes total[kVectors];
  Lanes least[kVectors];
  Lanes bits[kVectors];
  for (std::size_t v = 0; v < kVectors; ++v) {
    least[v] = bits[v] = loadLanes(links.hop(0).freeFibers + first + v * kLanes);
    total[v] = reinterpret_cast<UnsignedLanes>(least[v]);
  }
  for (std::size_t k = 1; k < links.hopCount(); ++k) {
    const std::int32_t* counters = links.hop(k).freeFibers + first;
    for (std::size_t v = 0; v < kVectors; ++v) {
      const Lanes counter = loadLanes(counters + v * kLanes);
      total[v] += reinterpret_cast<UnsignedLanes>(counter);
      least[v] = smallerOf(counter, least[v]);
      bits[v] |= counter;
    }
  }
  // A negative counter sets the top bit of `any`; otherwise no counter is above it, so
  // that every total is at most any x hops.
  const Lanes merged = bits[0] | bits[1] | bits[2] | bits[3];
  std::uint64_t any = 0;
  for (std::size_t l = 0; l < kLanes; ++l) any |= static_cast<std::uint32_t>(merged[l]);
  if (any * links.hopCount() >
      static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max() >> kPlaceBits)) {
    return false;
  }
  Lanes key = {0, 0, 0, 0};
  for (std::size_t v = 0; v < kVectors; ++v) {
    const auto place = static_cast<std::int32_t>(kBlock - 1 - v * kLanes);
    const Lanes rank = {place, place - 1, place - 2, place - 3};
    // A wavelength not free everywhere has no key, never the best.
    const Lanes open = least[v] > 0;
    key = largerOf(key, ((reinterpret_cast<Lanes>(total[v]) << kPlaceBits) | rank) & open);
  }
  std::int32_t top = 0;
  for (std::size_t l = 0; l < kLanes; ++l) top = std::max(top, key[l]);
  if ((top >> kPlaceBits) > best.total) {
    best.total = top >> kPlaceBits;
    const std::int32_t place = top & ((1 << kPlaceBits) - 1);
    best.wavelength = static_cast<std::int32_t>(first + kBlock - 1) - place;
  }
  return true;
}

// The wavelength below n free on every hop with the greatest total of free counters, the
// lowest among equals; -1 when none is free end to end.
std::int32_t bestFreeWavelength(const PathLinks& links, std::size_t n) {
  const std::size_t hopCount = links.hopCount();
  if (hopCount == 0) return -1;
  for (std::size_t k = 0; k < hopCount; ++k) {
    if (links.hop(k).freeFibers == nullptr) return -1;
  }
  const auto counted = std::min(n, static_cast<std::size_t>(std::max(links.lambdaCount(), 0)));
  BestWavelength best;
  std::size_t first = 0;
  for (; first + kBlock <= counted; first += kBlock) {
    if (!weighBlock(links, first, best)) weighOneByOne(links, first, first + kBlock, best);
  }
  weighOneByOne(links, first, counted, best);
  return best.wavelength;
}

}  // namespace

bool assignWavelengths(AssignmentWorkspace& workspace, const network::LinkTable& view,
                       const routing::Path& path, std::span<const std::int32_t> order,
                       BlockingTypes& blockingTypes, base::ErrorReporter& reporter,
                       std::span<const std::int32_t> viewPositions) {
  HopList& hops = workspace.hops;
  freeHops(hops);
  workspace.blocked = BlockedAt{};
  if (order.empty()) return true;
  // Room first, so that nothing below can fail half way.
  const std::size_t hopCount = path.empty() ? 0 : path.size() - 1;
  if (!workspace.reserve(hopCount, reporter)) return false;
  PathLinks& links = workspace.links;
  links.resolve(view, path, viewPositions);
  const std::int32_t best = bestFreeWavelength(links, order.size());
  if (best >= 0 && tryWavelength(best, links, hops, reporter)) return true;
  freeHops(hops);
  if (assignWithConversion(links, hops, blockingTypes, reporter, &workspace.blocked) == 1) {
    return true;
  }
  freeHops(hops);
  return false;
}

}  // namespace calls
