// The calls of a list indexed by their start or by their end, to find those due at a tick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>

#include "calls/call_slots.h"
#include "calls/order_queue.h"
#include "calls/unfilled_room.h"

namespace calls {

// Which tick of a call an index goes by. A start index holds the calls not started; an
// end index holds every call put in, until it is removed.
enum class DueTick { kStart, kEnd };

// The index keeps a due tick, set by the searches: calls whose tick is at or below it are
// due, the others wait. Only makeRoom allocates: a call's entry is promised once its room
// is made, and put in (or given up) later, when nothing may fail.
//
// Every call given to the index must be in `calls`, the same slots at every use.
class DueIndex {
 public:
  DueIndex(std::pmr::memory_resource* memory, DueTick by)
      : inOrder_(memory), entries_(memory), by_(by) {}

  // Room for one more promise. May throw std::bad_alloc, leaving the index as it was.
  void makeRoom();
  // Takes the room made by the last makeRoom for a call to come.
  void promise() { ++promised_; }
  // For a promised call that will not come.
  void giveUp() { --promised_; }
  // Puts in a promised call, which must be one the index holds; a start index takes its
  // calls in the order they were pushed. Never allocates.
  void insert(const Call& call);

  // Sets the due tick to `t`. Never allocates.
  void advanceTo(std::int32_t t, CallSlots& calls) {
    // Every search of an unindexed list comes here, with nothing to move.
    if (heapEmpty() && inOrder_.empty() && dueBegin() == entries_.end()) {
      hasDueTick_ = true;
      dueTick_ = t;
      return;
    }
    moveDueTick(t, calls);
  }
  // Of the due calls held, the one with the greatest reading order below `before`, or
  // none. Never allocates.
  Call* latestDueBefore(std::uint64_t before, CallSlots& calls);
  // To be told as soon as `calls` shows that the index no longer holds the call read in
  // `order` (started, for a start index, or removed), so that earliestWaiting never gives
  // its tick. Never allocates.
  void stopsHolding(std::uint64_t order, CallSlots& calls);

  // The earliest tick above the due tick among the calls held (among all of them before
  // the first advanceTo); false when none.
  bool earliestWaiting(std::int32_t& tick) const;
  // Whether a call of this tick would be due.
  bool due(std::int32_t tick) const { return isDue(tick); }
  // Takes the other index's due tick; for an index that holds no call.
  void copyDueTick(const DueIndex& other) {
    hasDueTick_ = other.hasDueTick_;
    dueTick_ = other.dueTick_;
  }

  // Asks the processor for what the next search reads first.
  void prefetch(const CallSlots& calls) const;
  // Empties the index, promises included, and gives its memory back.
  void clear();
  // The same, keeping the due tick.
  void dropEntries();

 private:
  struct Entry {
    std::int32_t tick;
    std::uint64_t order;
  };

  std::int32_t tickOf(const Call& call) const {
    return by_ == DueTick::kStart ? call.start() : call.end();
  }
  void moveDueTick(std::int32_t t, CallSlots& calls);
  const Call* held(std::uint64_t order, const CallSlots& calls) const;
  Call* held(std::uint64_t order, CallSlots& calls) const;
  bool isDue(std::int32_t tick) const { return hasDueTick_ && tick <= dueTick_; }
  // True when the queue's front comes before the heap's top.
  bool queueFirst() const;
  bool heapEmpty() const { return heapSize_ == 0; }
  const Entry& heapTop() const { return *entries_.begin(); }
  void pushHeap(Entry entry);
  void popHeap();
  // Pops the queue's front and moves on to the next call held.
  void popQueue(CallSlots& calls);
  Entry* dueBegin() const { return entries_.begin() + dueFrom_; }
  // The first due entry whose order is below `order`.
  Entry* dueBelow(std::uint64_t order) const;
  void addDue(Entry entry);
  // Drops the due entry at `at`; gives the one that followed it.
  Entry* dropDue(Entry* at);
  // Pops entries while the heap's top, or the queue's front, is not held.
  void dropFronts(CallSlots& calls);

  // Calls waiting to start that were put in with their starts in order, as a source's
  // mostly are: a queue that costs next to no room, since it reads the ticks from the
  // calls. queueFrontTick_ is its front's, lastQueuedTick_ its back's.
  OrderQueue inOrder_;
  std::int32_t queueFrontTick_ = 0;
  std::int32_t lastQueuedTick_ = 0;
  // One buffer for the other waiting calls and the due ones, since calls pass between
  // the two: a min-heap by (tick, order) fills it from the front, and the due calls,
  // greatest order first, from the back.
  UnfilledRoom<Entry> entries_;
  std::size_t heapSize_ = 0;
  std::size_t dueFrom_ = 0;
  DueTick by_;
  std::size_t promised_ = 0;
  bool hasDueTick_ = false;
  std::int32_t dueTick_ = 0;
};

}  // namespace calls
