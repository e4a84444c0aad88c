#include "run/view_sync.h"

#include <algorithm>

namespace run {

namespace {

constexpr std::uint64_t kTicks = std::uint64_t{1} << 32;

// The checks of ticks next..last of one stretch that does not cross tick 0 (unsigned).
void checkStretch(std::uint32_t& lastRefresh, std::uint32_t interval, std::uint64_t next,
                  std::uint64_t last, bool& refreshed) {
  while (next <= last) {
    const std::uint64_t due = (std::uint64_t{lastRefresh} + interval) % kTicks;
    const std::uint64_t dueAt = std::max(next, due);
    if (dueAt > last) return;
    refreshed = true;
    if (interval == 0 || dueAt + interval >= kTicks) {
      // From here every tick is due.
      lastRefresh = static_cast<std::uint32_t>(last);
      return;
    }
    const std::uint64_t steps = (last - dueAt) / interval;
    lastRefresh = static_cast<std::uint32_t>(dueAt + steps * interval);
    next = std::uint64_t{lastRefresh} + 1;
  }
}

}  // namespace

CheckResult applyRefreshChecks(std::int32_t lastRefresh, std::int32_t interval, std::int32_t first,
                               std::uint64_t count) {
  auto refresh = static_cast<std::uint32_t>(lastRefresh);
  const auto step = static_cast<std::uint32_t>(interval);
  std::uint64_t start = static_cast<std::uint32_t>(first);
  bool refreshed = false;
  while (count > 0) {
    const std::uint64_t length = std::min(count, kTicks - start);
    checkStretch(refresh, step, start, start + length - 1, refreshed);
    count -= length;
    start = 0;
  }
  return {static_cast<std::int32_t>(refresh), refreshed};
}

void LiveChanges::reset(const network::LinkTable& live) {
  regeneratorStamp_.assign(live.size(), 0);
  version_ = 0;
  std::int32_t arrays = 0;
  for (const network::Link& link : live.links()) arrays = std::max(arrays, link.counterArray + 1);
  arrayStamp_.assign(static_cast<std::size_t>(arrays), 0);
}

namespace {

void copyLink(network::LinkTable& to, std::size_t target, const network::LinkTable& from,
              std::size_t source, bool counters, bool regenerators) {
  if (counters) {
    std::copy_n(from.freeFibers(from[source]), static_cast<std::size_t>(from.lambdaCount()),
                to.freeFibers(to[target]));
  }
  if (regenerators) to[target].regenerators = from[source].regenerators;
}

}  // namespace

void catchUpView(ViewSync& sync, const network::LinkTable& live, const LiveChanges& changes) {
  if (!sync.pending) return;
  network::LinkTable& links = *sync.table;
  const bool all = !sync.everCopied;
  for (const ViewSync::LinkPositions& at : sync.positions) {
    copyLink(links, at.view, live, at.live,
             all || changes.countersStamp(live[at.live]) > sync.copiedAt,
             all || changes.regeneratorsStamp(at.live) > sync.copiedAt);
  }
  sync.pending = false;
  sync.everCopied = true;
  sync.copiedAt = changes.version();
}

}  // namespace run
