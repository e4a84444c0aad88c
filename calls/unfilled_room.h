// Room for values of a trivial type, taken from a memory resource and left unfilled.
#pragma once

#include <cstddef>
#include <memory_resource>
#include <utility>

namespace calls {

// Room never used costs no pages. Moving the room takes its memory resource along.
template <typename T>
class UnfilledRoom {
 public:
  explicit UnfilledRoom(std::pmr::memory_resource* memory) : memory_(memory) {}
  // Room for `size` values from `memory`. May throw std::bad_alloc.
  UnfilledRoom(std::pmr::memory_resource* memory, std::size_t size)
      : memory_(memory),
        data_(static_cast<T*>(memory->allocate(size * sizeof(T), alignof(T)))),
        size_(size) {}
  UnfilledRoom(UnfilledRoom&& other) noexcept
      : memory_(other.memory_),
        data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)) {}
  UnfilledRoom& operator=(UnfilledRoom&& other) noexcept {
    swap(other);
    return *this;
  }
  ~UnfilledRoom() {
    if (data_ != nullptr) memory_->deallocate(data_, size_ * sizeof(T), alignof(T));
  }
  void swap(UnfilledRoom& other) noexcept {
    std::swap(memory_, other.memory_);
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
  }

  std::pmr::memory_resource* memory() const { return memory_; }
  T* begin() const { return data_; }
  T* end() const { return data_ + size_; }
  std::size_t size() const { return size_; }

 private:
  std::pmr::memory_resource* memory_;
  T* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace calls
