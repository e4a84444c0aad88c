// The calls a source has read and not yet removed, and the searches for due calls.
#include "calls/call_timeline.h"

#include <iterator>
#include <new>

namespace calls {

void CallList::DueIndex::insert(Key key, Call* call) {
  if (isDue(key.first)) {
    due_.emplace(key, call);
  } else {
    waiting_.emplace(key, call);
  }
}

void CallList::DueIndex::erase(Key key) {
  if (isDue(key.first)) {
    due_.erase(key);
  } else {
    waiting_.erase(key);
  }
}

void CallList::DueIndex::clear() {
  waiting_.clear();
  due_.clear();
  hasThreshold_ = false;
}

void CallList::DueIndex::moveThresholdTo(std::int32_t t) {
  if (!hasThreshold_ || t >= threshold_) {
    while (!waiting_.empty() && waiting_.begin()->first.first <= t) {
      due_.insert(waiting_.extract(waiting_.begin()));
    }
  } else {
    for (auto it = due_.begin(); it != due_.end();) {
      auto current = it++;
      if (current->first.first > t) waiting_.insert(due_.extract(current));
    }
  }
  hasThreshold_ = true;
  threshold_ = t;
}

template <typename Drop>
Call* CallList::DueIndex::latestDueBefore(std::int32_t t, std::uint64_t before, Drop drop) {
  moveThresholdTo(t);
  auto bound = due_.lower_bound(Key{0, before});
  while (bound != due_.begin()) {
    auto candidate = std::prev(bound);
    if (!drop(*candidate->second)) return candidate->second;
    due_.erase(candidate);
  }
  return nullptr;
}

Call* pushCall(CallList& list, std::int32_t start, std::int32_t duration,
               shell::ErrorReporter& reporter) {
  const std::uint64_t order = list.nextOrder_;
  Call* call = nullptr;
  try {
    call = &list.calls_.try_emplace(order).first->second;
    call->start_ = start;
    call->duration_ = duration;
    call->order_ = order;
    list.byStart_.insert({start, order}, call);
    list.byEnd_.insert({call->end(), order}, call);
  } catch (const std::bad_alloc&) {
    if (call != nullptr) {
      list.byStart_.erase({start, order});
      list.calls_.erase(order);
    }
    reporter.reportError(310);
    return nullptr;
  }
  ++list.nextOrder_;
  return call;
}

bool findNextCall(CallList& list, CallCursor& cursor, std::int32_t t, CallSearch mode) {
  const std::uint64_t before =
      cursor.call == nullptr ? std::numeric_limits<std::uint64_t>::max() : cursor.call->order_;
  Call* found = nullptr;
  if (mode == CallSearch::kStarting) {
    // A started call is never due to start again, so it can leave the start index.
    found = list.byStart_.latestDueBefore(t, before, [](const Call& c) { return c.active; });
  } else {
    found = list.byEnd_.latestDueBefore(t, before, [](const Call&) { return false; });
  }
  if (found == nullptr) return false;
  cursor.call = found;
  return true;
}

void removeCall(CallList& list, CallCursor& cursor) {
  Call* call = cursor.call;
  if (call == nullptr) return;
  list.byStart_.erase({call->start_, call->order_});
  list.byEnd_.erase({call->end(), call->order_});
  list.calls_.erase(call->order_);
  cursor.clear();
}

void freeCalls(CallList& list) {
  list.byStart_.clear();
  list.byEnd_.clear();
  list.calls_.clear();
}

}  // namespace calls
