// The calls a source has read and not yet removed, and the searches for calls due to
// start or to end at a tick.
#pragma once

#include <cstdint>
#include <deque>
#include <limits>
#include <memory_resource>
#include <utility>
#include <vector>

#include "base/error_reporter.h"
#include "calls/call_memory.h"
#include "calls/wavelength_assignment.h"
#include "routing/path.h"

namespace calls {

class Call;
class CallList;

// The call found last by a search, or none.
struct CallCursor {
  Call* call = nullptr;
  void clear() { call = nullptr; }
};

enum class CallSearch { kStarting, kEnding };

class Call {
 public:
  std::int32_t duration() const { return duration_; }
  std::int32_t start() const { return start_; }
  // start + duration in 32-bit two's complement arithmetic: a sum past the largest tick
  // wraps to a negative one, as the 32-bit original's did.
  std::int32_t end() const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(start_) +
                                     static_cast<std::uint32_t>(duration_));
  }

  // Marked by markStarted once the call's start has been handled.
  bool active() const { return active_; }
  HopList hops;
  // A path of a call source's set: referred to, never owned.
  const routing::Path* path = nullptr;

 private:
  friend class CallList;
  friend Call* pushCall(CallList&, std::int32_t, std::int32_t, base::ErrorReporter&);
  friend bool findNextCall(CallList&, CallCursor&, std::int32_t, CallSearch);
  friend void removeCall(CallList&, CallCursor&);
  friend void markStarted(CallList&, Call&);
  // The end index takes the call when it starts, unless it ends no later than it starts.
  bool endsAfterStart() const { return end() > start_; }
  std::int32_t duration_ = 0;
  std::int32_t start_ = 0;
  std::uint64_t order_ = 0;
  bool active_ = false;
  bool removed_ = false;
  // For a removed call: every slot between it and this many slots back is removed too, so
  // the search for the newest call can hop over them.
  mutable std::uint32_t skipBack_ = 1;
  // Waiting in the start index's queue in the slots.
  mutable bool queued_ = false;
};

// Calls in list order, newest first. Besides the list, calls are indexed by start and by
// end: a min-heap of the ticks not reached yet and, for the ticks reached, a short list in
// reading order; so a search costs O(log n) whatever the number of waiting calls, while
// giving the call that a scan of the list from the cursor's successor would stop at. A
// call enters the end index when it starts (or when read, if it ends no later than it
// starts), so waiting calls cost the end searches nothing. Searches are fastest when the
// tick never decreases between them; a decrease is handled, in time linear in the calls
// already due. If an index cannot grow, the list drops both and scans itself from then on:
// slower, never wrong.
class CallList {
 public:
  // Calls and indexes take their memory from `memory`.
  explicit CallList(std::pmr::memory_resource* memory = callMemory())
      : slots_(memory), byStart_(memory, true), byEnd_(memory, false) {}
  // The indexes point into this list's own calls.
  CallList(const CallList&) = delete;
  CallList& operator=(const CallList&) = delete;
  CallList(CallList&&) = default;
  CallList& operator=(CallList&&) = default;

  bool empty() const { return live_ == 0; }
  std::size_t size() const { return live_; }
  // The head of the list, or none.
  const Call* newest() const;

  // Right after a start search has run to its end at some tick, every call not yet started
  // starts later: the earliest such start, when there is one.
  bool earliestWaitingStart(std::int32_t& tick) const;
  // Right after an end search has run to its end at some tick: the earliest end still
  // ahead among the calls an end search can find, when there is one.
  bool earliestEnd(std::int32_t& tick) const;

  // Asks the processor to fetch what the next searches read first, ahead of them: the
  // list is read at intervals, long enough for it to leave the caches in between.
  void prefetch() const {
    byStart_.prefetch(*this);
    byEnd_.prefetch(*this);
  }

  template <typename Visit>
  void forEachNewestFirst(Visit visit) const {
    for (auto it = slots_.rbegin(); it != slots_.rend(); ++it) {
      if (!it->removed_) visit(*it);
    }
  }

 private:
  friend Call* pushCall(CallList&, std::int32_t, std::int32_t, base::ErrorReporter&);
  friend bool findNextCall(CallList&, CallCursor&, std::int32_t, CallSearch);
  friend void removeCall(CallList&, CallCursor&);
  friend void freeCalls(CallList&);
  friend void markStarted(CallList&, Call&);

  void indexStart(const Call& call);
  void indexEnd(const Call& call);
  void dropIndexes();
  Call* scanFor(std::uint64_t before, std::int32_t t, CallSearch mode);

  // The call read in the given order, or none once it is removed.
  const Call* callOf(std::uint64_t order) const;
  Call* callOf(std::uint64_t order) {
    return const_cast<Call*>(static_cast<const CallList&>(*this).callOf(order));
  }

  // (tick, reading order) of the calls of one kind of search. Ticks above the threshold wait
  // in a heap (entries of removed calls are dropped when they surface); those at or below it
  // are kept by reading order.
  class DueIndex {
   public:
    // With `queueInSlots`, waiting calls read with ticks in order (as a source's starts
    // mostly are) are only marked in their slots, a queue in reading order that costs no
    // memory; the others go to the heap.
    DueIndex(std::pmr::memory_resource* memory, bool queueInSlots)
        : waiting_(memory), due_(memory), queueInSlots_(queueInSlots) {}
    struct Entry {
      std::int32_t tick;
      std::uint64_t order;
    };
    // `newest` when the entry is the newest call's. May throw std::bad_alloc, leaving the
    // index short of the entry.
    void insert(Entry entry, const CallList& list, bool newest);
    // Takes the call out of the index.
    void erase(const Call& call);
    // Empties the index and gives its memory back.
    void clear();
    // The due call (tick <= t) with the greatest reading order below `before`, dropping for
    // good the calls for which `drop` holds on the way.
    template <typename Drop>
    Call* latestDueBefore(std::int32_t t, std::uint64_t before, CallList& list, Drop drop);
    // The earliest tick still waiting; false when none.
    bool earliestAhead(std::int32_t& tick, const CallList& list) const;
    void prefetch(const CallList& list) const;

   private:
    struct Later {
      bool operator()(const Entry& a, const Entry& b) const {
        return a.tick != b.tick ? a.tick > b.tick : a.order > b.order;
      }
    };
    static bool byOrder(const Entry& a, const Entry& b) { return a.order < b.order; }
    bool isDue(std::int32_t tick) const { return hasThreshold_ && tick <= threshold_; }
    void moveThresholdTo(std::int32_t t, const CallList& list);
    void addDue(Entry entry);

    void pushWaiting(Entry entry, const CallList& list, bool newest);
    bool hasWaiting() const { return !waiting_.empty() || queued_ > 0; }
    const Call& queueFront(const CallList& list) const;
    bool queueFirst(const CallList& list) const;
    Entry earliestWaiting(const CallList& list) const;
    void popWaiting(const CallList& list) const;

    // The heap. Mutable, as the queue's state, so that a look at the earliest tick can drop
    // the removed calls on top.
    mutable std::pmr::vector<Entry> waiting_;
    std::pmr::vector<Entry> due_;
    bool queueInSlots_;
    // No queued call is read before queueHead_.
    mutable std::uint64_t queueHead_ = 0;
    mutable std::size_t queued_ = 0;
    std::int32_t lastQueuedTick_ = 0;
    bool hasThreshold_ = false;
    std::int32_t threshold_ = 0;
  };

  // Slot k holds the call read in order firstOrder_ + k; removed calls leave a marked slot
  // until every older one is gone too.
  std::pmr::deque<Call> slots_;
  std::uint64_t firstOrder_ = 0;
  std::size_t live_ = 0;
  DueIndex byStart_;
  DueIndex byEnd_;
  bool indexed_ = true;
  std::uint64_t nextOrder_ = 0;
};

// A call with the given start and duration at the head of the list (they are fixed from
// then on: the list is ordered by them). None, with the list unchanged, after reporting
// 310.
Call* pushCall(CallList& list, std::int32_t start, std::int32_t duration,
               base::ErrorReporter& reporter);

// From the cursor's successor (the head when the cursor is clear), the first call in list
// order that is due: starting, start <= t and not started; ending, end() <= t, among the
// calls started and those that end no later than they start. When every end search at a
// tick follows a start search run to its end at that tick, as in a run, every call with
// end() <= t is among them. Moves the cursor to it, or returns false with the cursor
// unchanged. The cursor's call must be in the list.
bool findNextCall(CallList& list, CallCursor& cursor, std::int32_t t, CallSearch mode);

// Marks the call started: start searches pass it by from now on and end searches can find
// it. Once only; the call must be in the list.
void markStarted(CallList& list, Call& call);

// Unlinks and frees the cursor's call with its hops and clears the cursor.
void removeCall(CallList& list, CallCursor& cursor);

void freeCalls(CallList& list);

}  // namespace calls
