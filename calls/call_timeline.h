// The calls a source has read and not yet removed, and the searches for calls due to
// start or to end at a tick.
#pragma once

#include <cstdint>
#include <memory_resource>

#include "base/error_reporter.h"
#include "calls/call_memory.h"
#include "calls/call_slots.h"
#include "calls/due_index.h"

namespace calls {

// The call found last by a search, or none.
struct CallCursor {
  Call* call = nullptr;
  void clear() { call = nullptr; }
};

enum class CallSearch { kStarting, kEnding };

// Calls in list order, newest first. A call's address stays valid until it is removed.
// Only pushCall allocates: once a call is in, nothing done with it can fail. A search
// costs O(log n) in the calls waiting, and is fastest when the tick never decreases
// between searches; a decrease costs time linear in the calls already due.
class CallList {
 public:
  // Calls and indexes take their memory from `memory`.
  explicit CallList(std::pmr::memory_resource* memory = callMemory())
      : memory_(memory),
        calls_(memory),
        byStart_(memory, DueTick::kStart),
        byEnd_(memory, DueTick::kEnd) {}
  CallList(const CallList&) = delete;
  CallList& operator=(const CallList&) = delete;
  CallList(CallList&&) = default;
  CallList& operator=(CallList&&) = default;

  bool empty() const { return calls_.empty(); }
  std::size_t size() const { return calls_.size(); }
  // The head of the list, or none; in constant time.
  const Call* newest() const { return calls_.newest(); }

  // The earliest start, when there is one, among the calls not started that start later
  // than the tick of the last start search (all of them before the first). Every call not
  // started is among them if that search ran to its end, each call it found was marked
  // started, and no call pushed since starts at or before that tick.
  bool earliestWaitingStart(std::int32_t& tick) const {
    if (indexed_) return byStart_.earliestWaiting(tick);
    const Earliest found = earliest();
    if (found.starts) tick = found.start;
    return found.starts;
  }
  // The earliest end, when there is one, among the calls an end search can find that end
  // later than the tick of the last end search (all of them before the first). Every such
  // call is among them if that search ran to its end, each call it found was removed, and
  // no call started or pushed since ends at or before that tick.
  bool earliestEnd(std::int32_t& tick) const {
    if (indexed_) return byEnd_.earliestWaiting(tick);
    const Earliest found = earliest();
    if (found.ends) tick = found.end;
    return found.ends;
  }
  // Both at once, as they give them: what each found, and where.
  struct Earliest {
    bool starts = false;
    std::int32_t start = 0;
    bool ends = false;
    std::int32_t end = 0;
  };
  Earliest earliest() const;

  // Asks the processor to fetch the list's own fields, without reading them: ahead of
  // `prefetch`, which reads them to find what to fetch.
  void prefetchHead() const {
    const char* head = reinterpret_cast<const char*>(this);
    for (std::size_t at = 0; at < sizeof(CallList); at += 64) __builtin_prefetch(head + at);
  }

  // Asks the processor to fetch what the next searches read first, ahead of them: the
  // list is read at intervals, long enough for it to leave the caches in between.
  void prefetch() const {
    if (!indexed_) return;
    byStart_.prefetch(calls_);
    byEnd_.prefetch(calls_);
  }

  template <typename Visit>
  void forEachNewestFirst(Visit visit) const {
    calls_.forEachNewestFirst(visit);
  }

 private:
  friend Call* pushCall(CallList&, std::int32_t, std::int32_t, base::ErrorReporter&);
  friend bool findNextCall(CallList&, CallCursor&, std::int32_t, CallSearch);
  friend void removeCall(CallList&, CallCursor&);
  friend void freeCalls(CallList&);
  friend void markStarted(CallList&, Call&);

  // Puts every call in the indexes. May throw std::bad_alloc, leaving the list as it was.
  void index();

  std::pmr::memory_resource* memory_;
  CallSlots calls_;
  // A call's start entry goes in when it is pushed; its end entry when it starts, or when
  // pushed if it ends no later than it starts. Room for both is made at the push.
  // A short list is cheaper walked than indexed: until it grows, the indexes hold no
  // entries, only the ticks of the last searches.
  bool indexed_ = false;
  DueIndex byStart_;
  DueIndex byEnd_;
};

// A call with the given start and duration at the head of the list (they are fixed from
// then on: the list is ordered by them). None, with the list unchanged, after reporting
// 310 when memory runs out.
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

// Unlinks and frees the cursor's call with its hops and clears the cursor; nothing when
// the cursor is clear.
void removeCall(CallList& list, CallCursor& cursor);

// Removes every call.
void freeCalls(CallList& list);

}  // namespace calls
