// The calls a source has read and not yet removed, and the searches for due calls.
#include "calls/call_timeline.h"

#include <limits>
#include <new>

namespace calls {

namespace {

bool endsAfterStart(const Call& call) {
  return call.end() > call.start();
}

// Whether an index by start, or by end, holds the call (see DueIndex).
bool heldBy(DueTick by, const Call& call) {
  return by == DueTick::kStart ? !call.active() : call.active() || !endsAfterStart(call);
}

std::int32_t tickOf(DueTick by, const Call& call) {
  return by == DueTick::kStart ? call.start() : call.end();
}

// A list is indexed once a walk would pass this many slots, and walked again once it is
// down to the other figure: far enough apart that indexes are seldom made twice.
constexpr std::size_t kIndexedFrom = 16;
constexpr std::size_t kWalkedFrom = 4;

}  // namespace

void CallList::index() {
  DueIndex byStart(memory_, DueTick::kStart);
  DueIndex byEnd(memory_, DueTick::kEnd);
  byStart.copyDueTick(byStart_);
  byEnd.copyDueTick(byEnd_);
  calls_.forEachOldestFirst([&](const Call& call) {
    byStart.makeRoom();
    byEnd.makeRoom();
    if (heldBy(DueTick::kStart, call)) {
      byStart.promise();
      byStart.insert(call);
    }
    // A call not started keeps room for its end, as if pushed now.
    byEnd.promise();
    if (heldBy(DueTick::kEnd, call)) byEnd.insert(call);
  });
  byStart_ = std::move(byStart);
  byEnd_ = std::move(byEnd);
  indexed_ = true;
}

CallList::Earliest CallList::earliest() const {
  Earliest found;
  if (indexed_) {
    found.starts = byStart_.earliestWaiting(found.start);
    found.ends = byEnd_.earliestWaiting(found.end);
    return found;
  }
  // One walk for both: the lists walked are short, but walked at every step.
  calls_.forEachNewestFirst([&](const Call& call) {
    if (heldBy(DueTick::kStart, call) && !byStart_.due(call.start())) {
      if (!found.starts || call.start() < found.start) found.start = call.start();
      found.starts = true;
    }
    if (heldBy(DueTick::kEnd, call) && !byEnd_.due(call.end())) {
      if (!found.ends || call.end() < found.end) found.end = call.end();
      found.ends = true;
    }
  });
  return found;
}

Call* pushCall(CallList& list, std::int32_t start, std::int32_t duration,
               base::ErrorReporter& reporter) {
  Call* call = nullptr;
  try {
    if (!list.indexed_ && list.calls_.slotCount() + 1 >= kIndexedFrom) list.index();
    if (list.indexed_) {
      list.byStart_.makeRoom();
      list.byEnd_.makeRoom();
    }
    call = &list.calls_.push(start, duration);
  } catch (const std::bad_alloc&) {
    reporter.reportError(310);
    return nullptr;
  }
  if (!list.indexed_) return call;
  list.byStart_.promise();
  list.byStart_.insert(*call);
  list.byEnd_.promise();
  if (!endsAfterStart(*call)) list.byEnd_.insert(*call);
  return call;
}

bool findNextCall(CallList& list, CallCursor& cursor, std::int32_t t, CallSearch mode) {
  const std::uint64_t before = cursor.call == nullptr ? std::numeric_limits<std::uint64_t>::max()
                                                      : CallSlots::orderOf(*cursor.call);
  DueIndex& index = mode == CallSearch::kStarting ? list.byStart_ : list.byEnd_;
  index.advanceTo(t, list.calls_);
  Call* found = nullptr;
  if (list.indexed_) {
    found = index.latestDueBefore(before, list.calls_);
  } else {
    const DueTick by = mode == CallSearch::kStarting ? DueTick::kStart : DueTick::kEnd;
    found = list.calls_.newestBefore(
        before, [by, t](const Call& call) { return heldBy(by, call) && tickOf(by, call) <= t; });
  }
  if (found == nullptr) return false;
  cursor.call = found;
  return true;
}

void markStarted(CallList& list, Call& call) {
  if (call.active()) return;
  list.calls_.markStarted(call);
  if (!list.indexed_) return;
  list.byStart_.stopsHolding(CallSlots::orderOf(call), list.calls_);
  if (endsAfterStart(call)) list.byEnd_.insert(call);
}

void removeCall(CallList& list, CallCursor& cursor) {
  Call* call = cursor.call;
  if (call == nullptr) return;
  cursor.clear();
  const std::uint64_t order = CallSlots::orderOf(*call);
  if (!list.indexed_) {
    list.calls_.remove(*call);
    return;
  }
  // The room promised for its end is not needed any more.
  if (!call->active() && endsAfterStart(*call)) list.byEnd_.giveUp();
  list.calls_.remove(*call);
  if (list.calls_.slotCount() <= kWalkedFrom) {
    list.byStart_.dropEntries();
    list.byEnd_.dropEntries();
    list.indexed_ = false;
    return;
  }
  list.byStart_.stopsHolding(order, list.calls_);
  list.byEnd_.stopsHolding(order, list.calls_);
}

void freeCalls(CallList& list) {
  list.byStart_.clear();
  list.byEnd_.clear();
  list.calls_.clear();
}

}  // namespace calls
