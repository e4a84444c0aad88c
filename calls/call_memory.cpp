// Memory for call records: a per-thread pool over large regions advised for huge pages.
#include "calls/call_memory.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace calls {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kSharedRegion = 2 * kHugePage;
// Blocks from here up get a region of their own, given back when the block is.
constexpr std::size_t kOwnRegionFrom = std::size_t{1} << 20;

std::size_t roundUp(std::size_t value, std::size_t step) {
  return (value + step - 1) / step * step;
}

// Large regions aligned and advised for huge pages. Small blocks are cut from shared
// regions and come back only when the resource is destroyed: the pool above never gives
// them back sooner.
class RegionResource final : public std::pmr::memory_resource {
 public:
  RegionResource() = default;
  RegionResource(const RegionResource&) = delete;
  RegionResource& operator=(const RegionResource&) = delete;
  ~RegionResource() override {
    for (const Region& region : regions_) release(region);
  }

 private:
  struct Region {
    std::byte* base;
    std::size_t size;
  };

  static Region newRegion(std::size_t size) {
    auto* base = static_cast<std::byte*>(::operator new (size, std::align_val_t{kHugePage}));
#if defined(__linux__)
    // Only advice: without huge pages the region works the same. Mapping the region in one
    // call spares a page fault per page, which is costly on virtual machines.
    ::madvise(base, size, MADV_HUGEPAGE);
#if defined(MADV_POPULATE_WRITE)
    ::madvise(base, size, MADV_POPULATE_WRITE);
#endif
#endif
    return {base, size};
  }
  static void release(const Region& region) {
    ::operator delete (region.base, std::align_val_t{kHugePage});
  }

  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    // Room to record the region first, so that a region is never left unrecorded.
    regions_.reserve(regions_.size() + 1);
    if (bytes >= kOwnRegionFrom) {
      const Region region = newRegion(roundUp(bytes, kHugePage));
      regions_.push_back(region);
      return region.base;
    }
    std::size_t offset = roundUp(used_, alignment);
    if (shared_ == nullptr || offset + bytes > kSharedRegion) {
      const Region region = newRegion(kSharedRegion);
      regions_.push_back(region);
      shared_ = region.base;
      offset = 0;
    }
    used_ = offset + bytes;
    return shared_ + offset;
  }

  void do_deallocate(void* block, std::size_t bytes, std::size_t) override {
    if (bytes < kOwnRegionFrom) return;
    auto found = std::find_if(regions_.begin(), regions_.end(),
                              [block](const Region& r) { return r.base == block; });
    if (found == regions_.end()) return;
    release(*found);
    regions_.erase(found);
  }

  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  std::vector<Region> regions_;
  std::byte* shared_ = nullptr;
  std::size_t used_ = 0;
};

// Blocks the pool keeps go to it. Larger ones (the storage of a growing index, say) are
// given back one by one; cut from the regions they would stay there until the thread
// ends, so they come from the global heap, which also leaves room never used unmapped.
class SizeRouter final : public std::pmr::memory_resource {
 public:
  explicit SizeRouter(std::pmr::unsynchronized_pool_resource& pool)
      : pool_(pool), pooledUpTo_(pool.options().largest_required_pool_block) {}

 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    if (bytes <= pooledUpTo_) return pool_.allocate(bytes, alignment);
    return ::operator new (bytes, std::align_val_t{alignment});
  }
  void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override {
    if (bytes <= pooledUpTo_) return pool_.deallocate(block, bytes, alignment);
    ::operator delete (block, std::align_val_t{alignment});
  }
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  std::pmr::unsynchronized_pool_resource& pool_;
  std::size_t pooledUpTo_;
};

struct CallMemory {
  RegionResource regions;
  std::pmr::unsynchronized_pool_resource pool{&regions};
  SizeRouter router{pool};
};

}  // namespace

std::pmr::memory_resource* callMemory() {
  thread_local CallMemory memory;
  return &memory.router;
}

}  // namespace calls
