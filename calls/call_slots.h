// The calls of one list, held in reading order at addresses that stay put until removal.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory_resource>

#include "calls/wavelength_assignment.h"
#include "routing/path.h"

namespace calls {

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
  friend class CallSlots;
  std::int32_t duration_ = 0;
  std::int32_t start_ = 0;
  std::uint64_t order_ = 0;
  bool active_ = false;
  bool removed_ = false;
  // For a removed call: every slot between it and this many slots back is removed too.
  std::uint32_t skipBack_ = 1;
};

// Each call gets the next reading order when pushed; orders are never given twice, so an
// order names one call for good, and find() tells whether it is still there.
class CallSlots {
 public:
  explicit CallSlots(std::pmr::memory_resource* memory) : slots_(memory) {}

  bool empty() const { return live_ == 0; }
  std::size_t size() const { return live_; }

  // A new call, the newest, not started. May throw std::bad_alloc, leaving the slots as
  // they were. Its address stays valid until it is removed.
  Call& push(std::int32_t start, std::int32_t duration);
  static std::uint64_t orderOf(const Call& call) { return call.order_; }
  // The call read in `order`, or none once it is removed.
  const Call* find(std::uint64_t order) const;
  Call* find(std::uint64_t order);
  // The most recently pushed call not removed, or none; in constant time.
  const Call* newest() const { return live_ == 0 ? nullptr : find(newestOrder_); }
  // Calls pushed since the oldest one not removed: what a walk over the calls passes.
  std::size_t slotCount() const { return static_cast<std::size_t>(nextOrder_ - firstOrder_); }
  // The newest call read before `before` that `pick` accepts, or none; in time linear in
  // the slots passed.
  template <typename Pick>
  Call* newestBefore(std::uint64_t before, Pick pick) {
    if (before <= firstOrder_) return nullptr;
    const auto first = slots_.begin();
    for (auto at = first + static_cast<std::ptrdiff_t>(std::min(before, nextOrder_) - firstOrder_);
         at != first;) {
      Call& call = *--at;
      if (!call.removed_ && pick(call)) return &call;
    }
    return nullptr;
  }

  // Marks the call, which must be here, started. Never allocates.
  void markStarted(Call& call) { call.active_ = true; }
  // Frees the call, which must be here, with its hops; its order names no call from then
  // on. Never allocates.
  void remove(Call& call) {
    const std::uint64_t order = call.order_;
    call.removed_ = true;
    call.skipBack_ = 1;
    freeHops(call.hops);
    HopList().swap(call.hops);
    --live_;
    // The oldest calls, once removed, give their room back.
    while (!slots_.empty() && slots_.front().removed_) {
      slots_.pop_front();
      ++firstOrder_;
    }
    if (live_ != 0 && order == newestOrder_) findNewest(order);
  }
  // Removes every call. Never allocates.
  void clear();

  template <typename Visit>
  void forEachOldestFirst(Visit visit) const {
    for (const Call& call : slots_) {
      if (!call.removed_) visit(call);
    }
  }
  template <typename Visit>
  void forEachNewestFirst(Visit visit) const {
    for (auto it = slots_.rbegin(); it != slots_.rend(); ++it) {
      if (!it->removed_) visit(*it);
    }
  }

 private:
  // After the newest call, read in `removed`, is removed: finds the one now newest.
  void findNewest(std::uint64_t removed);

  // Slot k holds the call read in order firstOrder_ + k. A removed call keeps its slot
  // until every older one is gone too, so the oldest slot always holds a call.
  std::pmr::deque<Call> slots_;
  std::uint64_t firstOrder_ = 0;
  std::uint64_t nextOrder_ = 0;
  std::uint64_t newestOrder_ = 0;
  std::size_t live_ = 0;
};

}  // namespace calls
