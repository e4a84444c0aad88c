// Wavelength and regenerator assignment of a call's path on a pair's view of the links.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/error_reporter.h"
#include "calls/blocking_stats.h"
#include "network/link_table.h"
#include "routing/path.h"

namespace calls {

struct HopAssignment {
  std::int32_t wavelength = 0;
  // The hop takes one of its link's regenerators to change wavelength.
  bool regenerate = false;
  // Set by the run loop when the live network could carry the hop and its fibre (and
  // regenerator) were taken, so that the call's end gives back exactly that.
  bool reserved = false;
  bool operator==(const HopAssignment&) const = default;
};

// One entry per assigned hop, in path order.
using HopList = std::vector<HopAssignment>;

// Both append at the tail; none (and the list unchanged) after reporting 1050 or 1051.
HopAssignment* appendHop(HopList& hops, std::int32_t wavelength, base::ErrorReporter& reporter);
HopAssignment* appendHopFlagged(HopList& hops, std::int32_t wavelength, bool regenerate,
                                base::ErrorReporter& reporter);
// Empties the list; its storage is kept for reuse.
void freeHops(HopList& hops);
// Replaces `to` with the entries of `from`. When there is no room, reports 1051 and leaves
// `to` empty rather than with a partial list that would no longer pair with the path's hops.
bool copyHops(const HopList& from, HopList& to, base::ErrorReporter& reporter);

// The hops of one path on one link table, each link looked up once per call. The table
// must not gain or lose links while this is in use; its counters are read at each use.
// A hop whose link is missing has no free wavelength and no regenerator.
class PathLinks {
 public:
  struct Hop {
    network::NodeId from = network::kNoNode;
    network::NodeId to = network::kNoNode;
    const network::Link* link = nullptr;
    // `lambdaCount()` counters, or none when the link is missing.
    const std::int32_t* freeFibers = nullptr;
  };

  // Keeps the storage of earlier paths. If the storage cannot grow, the hops are looked
  // up at each use instead: slower, never wrong.
  // `positions`, when it has one entry per hop, gives the position of each hop's link in
  // the table (-1 for a missing link), as a lookup would, and saves the lookups.
  void resolve(const network::LinkTable& table, const routing::Path& path,
               std::span<const std::ptrdiff_t> positions = {});

  std::size_t hopCount() const { return hopCount_; }
  Hop hop(std::size_t k) const;
  std::int32_t lambdaCount() const { return lambdaCount_; }

 private:
  Hop hopAt(std::size_t k, std::ptrdiff_t position) const;
  const network::LinkTable* table_ = nullptr;
  const routing::Path* path_ = nullptr;
  std::vector<Hop> hops_;
  bool cached_ = false;
  std::size_t hopCount_ = 0;
  std::int32_t lambdaCount_ = 0;
};

// Buffers reused from call to call, so that assigning a call allocates nothing once they
// have grown to the longest path.
struct AssignmentWorkspace {
  PathLinks links;
  std::vector<std::int64_t> totals;
  std::vector<unsigned char> freeEverywhere;
  // The temporary hop list of the call being assigned.
  HopList hops;
};

// Fills `order` (every entry 0 on entry) with the wavelengths 0..order.size()-1 by
// descending total of free counters along the path, equal totals by ascending wavelength.
// Reports 7000 and leaves `order` as given when its working storage cannot be had.
void orderWavelengths(const PathLinks& links, std::span<std::int32_t> order,
                      std::vector<std::int64_t>& totals, base::ErrorReporter& reporter);

// True when the wavelength is free (counter > 0) on every hop and the path has a hop. The
// entries appended before a busy hop stay in `hops` for the caller to free.
bool tryWavelength(std::int32_t wavelength, const PathLinks& links, HopList& hops,
                   base::ErrorReporter& reporter);

// Hop by hop: first fit on the first hop, then keeps the wavelength while it is free and
// changes to the lowest free one where the link has a regenerator. Returns 1 when every
// hop is assigned, 0 when the call is blocked after recording exactly one cause (types 0-3,
// keyed by the hop's ends).
int assignWithConversion(const PathLinks& links, HopList& hops, BlockingTypes& blockingTypes,
                         base::ErrorReporter& reporter);

// The whole assignment of one call: the first wavelength in rank order that is free end
// to end, then conversion. `order` is working storage of lambdaCount entries. False when the call
// is blocked (cause recorded, hops empty); otherwise the hops are in `workspace.hops`. With an
// empty `order` nothing is tried and the call is carried with no hop.
// `viewPositions`, when given, holds the position in `view` of each hop's link.
bool assignWavelengths(AssignmentWorkspace& workspace, const network::LinkTable& view,
                       const routing::Path& path, std::span<std::int32_t> order,
                       BlockingTypes& blockingTypes, base::ErrorReporter& reporter,
                       std::span<const std::ptrdiff_t> viewPositions = {});

}  // namespace calls
