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

// Both append at the tail and return the entry; none, and the list unchanged, after
// reporting 1050 (appendHop) or 1051 (appendHopFlagged).
HopAssignment* appendHop(HopList& hops, std::int32_t wavelength, base::ErrorReporter& reporter);
HopAssignment* appendHopFlagged(HopList& hops, std::int32_t wavelength, bool regenerate,
                                base::ErrorReporter& reporter);
// Empties the list; its storage is kept for reuse. Cannot fail.
void freeHops(HopList& hops);
// Replaces `to` with the entries of `from`. When there is no room, reports 1051 and leaves
// `to` empty rather than with a partial list that would no longer pair with the path's hops.
bool copyHops(const HopList& from, HopList& to, base::ErrorReporter& reporter);

// The hops of one path on one link table. The table must not gain or lose links while
// this is in use; counters are read from the table at each use, so they are always
// current. A hop whose link is missing has no free wavelength and no regenerator.
class PathLinks {
 public:
  struct Hop {
    network::NodeId from = network::kNoNode;
    network::NodeId to = network::kNoNode;
    const network::Link* link = nullptr;
    // `lambdaCount()` counters, or none when the link is missing.
    const std::int32_t* freeFibers = nullptr;
  };

  // Takes the path's hops on the table. `positions`, when it has one entry per hop, gives
  // the position of each hop's link in the table (-1 for a missing link), as `positionOf`
  // gives it, and saves looking them up. Throws std::bad_alloc when there is no room for
  // the hops; never for a path no longer than `reserve` has given room for.
  void resolve(const network::LinkTable& table, const routing::Path& path,
               std::span<const std::int32_t> positions = {});
  // Room for paths of up to `hopCount` hops; throws std::bad_alloc when it cannot be had.
  void reserve(std::size_t hopCount) { hops_.reserve(hopCount); }
  std::size_t room() const { return hops_.capacity(); }

  std::size_t hopCount() const { return hops_.size(); }
  // Hop k < hopCount() of the path last resolved.
  const Hop& hop(std::size_t k) const { return hops_[k]; }
  std::int32_t lambdaCount() const { return lambdaCount_; }

 private:
  std::vector<Hop> hops_;
  std::int32_t lambdaCount_ = 0;
};

// Where and why an assignment was blocked, as the report keys it: the cause (types 0 to 3)
// and the ends of the hop at which it stopped. A cause of -1 when no cause was recorded.
struct BlockedAt {
  int cause = -1;
  network::NodeId from = network::kNoNode;
  network::NodeId to = network::kNoNode;
};

// Working storage reused from call to call; only `hops` and `blocked` are meant to be read,
// as `assignWavelengths` leaves them.
struct AssignmentWorkspace {
  // Room for assigning paths of up to `hopCount` hops, with any number of wavelengths:
  // once given, such an assignment allocates nothing but what recording a blocking cause
  // takes, as long as `hops` is only emptied, never swapped or moved away. Room only
  // grows. False, after reporting 1050, when it cannot be had.
  bool reserve(std::size_t hopCount, base::ErrorReporter& reporter) {
    // Mostly asked again for room already given.
    if (links.room() >= hopCount && hops.capacity() >= hopCount) return true;
    return grow(hopCount, reporter);
  }

  PathLinks links;
  // The hop list of the call being assigned.
  HopList hops;
  // For a blocked call, the cause recorded; cleared at every assignment.
  BlockedAt blocked;

 private:
  bool grow(std::size_t hopCount, base::ErrorReporter& reporter);
};

// True when the wavelength is free (counter > 0) on every hop and the path has a hop. The
// entries appended before a busy hop stay in `hops` for the caller to free.
bool tryWavelength(std::int32_t wavelength, const PathLinks& links, HopList& hops,
                   base::ErrorReporter& reporter);

// Hop by hop: first fit on the first hop, then keeps the wavelength while it is free and
// changes to the lowest free one where the link has a regenerator. Returns 1 when every
// hop is assigned (at once for a path without hops), 0 when the call is blocked after
// recording exactly one cause (types 0-3, keyed by the hop's ends), or without a cause
// after a hop could not be stored (1051 reported). The cause recorded is also given in
// `blocked`, when given.
int assignWithConversion(const PathLinks& links, HopList& hops, BlockingTypes& blockingTypes,
                         base::ErrorReporter& reporter, BlockedAt* blocked = nullptr);

// Assigns one call's path on the view. First choice is the wavelength below
// `order.size()` that is free (counter > 0) on every hop with the greatest total of free
// counters along the path, the lowest among equal totals: every hop takes it. Failing
// that, `assignWithConversion`. Only the size of `order` is used; an empty `order` carries
// the call with no hop.
// True when the call is carried, with one entry per hop in `workspace.hops`. False when
// it is blocked, with `workspace.hops` empty and one cause recorded, or with no cause
// after reporting 1050 when the workspace had no room for the path and could not be given
// it (see `AssignmentWorkspace::reserve`).
// `viewPositions`, when it has one entry per hop, holds the position in `view` of each
// hop's link (-1 for a missing one), and saves looking them up.
bool assignWavelengths(AssignmentWorkspace& workspace, const network::LinkTable& view,
                       const routing::Path& path, std::span<const std::int32_t> order,
                       BlockingTypes& blockingTypes, base::ErrorReporter& reporter,
                       std::span<const std::int32_t> viewPositions = {});

}  // namespace calls
