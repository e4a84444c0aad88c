// The calls of one list in reading order, and the hops that find the newest past removed ones.
#include "calls/call_slots.h"

#include <algorithm>
#include <limits>

namespace calls {

Call& CallSlots::push(std::int32_t start, std::int32_t duration) {
  slots_.emplace_back();
  Call& call = slots_.back();
  if (live_ == 0) firstOrder_ = nextOrder_;
  call.start_ = start;
  call.duration_ = duration;
  call.order_ = nextOrder_;
  newestOrder_ = nextOrder_++;
  ++live_;
  return call;
}

const Call* CallSlots::find(std::uint64_t order) const {
  if (order < firstOrder_ || order >= nextOrder_) return nullptr;
  const Call& call = slots_[order - firstOrder_];
  return call.removed_ ? nullptr : &call;
}

Call* CallSlots::find(std::uint64_t order) {
  return const_cast<Call*>(static_cast<const CallSlots&>(*this).find(order));
}

void CallSlots::findNewest(std::uint64_t removed) {
  // The oldest slot holds a call, so the hops end on one. A long-lived old call can keep
  // many removed slots behind the newest: each slot passed is pointed straight at the call
  // found, so no later hop passes it again.
  const std::size_t top = removed - firstOrder_;
  std::size_t live = top;
  while (slots_[live].removed_) live -= slots_[live].skipBack_;
  for (std::size_t at = top; at != live;) {
    const std::size_t next = at - slots_[at].skipBack_;
    slots_[at].skipBack_ = static_cast<std::uint32_t>(
        std::min<std::size_t>(at - live, std::numeric_limits<std::uint32_t>::max()));
    at = next;
  }
  newestOrder_ = firstOrder_ + live;
}

void CallSlots::clear() {
  slots_.clear();
  firstOrder_ = nextOrder_;
  live_ = 0;
}

}  // namespace calls
