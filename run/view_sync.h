// Keeps each pair's view in step with the live network lazily: a refresh is recorded when
// it falls due and carried out only when the view is next read or written, unless a later
// refresh is bound to replace it first; then only the links the pair's paths use, and only
// those changed since the view last caught up, are copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "network/link_state_view.h"
#include "network/link_table.h"

namespace run {

// True when a view last refreshed at `lastRefresh` is due at tick t; the comparison is
// made on the two values as unsigned 32-bit numbers.
inline bool refreshDue(std::int32_t t, std::int32_t lastRefresh, std::int32_t interval) {
  return static_cast<std::uint32_t>(t) >=
         static_cast<std::uint32_t>(lastRefresh) + static_cast<std::uint32_t>(interval);
}

struct CheckResult {
  std::int32_t lastRefresh;
  bool refreshed;
};

// Applies one refresh check per tick to `count` consecutive ticks from `first` (wrapping
// at 32 bits), in constant time, as checking tick by tick would.
CheckResult applyRefreshChecks(std::int32_t lastRefresh, std::int32_t interval, std::int32_t first,
                               std::uint64_t count);

// Which live changes happened since a given moment.
class LiveChanges {
 public:
  // Sizes the stamps for the live table's links and counter arrays, all unchanged.
  void reset(const network::LinkTable& live);
  void countersChanged(const network::Link& link) {
    arrayStamp_[static_cast<std::size_t>(link.counterArray)] = ++version_;
  }
  void regeneratorsChanged(std::size_t position) { regeneratorStamp_[position] = ++version_; }
  std::uint64_t version() const { return version_; }
  std::uint64_t countersStamp(const network::Link& link) const {
    return arrayStamp_[static_cast<std::size_t>(link.counterArray)];
  }
  std::uint64_t regeneratorsStamp(std::size_t position) const {
    return regeneratorStamp_[position];
  }

 private:
  std::vector<std::uint64_t> arrayStamp_;
  std::vector<std::uint64_t> regeneratorStamp_;
  std::uint64_t version_ = 0;
};

// One view during a run.
struct ViewSync {
  network::LinkStateView* view = nullptr;
  // What the pair reads and writes: its view's links, or the live table itself when views
  // follow it (PairViews).
  network::LinkTable* table = nullptr;
  // The links that the pair's candidate paths use, the only ones read or written through
  // this view: their positions in the live table and in the view's own.
  struct LinkPositions {
    std::uint32_t live;
    std::uint32_t view;
  };
  std::vector<LinkPositions> positions;
  // A refresh is recorded and not yet copied.
  bool pending = false;
  bool everCopied = false;
  std::uint64_t copiedAt = 0;
  // The last tick whose refresh checks have been applied, counted from the run's start.
  std::int64_t checkedThrough = -1;
  // First and last of the pair's sources in list order.
  std::size_t firstSource = 0;
  std::size_t lastSource = 0;
};

// Carries out a recorded refresh, if any: copies from the live table what the view needs,
// that is every link the view uses at its first copy, and later only those changed since
// the copy before.
void catchUpView(ViewSync& sync, const network::LinkTable& live, const LiveChanges& changes);

}  // namespace run
