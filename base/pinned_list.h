// A list that grows at its end and whose items never move, for records that others refer
// to while it grows. Its storage fits lists of a few items, of which a run may hold
// millions: four items cost one block of four, then blocks double.
#pragma once

#include <bit>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace base {

template <typename T>
class PinnedList {
  template <typename List, typename Item>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = Item*;
    using reference = Item&;

    Iterator() = default;
    Iterator(List* list, std::size_t at) : list_(list), at_(at) {}
    reference operator*() const { return (*list_)[at_]; }
    pointer operator->() const { return &(*list_)[at_]; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++at_;
      return before;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    List* list_ = nullptr;
    std::size_t at_ = 0;
  };

 public:
  using value_type = T;
  using iterator = Iterator<PinnedList, T>;
  using const_iterator = Iterator<const PinnedList, const T>;

  PinnedList() = default;
  // Delegating, so that items made before a throw are destroyed.
  PinnedList(std::initializer_list<T> items) : PinnedList() {
    for (const T& item : items) emplace_back(item);
  }
  // A copy's items are new ones, at addresses of their own.
  PinnedList(const PinnedList& other) : PinnedList() {
    for (const T& item : other) emplace_back(item);
  }
  PinnedList& operator=(const PinnedList& other) {
    if (this != &other) {
      PinnedList copy(other);
      *this = std::move(copy);
    }
    return *this;
  }
  // Moving hands the blocks over: the items keep their addresses.
  PinnedList(PinnedList&& other) noexcept
      : blocks_(std::move(other.blocks_)), size_(std::exchange(other.size_, 0)) {}
  PinnedList& operator=(PinnedList&& other) noexcept {
    if (this != &other) {
      clear();
      blocks_ = std::move(other.blocks_);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  ~PinnedList() { clear(); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](std::size_t at) { return *slot(at); }
  const T& operator[](std::size_t at) const { return *slot(at); }
  T& front() { return *slot(0); }
  const T& front() const { return *slot(0); }
  T& back() { return *slot(size_ - 1); }
  const T& back() const { return *slot(size_ - 1); }

  iterator begin() { return {this, 0}; }
  iterator end() { return {this, size_}; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size_}; }

  // The new last item; throws std::bad_alloc (or what T's constructor throws), leaving the
  // list as it was.
  template <typename... Args>
  T& emplace_back(Args&&... args) {
    const Place place = placeOf(size_);
    if (place.block == blocks_.size()) {
      blocks_.reserve(blocks_.size() + 1);
      blocks_.push_back(
          Block(static_cast<T*>(::operator new(capacityOf(place.block) * sizeof(T)))));
    }
    T* item = blocks_[place.block].get() + place.offset;
    std::construct_at(item, std::forward<Args>(args)...);
    ++size_;
    return *item;
  }
  void push_back(const T& item) { emplace_back(item); }
  void push_back(T&& item) { emplace_back(std::move(item)); }

  // Destroys the last item; its block is kept for the next.
  void pop_back() {
    --size_;
    std::destroy_at(slot(size_));
  }

  // Destroys every item and gives the blocks back.
  void clear() {
    while (size_ > 0) pop_back();
    blocks_.clear();
  }

 private:
  static constexpr std::size_t kFirstBlock = 4;

  // Raw storage: the items in it are destroyed by pop_back, before.
  struct FreeBlock {
    void operator()(T* block) const { ::operator delete(static_cast<void*>(block)); }
  };
  using Block = std::unique_ptr<T, FreeBlock>;

  struct Place {
    std::size_t block;
    std::size_t offset;
  };
  // Block b holds kFirstBlock << b items, after the kFirstBlock * (2^b - 1) before it.
  static Place placeOf(std::size_t at) {
    const std::size_t block = std::bit_width(at / kFirstBlock + 1) - 1;
    return {block, at - kFirstBlock * ((std::size_t{1} << block) - 1)};
  }
  static std::size_t capacityOf(std::size_t block) { return kFirstBlock << block; }
  T* slot(std::size_t at) const {
    const Place place = placeOf(at);
    return blocks_[place.block].get() + place.offset;
  }

  std::vector<Block> blocks_;
  std::size_t size_ = 0;
};

}  // namespace base
