// A first-in first-out queue of increasing reading orders, kept as runs of consecutive ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <vector>

namespace calls {

// Calls read one after another make one run, so such a queue takes constant room.
class OrderQueue {
 public:
  explicit OrderQueue(std::pmr::memory_resource* memory) : runs_(memory) {}

  bool empty() const { return count_ == 0; }
  // The orders in the queue.
  std::size_t size() const { return size_; }
  // These need a non-empty queue.
  std::uint64_t front() const { return runs_[head_].first; }
  void pop();

  // Room for one more run. May throw std::bad_alloc, leaving the queue as it was.
  void makeRoom();
  // `order` must be greater than every order pushed before. Needs room made since the
  // last push that took it; never allocates.
  void push(std::uint64_t order);
  // Empties the queue and gives its memory back.
  void clear();

 private:
  struct Run {
    std::uint64_t first;
    std::uint64_t last;
  };
  std::size_t wrap(std::size_t at) const { return at >= runs_.size() ? at - runs_.size() : at; }
  Run& back() { return runs_[wrap(head_ + count_ - 1)]; }

  // A ring of count_ runs from head_.
  std::pmr::vector<Run> runs_;
  std::size_t head_ = 0;
  std::size_t count_ = 0;
  std::size_t size_ = 0;
};

}  // namespace calls
