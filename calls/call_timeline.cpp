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

void CallList::DueIndex::pushWaiting(Entry entry) {
  if (head_ == inOrder_.size() || !Later{}(inOrder_.back(), entry)) {
    inOrder_.push_back(entry);
    return;
  }
  waiting_.push_back(entry);
  std::push_heap(waiting_.begin(), waiting_.end(), Later{});
}

const CallList::DueIndex::Entry& CallList::DueIndex::earliestWaiting() const {
  if (head_ == inOrder_.size()) return waiting_.front();
  if (waiting_.empty() || Later{}(waiting_.front(), inOrder_[head_])) return inOrder_[head_];
  return waiting_.front();
}

void CallList::DueIndex::popWaiting() const {
  if (head_ < inOrder_.size() && (waiting_.empty() || Later{}(waiting_.front(), inOrder_[head_]))) {
    if (++head_ == inOrder_.size()) {
      inOrder_.clear();
      head_ = 0;
    } else if (head_ > 64 && head_ * 2 > inOrder_.size()) {
      inOrder_.erase(inOrder_.begin(), inOrder_.begin() + static_cast<std::ptrdiff_t>(head_));
      head_ = 0;
    }
    return;
  }
  std::pop_heap(waiting_.begin(), waiting_.end(), Later{});
  waiting_.pop_back();
}

void CallList::DueIndex::insert(Entry entry) {
  if (isDue(entry.tick)) {
    addDue(entry);
  } else {
    pushWaiting(entry);
  }
}

void CallList::DueIndex::erase(std::uint64_t order) {
  // Entries still waiting are dropped when they come to the top of the heap.
  auto found = std::lower_bound(due_.begin(), due_.end(), Entry{0, order}, byOrder);
  if (found != due_.end() && found->order == order) due_.erase(found);
}

void CallList::DueIndex::clear() {
  for (auto* entries : {&waiting_, &inOrder_, &due_}) {
    std::pmr::vector<Entry>(entries->get_allocator()).swap(*entries);
  }
  head_ = 0;
  hasThreshold_ = false;
}

void CallList::DueIndex::moveThresholdTo(std::int32_t t, const CallList& list) {
  if (!hasThreshold_ || t >= threshold_) {
    while (hasWaiting() && earliestWaiting().tick <= t) {
      const Entry entry = earliestWaiting();
      popWaiting();
      if (list.callOf(entry.order) != nullptr) addDue(entry);
    }
  } else {
    auto later = std::stable_partition(due_.begin(), due_.end(),
                                       [t](const Entry& e) { return e.tick <= t; });
    for (auto it = later; it != due_.end(); ++it) pushWaiting(*it);
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
  while (hasWaiting() && list.callOf(earliestWaiting().order) == nullptr) popWaiting();
  if (!hasWaiting()) return false;
  tick = earliestWaiting().tick;
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
    byStart_.insert({call.start_, call.order_});
  } catch (const std::bad_alloc&) {
    dropIndexes();
  }
}

void CallList::indexEnd(const Call& call) {
  if (!indexed_) return;
  try {
    byEnd_.insert({call.end(), call.order_});
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
               shell::ErrorReporter& reporter) {
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
    list.byStart_.erase(call->order_);
    list.byEnd_.erase(call->order_);
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
