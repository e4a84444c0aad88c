// The call timeline as a plain list scanned from its head: the model its tests compare with.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <list>

#include "calls/call_timeline.h"

namespace testing_support {

class ScanTimeline {
 public:
  struct Call {
    std::int32_t start;
    std::int32_t duration;
    bool active;
    int id;
    std::int32_t end() const {
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(start) +
                                       static_cast<std::uint32_t>(duration));
    }
  };

  std::size_t size() const { return calls_.size(); }
  // The head, or none.
  const Call* newest() const { return calls_.empty() ? nullptr : &calls_.front(); }

  // Pushes a call at the head; gives its id.
  int push(std::int32_t start, std::int32_t duration) {
    calls_.push_front({start, duration, false, nextId_});
    return nextId_++;
  }

  // From the cursor's successor (the head when it is clear), the first call due; moves the
  // cursor to it, or returns false with the cursor unchanged.
  bool find(std::int32_t t, calls::CallSearch mode) {
    for (auto it = cursor_ == calls_.end() ? calls_.begin() : std::next(cursor_);
         it != calls_.end(); ++it) {
      if (dueAt(*it, t, mode)) {
        cursor_ = it;
        return true;
      }
    }
    return false;
  }

  // These need a cursor on a call.
  const Call& cursor() const { return *cursor_; }
  void markStarted() { cursor_->active = true; }
  // Also clears the cursor.
  void remove() {
    calls_.erase(cursor_);
    cursor_ = calls_.end();
  }

  bool hasCursor() const { return cursor_ != calls_.end(); }
  void clearCursor() { cursor_ = calls_.end(); }

  // The earliest start among the calls not started.
  bool earliestWaitingStart(std::int32_t& tick) const {
    return earliest(
        tick, [](const Call& c) { return !c.active; }, &Call::start);
  }
  // The earliest end among the calls an end search can find.
  bool earliestEnd(std::int32_t& tick) const {
    return earliest(tick, findableByEnd, [](const Call& c) { return c.end(); });
  }

 private:
  static bool findableByEnd(const Call& call) { return call.active || call.end() <= call.start; }
  static bool dueAt(const Call& call, std::int32_t t, calls::CallSearch mode) {
    if (mode == calls::CallSearch::kStarting) return call.start <= t && !call.active;
    return call.end() <= t && findableByEnd(call);
  }
  template <typename Counts, typename TickOf>
  bool earliest(std::int32_t& tick, Counts counts, TickOf tickOf) const {
    bool found = false;
    for (const Call& call : calls_) {
      if (!counts(call)) continue;
      const std::int32_t at = std::invoke(tickOf, call);
      tick = found ? std::min(tick, at) : at;
      found = true;
    }
    return found;
  }

  std::list<Call> calls_;
  std::list<Call>::iterator cursor_ = calls_.end();
  int nextId_ = 0;
};

}  // namespace testing_support
