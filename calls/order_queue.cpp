// A queue of reading orders kept as runs, in a ring that grows only when asked to.
#include "calls/order_queue.h"

#include <algorithm>
#include <cstdlib>

namespace calls {

void OrderQueue::pop() {
  Run& run = runs_[head_];
  --size_;
  if (run.first++ != run.last) return;
  head_ = wrap(head_ + 1);
  --count_;
}

void OrderQueue::makeRoom() {
  if (count_ < runs_.size()) return;
  // Twice the room, so that making room one run at a time costs amortised constant time.
  std::pmr::vector<Run> larger(std::max<std::size_t>(4, 2 * runs_.size()), runs_.get_allocator());
  for (std::size_t k = 0; k < count_; ++k) larger[k] = runs_[wrap(head_ + k)];
  runs_.swap(larger);
  head_ = 0;
}

void OrderQueue::push(std::uint64_t order) {
  ++size_;
  if (count_ > 0 && back().last + 1 == order) {
    back().last = order;
    return;
  }
  // Room is made ahead by every push; writing past it would corrupt memory unseen.
  if (count_ >= runs_.size()) [[unlikely]] std::abort();
  ++count_;
  back() = {order, order};
}

void OrderQueue::clear() {
  std::pmr::vector<Run>(runs_.get_allocator()).swap(runs_);
  head_ = 0;
  count_ = 0;
  size_ = 0;
}

}  // namespace calls
