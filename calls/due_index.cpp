// The calls of a list indexed by start or by end: the room made ahead and the searches.
#include "calls/due_index.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

namespace calls {

namespace {

// Twice the room at least, so that making room one entry at a time costs amortised
// constant time.
std::size_t grownRoom(std::size_t room, std::size_t needed) {
  return room >= needed ? room : std::max(needed, 2 * room);
}

}  // namespace

void DueIndex::makeRoom() {
  if (by_ == DueTick::kStart) inOrder_.makeRoom();
  // Any call held may come to wait in the heap, or to be due, all at once.
  const std::size_t due = entries_.size() - dueFrom_;
  const std::size_t needed = inOrder_.size() + heapSize_ + due + promised_ + 1;
  if (entries_.size() >= needed) return;
  UnfilledRoom<Entry> larger(entries_.memory(), grownRoom(entries_.size(), needed));
  std::copy_n(entries_.begin(), heapSize_, larger.begin());
  std::copy(dueBegin(), entries_.end(), larger.end() - due);
  entries_.swap(larger);
  dueFrom_ = entries_.size() - due;
}

const Call* DueIndex::held(std::uint64_t order, const CallSlots& calls) const {
  const Call* call = calls.find(order);
  return call != nullptr && (by_ == DueTick::kEnd || !call->active()) ? call : nullptr;
}

Call* DueIndex::held(std::uint64_t order, CallSlots& calls) const {
  return const_cast<Call*>(held(order, static_cast<const CallSlots&>(calls)));
}

void DueIndex::insert(const Call& call) {
  assert(promised_ > 0 && "a call is put in only with room promised");
  --promised_;
  const Entry entry{tickOf(call), CallSlots::orderOf(call)};
  if (isDue(entry.tick)) {
    addDue(entry);
  } else if (by_ == DueTick::kStart && (inOrder_.empty() || entry.tick >= lastQueuedTick_)) {
    if (inOrder_.empty()) queueFrontTick_ = entry.tick;
    inOrder_.push(entry.order);
    lastQueuedTick_ = entry.tick;
  } else {
    pushHeap(entry);
  }
}

namespace {

// Heap order: the top is the earliest tick, and of those the oldest call.
struct Later {
  template <typename Entry>
  bool operator()(const Entry& a, const Entry& b) const {
    return a.tick != b.tick ? a.tick > b.tick : a.order > b.order;
  }
};

}  // namespace

bool DueIndex::queueFirst() const {
  if (inOrder_.empty()) return false;
  return heapEmpty() || Later{}(heapTop(), Entry{queueFrontTick_, inOrder_.front()});
}

void DueIndex::pushHeap(Entry entry) {
  // Room is made ahead by every push; writing past it would corrupt memory unseen.
  if (heapSize_ >= dueFrom_) [[unlikely]] std::abort();
  entries_.begin()[heapSize_++] = entry;
  std::push_heap(entries_.begin(), entries_.begin() + heapSize_, Later{});
}

void DueIndex::popHeap() {
  std::pop_heap(entries_.begin(), entries_.begin() + heapSize_, Later{});
  --heapSize_;
}

void DueIndex::popQueue(CallSlots& calls) {
  inOrder_.pop();
  while (!inOrder_.empty()) {
    if (const Call* call = held(inOrder_.front(), calls)) {
      queueFrontTick_ = tickOf(*call);
      return;
    }
    inOrder_.pop();
  }
}

DueIndex::Entry* DueIndex::dueBelow(std::uint64_t order) const {
  return std::partition_point(dueBegin(), entries_.end(),
                              [order](const Entry& e) { return e.order >= order; });
}

void DueIndex::addDue(Entry entry) {
  // Room is made ahead by every push; writing past it would corrupt memory unseen.
  if (heapSize_ >= dueFrom_) [[unlikely]] std::abort();
  // Mostly the newest call, which goes first: then nothing moves.
  Entry* at = dueBelow(entry.order);
  Entry* from = dueBegin();
  std::move(from, at, from - 1);
  --dueFrom_;
  *(at - 1) = entry;
}

DueIndex::Entry* DueIndex::dropDue(Entry* at) {
  std::move_backward(dueBegin(), at, at + 1);
  ++dueFrom_;
  return at + 1;
}

void DueIndex::dropFronts(CallSlots& calls) {
  while (!heapEmpty() && held(heapTop().order, calls) == nullptr) popHeap();
  if (!inOrder_.empty() && held(inOrder_.front(), calls) == nullptr) popQueue(calls);
}

void DueIndex::moveDueTick(std::int32_t t, CallSlots& calls) {
  if (!hasDueTick_ || t >= dueTick_) {
    bool popped = false;
    for (;;) {
      const bool fromQueue = queueFirst();
      if (!fromQueue && heapEmpty()) break;
      const Entry entry = fromQueue ? Entry{queueFrontTick_, inOrder_.front()} : heapTop();
      if (entry.tick > t) break;
      if (fromQueue) {
        popQueue(calls);
      } else {
        popHeap();
      }
      popped = true;
      if (held(entry.order, calls) != nullptr) addDue(entry);
    }
    if (popped) dropFronts(calls);
  } else {
    // Back in time: the calls no longer due gather at the front of the due ones, the
    // others keeping their order behind them, and go back to the heap one by one.
    Entry* kept = entries_.end();
    for (Entry* at = entries_.end(); at != dueBegin();) {
      --at;
      if (at->tick <= t) std::iter_swap(at, --kept);
    }
    while (dueBegin() != kept) {
      const Entry entry = *dueBegin();
      ++dueFrom_;
      if (held(entry.order, calls) != nullptr) pushHeap(entry);
    }
  }
  hasDueTick_ = true;
  dueTick_ = t;
}

Call* DueIndex::latestDueBefore(std::uint64_t before, CallSlots& calls) {
  for (Entry* at = dueBelow(before); at != entries_.end(); at = dropDue(at)) {
    if (Call* call = held(at->order, calls)) return call;
  }
  return nullptr;
}

void DueIndex::stopsHolding(std::uint64_t order, CallSlots& calls) {
  const bool atFront = (!heapEmpty() && heapTop().order == order) ||
                       (!inOrder_.empty() && inOrder_.front() == order);
  if (atFront) dropFronts(calls);
}

bool DueIndex::earliestWaiting(std::int32_t& tick) const {
  if (queueFirst()) {
    tick = queueFrontTick_;
  } else if (!heapEmpty()) {
    tick = heapTop().tick;
  } else {
    return false;
  }
  return true;
}

void DueIndex::prefetch(const CallSlots& calls) const {
  if (!inOrder_.empty()) {
    if (const Call* call = calls.find(inOrder_.front())) __builtin_prefetch(call);
  }
  if (!heapEmpty()) __builtin_prefetch(entries_.begin());
  if (dueBegin() != entries_.end()) __builtin_prefetch(dueBegin());
}

void DueIndex::clear() {
  dropEntries();
  hasDueTick_ = false;
}

void DueIndex::dropEntries() {
  inOrder_.clear();
  entries_ = UnfilledRoom<Entry>(entries_.memory());
  heapSize_ = 0;
  dueFrom_ = 0;
  promised_ = 0;
}

}  // namespace calls
