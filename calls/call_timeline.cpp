// The calls a source has read and not yet removed, and the searches for due calls.
#include "calls/call_timeline.h"

#include <limits>
#include <new>

namespace calls {

namespace {

bool endsAfterStart(const Call& call) {
  return call.end() > call.start();
}

}  // namespace

Call* pushCall(CallList& list, std::int32_t start, std::int32_t duration,
               base::ErrorReporter& reporter) {
  Call* call = nullptr;
  try {
    list.byStart_.makeRoom();
    list.byEnd_.makeRoom();
    call = &list.calls_.push(start, duration);
  } catch (const std::bad_alloc&) {
    reporter.reportError(310);
    return nullptr;
  }
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
  Call* found = index.latestDueBefore(before, list.calls_);
  if (found == nullptr) return false;
  cursor.call = found;
  return true;
}

void markStarted(CallList& list, Call& call) {
  if (call.active()) return;
  list.calls_.markStarted(call);
  list.byStart_.stopsHolding(CallSlots::orderOf(call), list.calls_);
  if (endsAfterStart(call)) list.byEnd_.insert(call);
}

void removeCall(CallList& list, CallCursor& cursor) {
  Call* call = cursor.call;
  if (call == nullptr) return;
  cursor.clear();
  const std::uint64_t order = CallSlots::orderOf(*call);
  // The room promised for its end is not needed any more.
  if (!call->active() && endsAfterStart(*call)) list.byEnd_.giveUp();
  list.calls_.remove(*call);
  list.byStart_.stopsHolding(order, list.calls_);
  list.byEnd_.stopsHolding(order, list.calls_);
}

void freeCalls(CallList& list) {
  list.byStart_.clear();
  list.byEnd_.clear();
  list.calls_.clear();
}

}  // namespace calls
