// The calls a source has read and not yet removed, and the searches for due calls.
#include "calls/call_timeline.h"

#include <algorithm>
#include <new>

namespace calls {

const Call* CallList::callOf(std::uint64_t order) const {
  if (order < firstOrder_ || order - firstOrder_ >= slots_.size()) return nullptr;
  const Call& call = slots_[order - firstOrder_];
  return call.removed_ ? nullptr : &call;
}

void CallList::DueIndex::addDue(Entry entry) {
  due_.insert(std::upper_bound(due_.begin(), due_.end(), entry, byOrder), entry);
}

void CallList::DueIndex::pushWaiting(Entry entry, const CallList& list, bool newest) {
  if (queueInSlots_ && newest && (queued_ == 0 || entry.tick >= lastQueuedTick_)) {
    const Call* call = list.callOf(entry.order);
    if (queued_ == 0) queueHead_ = entry.order;
    call->queued_ = true;
    ++queued_;
    lastQueuedTick_ = entry.tick;
    return;
  }
  waiting_.push_back(entry);
  std::push_heap(waiting_.begin(), waiting_.end(), Later{});
}

// Queued calls are never removed ones, and slots before firstOrder_ hold none.
const Call& CallList::DueIndex::queueFront(const CallList& list) const {
  queueHead_ = std::max(queueHead_, list.firstOrder_);
  while (!list.slots_[queueHead_ - list.firstOrder_].queued_) ++queueHead_;
  return list.slots_[queueHead_ - list.firstOrder_];
}

bool CallList::DueIndex::queueFirst(const CallList& list) const {
  if (queued_ == 0) return false;
  if (waiting_.empty()) return true;
  const Call& front = queueFront(list);
  return Later{}(waiting_.front(), Entry{front.start_, front.order_});
}

CallList::DueIndex::Entry CallList::DueIndex::earliestWaiting(const CallList& list) const {
  if (!queueFirst(list)) return waiting_.front();
  const Call& front = queueFront(list);
  return {front.start_, front.order_};
}

void CallList::DueIndex::popWaiting(const CallList& list) const {
  if (queueFirst(list)) {
    queueFront(list).queued_ = false;
    --queued_;
    ++queueHead_;
    return;
  }
  std::pop_heap(waiting_.begin(), waiting_.end(), Later{});
  waiting_.pop_back();
}

void CallList::DueIndex::insert(Entry entry, const CallList& list, bool newest) {
  if (isDue(entry.tick)) {
    addDue(entry);
  } else {
    pushWaiting(entry, list, newest);
  }
}

void CallList::DueIndex::erase(const Call& call) {
  if (queueInSlots_ && call.queued_) {
    call.queued_ = false;
    --queued_;
  }
  // Entries still waiting in the heap are dropped when they come to its top.
  auto found = std::lower_bound(due_.begin(), due_.end(), Entry{0, call.order_}, byOrder);
  if (found != due_.end() && found->order == call.order_) due_.erase(found);
}

void CallList::DueIndex::clear() {
  for (auto* entries : {&waiting_, &due_}) {
    std::pmr::vector<Entry>(entries->get_allocator()).swap(*entries);
  }
  queueHead_ = 0;
  queued_ = 0;
  hasThreshold_ = false;
}

void CallList::DueIndex::prefetch(const CallList& list) const {
  if (queued_ > 0 && queueHead_ >= list.firstOrder_ &&
      queueHead_ - list.firstOrder_ < list.slots_.size()) {
    __builtin_prefetch(&list.slots_[queueHead_ - list.firstOrder_]);
  }
  if (!waiting_.empty()) __builtin_prefetch(waiting_.data());
  if (!due_.empty()) __builtin_prefetch(due_.data());
}

void CallList::DueIndex::moveThresholdTo(std::int32_t t, const CallList& list) {
  if (!hasThreshold_ || t >= threshold_) {
    while (hasWaiting() && earliestWaiting(list).tick <= t) {
      const Entry entry = earliestWaiting(list);
      popWaiting(list);
      if (list.callOf(entry.order) != nullptr) addDue(entry);
    }
  } else {
    auto later = std::stable_partition(due_.begin(), due_.end(),
                                       [t](const Entry& e) { return e.tick <= t; });
    for (auto it = later; it != due_.end(); ++it) pushWaiting(*it, list, false);
    due_.erase(later, due_.end());
  }
  hasThreshold_ = true;
  threshold_ = t;
}

template <typename Drop>
Call* CallList::DueIndex::latestDueBefore(std::int32_t t, std::uint64_t before, CallList& list,
                                          Drop drop) {
  moveThresholdTo(t, list);
  auto bound = std::lower_bound(due_.begin(), due_.end(), Entry{0, before}, byOrder);
  while (bound != due_.begin()) {
    auto candidate = std::prev(bound);
    Call* call = list.callOf(candidate->order);
    if (call != nullptr && !drop(*call)) return call;
    bound = due_.erase(candidate);
  }
  return nullptr;
}

bool CallList::DueIndex::earliestAhead(std::int32_t& tick, const CallList& list) const {
  while (hasWaiting() && list.callOf(earliestWaiting(list).order) == nullptr) popWaiting(list);
  if (!hasWaiting()) return false;
  tick = earliestWaiting(list).tick;
  return true;
}

const Call* CallList::newest() const {
  if (slots_.empty()) return nullptr;
  // The oldest slot always holds a call, so the hops end on one.
  const std::size_t top = slots_.size() - 1;
  std::size_t live = top;
  while (slots_[live].removed_) live -= slots_[live].skipBack_;
  // Every slot passed now points straight at it, so no later search passes them again.
  for (std::size_t at = top; at != live;) {
    const std::size_t next = at - slots_[at].skipBack_;
    slots_[at].skipBack_ = static_cast<std::uint32_t>(
        std::min<std::size_t>(at - live, std::numeric_limits<std::uint32_t>::max()));
    at = next;
  }
  return &slots_[live];
}

void CallList::indexStart(const Call& call) {
  if (!indexed_) return;
  try {
    byStart_.insert({call.start_, call.order_}, *this, true);
  } catch (const std::bad_alloc&) {
    dropIndexes();
  }
}

void CallList::indexEnd(const Call& call) {
  if (!indexed_) return;
  try {
    byEnd_.insert({call.end(), call.order_}, *this, false);
  } catch (const std::bad_alloc&) {
    dropIndexes();
  }
}

void CallList::dropIndexes() {
  indexed_ = false;
  byStart_.clear();
  byEnd_.clear();
}

namespace {

bool dueAt(const Call& call, std::int32_t t, CallSearch mode) {
  if (mode == CallSearch::kStarting) return call.start() <= t && !call.active();
  return call.end() <= t && (call.active() || call.end() <= call.start());
}

}  // namespace

Call* CallList::scanFor(std::uint64_t before, std::int32_t t, CallSearch mode) {
  for (std::uint64_t order = std::min(before, nextOrder_); order > firstOrder_; --order) {
    Call* call = callOf(order - 1);
    if (call != nullptr && dueAt(*call, t, mode)) return call;
  }
  return nullptr;
}

bool CallList::earliestWaitingStart(std::int32_t& tick) const {
  if (indexed_) return byStart_.earliestAhead(tick, *this);
  bool found = false;
  forEachNewestFirst([&](const Call& call) {
    if (call.active()) return;
    tick = found ? std::min(tick, call.start()) : call.start();
    found = true;
  });
  return found;
}

bool CallList::earliestEnd(std::int32_t& tick) const {
  if (indexed_) return byEnd_.earliestAhead(tick, *this);
  bool found = false;
  forEachNewestFirst([&](const Call& call) {
    if (!call.active() && call.endsAfterStart()) return;
    tick = found ? std::min(tick, call.end()) : call.end();
    found = true;
  });
  return found;
}

Call* pushCall(CallList& list, std::int32_t start, std::int32_t duration,
               base::ErrorReporter& reporter) {
  const std::uint64_t order = list.nextOrder_;
  try {
    if (list.slots_.empty()) list.firstOrder_ = order;
    list.slots_.emplace_back();
  } catch (const std::bad_alloc&) {
    reporter.reportError(310);
    return nullptr;
  }
  Call& call = list.slots_.back();
  call.start_ = start;
  call.duration_ = duration;
  call.order_ = order;
  ++list.live_;
  ++list.nextOrder_;
  list.indexStart(call);
  if (!call.endsAfterStart()) list.indexEnd(call);
  return &call;
}

bool findNextCall(CallList& list, CallCursor& cursor, std::int32_t t, CallSearch mode) {
  const std::uint64_t before =
      cursor.call == nullptr ? std::numeric_limits<std::uint64_t>::max() : cursor.call->order_;
  Call* found = nullptr;
  if (list.indexed_) {
    try {
      if (mode == CallSearch::kStarting) {
        // A started call is never due to start again, so it can leave the start index.
        found =
            list.byStart_.latestDueBefore(t, before, list, [](const Call& c) { return c.active_; });
      } else {
        found = list.byEnd_.latestDueBefore(t, before, list, [](const Call&) { return false; });
      }
    } catch (const std::bad_alloc&) {
      list.dropIndexes();
    }
  }
  if (!list.indexed_) found = list.scanFor(before, t, mode);
  if (found == nullptr) return false;
  cursor.call = found;
  return true;
}

void markStarted(CallList& list, Call& call) {
  if (call.active_) return;
  call.active_ = true;
  if (call.endsAfterStart()) list.indexEnd(call);
}

void removeCall(CallList& list, CallCursor& cursor) {
  Call* call = cursor.call;
  if (call == nullptr) return;
  call->removed_ = true;
  call->skipBack_ = 1;
  if (list.indexed_) {
    list.byStart_.erase(*call);
    list.byEnd_.erase(*call);
  }
  freeHops(call->hops);
  HopList().swap(call->hops);
  --list.live_;
  // The oldest calls, once removed, give their room back.
  while (!list.slots_.empty() && list.slots_.front().removed_) {
    list.slots_.pop_front();
    ++list.firstOrder_;
  }
  cursor.clear();
}

void freeCalls(CallList& list) {
  list.byStart_.clear();
  list.byEnd_.clear();
  list.indexed_ = true;
  list.slots_.clear();
  list.live_ = 0;
}

}  // namespace calls
