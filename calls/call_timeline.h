// The calls a source has read and not yet removed, and the searches for calls due to
// start or to end at a tick.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <utility>

#include "calls/wavelength_assignment.h"
#include "routing/path.h"
#include "shell/error_reporter.h"

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

  // Set once, by the run loop, when it has handled the call's start; it must never be
  // cleared again (the list then drops the call from its start searches).
  bool active = false;
  HopList hops;
  // A path of a call source's set: referred to, never owned.
  const routing::Path* path = nullptr;

 private:
  friend class CallList;
  friend Call* pushCall(CallList&, std::int32_t, std::int32_t, shell::ErrorReporter&);
  friend bool findNextCall(CallList&, CallCursor&, std::int32_t, CallSearch);
  friend void removeCall(CallList&, CallCursor&);
  std::int32_t duration_ = 0;
  std::int32_t start_ = 0;
  std::uint64_t order_ = 0;
};

// Calls in list order, newest first. Besides the list, calls are indexed by start and by
// end so that a search costs O(log n) whatever the number of waiting calls, while giving
// the call a scan of the list from the cursor's successor would stop at. Searches are
// fastest when the tick never decreases between them; a decrease is handled, in time
// linear in the calls already due.
class CallList {
 public:
  CallList() = default;
  // The indexes point into this list's own calls.
  CallList(const CallList&) = delete;
  CallList& operator=(const CallList&) = delete;
  CallList(CallList&&) = default;
  CallList& operator=(CallList&&) = default;

  bool empty() const { return calls_.empty(); }
  std::size_t size() const { return calls_.size(); }
  // The head of the list, or none.
  const Call* newest() const { return calls_.empty() ? nullptr : &calls_.rbegin()->second; }

  // Right after a start search has run to its end at some tick, every call not yet started
  // starts later: the earliest such start, when there is one.
  bool earliestWaitingStart(std::int32_t& tick) const { return byStart_.earliestWaiting(tick); }
  // Right after an end search has run to its end at some tick: the earliest end still
  // ahead, when there is one.
  bool earliestEnd(std::int32_t& tick) const { return byEnd_.earliestWaiting(tick); }

  template <typename Visit>
  void forEachNewestFirst(Visit visit) const {
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) visit(it->second);
  }

 private:
  friend Call* pushCall(CallList&, std::int32_t, std::int32_t, shell::ErrorReporter&);
  friend bool findNextCall(CallList&, CallCursor&, std::int32_t, CallSearch);
  friend void removeCall(CallList&, CallCursor&);
  friend void freeCalls(CallList&);

  // (tick, reading order) of every indexed call, split at a threshold tick: `due_` holds
  // those at or before it by reading order, `waiting_` the later ones by tick. Moving an
  // entry between the two transfers its node and cannot fail.
  class DueIndex {
   public:
    using Key = std::pair<std::int32_t, std::uint64_t>;
    void insert(Key key, Call* call);
    void erase(Key key);
    void clear();
    // The due call (tick <= t) with the greatest reading order below `before`, dropping
    // for good the calls for which `drop` holds on the way.
    template <typename Drop>
    Call* latestDueBefore(std::int32_t t, std::uint64_t before, Drop drop);
    // The smallest tick above the threshold, when there is one.
    bool earliestWaiting(std::int32_t& tick) const {
      if (waiting_.empty()) return false;
      tick = waiting_.begin()->first.first;
      return true;
    }

   private:
    struct ByOrder {
      bool operator()(const Key& a, const Key& b) const { return a.second < b.second; }
    };
    bool isDue(std::int32_t tick) const { return hasThreshold_ && tick <= threshold_; }
    void moveThresholdTo(std::int32_t t);

    std::map<Key, Call*> waiting_;
    std::map<Key, Call*, ByOrder> due_;
    bool hasThreshold_ = false;
    std::int32_t threshold_ = 0;
  };

  std::map<std::uint64_t, Call> calls_;
  DueIndex byStart_;
  DueIndex byEnd_;
  std::uint64_t nextOrder_ = 0;
};

// A call with the given start and duration at the head of the list (they are fixed from
// then on: the list is ordered by them). None, with the list unchanged, after reporting
// 310.
Call* pushCall(CallList& list, std::int32_t start, std::int32_t duration,
               shell::ErrorReporter& reporter);

// From the cursor's successor (the head when the cursor is clear), the first call in list
// order that is due: starting, start <= t and not active; ending, end() <= t. Moves the
// cursor to it, or returns false with the cursor unchanged. The cursor's call must be in
// the list.
bool findNextCall(CallList& list, CallCursor& cursor, std::int32_t t, CallSearch mode);

// Unlinks and frees the cursor's call with its hops and clears the cursor.
void removeCall(CallList& list, CallCursor& cursor);

void freeCalls(CallList& list);

}  // namespace calls
